#include "shell/file_list.h"

QModelIndex FileList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int rows = model() == nullptr ? 0 : model()->rowCount();
    if ((action != MoveHome && action != MoveEnd) || rows == 0)
        return QTableView::moveCursor(action, modifiers);
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    return model()->index(action == MoveHome ? 0 : rows - 1, column);
}
