#include "shell/file_list.h"

QModelIndex FileList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if ((action != MoveHome && action != MoveEnd) || rowCount() == 0)
        return QTableWidget::moveCursor(action, modifiers);
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    return model()->index(action == MoveHome ? 0 : rowCount() - 1, column);
}
