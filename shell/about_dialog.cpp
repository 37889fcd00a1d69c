#include "shell/about_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "shell/dialog_units.h"

namespace {

struct AboutLine {
    const char* text;
    int x, y, width, height;  // dialog units
};

constexpr AboutLine kLines[] = {
    {"Kestrune", 42, 13, 114, 8},
    {"Version " KESTRUNE_VERSION, 42, 25, 114, 8},
    {"D64/D71 viewer", 42, 38, 55, 8},
    {"Copyright \u00A9 2026", 42, 51, 78, 8},
};

}  // namespace

AboutDialog::AboutDialog(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    QFont dialogFont = QApplication::font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setWindowTitle(tr("About Kestrune"));
    const DialogBaseUnits base = BaseUnitsOf(font());

    auto* picture = new QLabel(this);
    const QRect iconRect = DialogRect(base, 14, 14, 20, 20);
    picture->setGeometry(iconRect);
    picture->setPixmap(icon.pixmap(iconRect.size()));
    for (const AboutLine& line : kLines) {
        auto* label = new QLabel(QString::fromUtf8(line.text), this);
        QRect rect = DialogRect(base, line.x, line.y, line.width, line.height);
        rect.setWidth(std::max(rect.width(), label->sizeHint().width()));  // never cut the text
        label->setGeometry(rect);
    }
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setGeometry(DialogRect(base, 136, 65, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(DialogRect(base, 0, 0, 193, 86).size());
}
