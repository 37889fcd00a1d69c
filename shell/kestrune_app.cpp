#include "shell/kestrune_app.h"

#include <QApplication>
#include <QScreen>

#include "shell/kestrune_dlg.h"

int CMyKestruneApp::Run(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRUNE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kestrune"));
    CMyKestruneDlg dialog;
    const QRect available = dialog.screen()->availableGeometry();
    dialog.move(available.center() - dialog.rect().center());
    dialog.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2) dialog.OnDropFiles({arguments[1]});
    dialog.exec();
    return 0;
}
