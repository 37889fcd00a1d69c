#include "shell/application.h"

#include <QApplication>
#include <QScreen>

#include "shell/main_window.h"

int RunApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRUNE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kestrune"));
    MainWindow window;
    const QRect available = window.screen()->availableGeometry();
    window.move(available.center() - window.rect().center());
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2) window.openImage(arguments[1]);
    window.exec();
    return 0;
}
