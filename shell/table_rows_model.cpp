#include "shell/table_rows_model.h"

TableRowsModel::TableRowsModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

void TableRowsModel::Show(int count, Cell cell) {
    beginResetModel();
    count_ = count;
    cell_ = std::move(cell);
    endResetModel();
}

int TableRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int TableRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TableRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_ || !cell_) return {};
    return cell_(index.row(), index.column(), role);
}

QVariant TableRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= headers_.size())
        return {};
    return headers_[section];
}
