// The file list: a table that moves through its rows as a list view does. Home and End go to the
// first and last file (a table would go to the first and last column), Page Up and Page Down by a
// page of rows; the column stays.
#pragma once

#include <QTableView>

class FileList : public QTableView {
    Q_OBJECT

  public:
    using QTableView::QTableView;

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};
