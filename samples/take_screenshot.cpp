// Takes the README's picture of the window: the demo disk loaded and a file on view.
//   take_screenshot IMAGE ROW VIEW OUTPUT.png   (ROW 1-based; VIEW 0 BASIC ... 4 ScrCode, -1 its
//   own)
#include <QAbstractButton>
#include <QApplication>
#include <QPixmap>
#include <QTableView>
#include <QTimer>

#include <cstdio>

#include "shell/control_ids.h"
#include "shell/main_window.h"
#include "shell/message_box.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 5) {
        std::fprintf(stderr, "usage: take_screenshot IMAGE ROW VIEW OUTPUT.png\n");
        return 1;
    }
    ReplaceMessageBoxes([](const kestrune::Message&) { return true; });
    MainWindow dialog;
    dialog.show();
    dialog.openImage(arguments[1]);
    auto* list = dialog.findChild<QTableView*>(QString::number(IDC_FILE_LIST));
    list->setFocus();
    list->selectRow(arguments[2].toInt() - 1);
    if (const int view = arguments[3].toInt(); view >= 0) {
        dialog.findChild<QAbstractButton*>(QString::number(IDC_RADIO_BASIC + view))->click();
    }
    QTimer::singleShot(500, [&] {
        dialog.grab().save(arguments[4]);
        dialog.done(0);
    });
    dialog.exec();
    return 0;
}
