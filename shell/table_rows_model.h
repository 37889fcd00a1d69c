// A read-only table whose cells are made when shown, from data its owner keeps: the collection
// pane's lists can hold a hundred thousand rows without making their texts up front.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

class TableRowsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using Cell = std::function<QVariant(int row, int column, int role)>;

    TableRowsModel(QStringList headers, QObject* parent = nullptr);

    // Shows count rows, their cells from cell.
    void Show(int count, Cell cell);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QStringList headers_;
    int count_ = 0;
    Cell cell_;
};
