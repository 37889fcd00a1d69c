#include "shell/explorer.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// The text engine knows no table captions: a caption becomes a centred line above its table.
QString WithCaptionsAsLines(QString page) {
    static const QRegularExpression table(
        QStringLiteral(R"((<table[^>]*>)\s*<caption>(.*?)</caption>)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return page.replace(table, QStringLiteral("<p align=\"center\">\\2</p>\\1"));
}

}  // namespace

CExplorer1::CExplorer1(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

void CExplorer1::Navigate(const QString& path) {
    QFile file(path);
    page_ = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    rendered_ = false;
    if (isVisible()) Render();
}

void CExplorer1::showEvent(QShowEvent* event) {
    QTextBrowser::showEvent(event);
    if (!rendered_) Render();
}

void CExplorer1::Render() {
    setHtml(WithCaptionsAsLines(page_));
    rendered_ = true;
}
