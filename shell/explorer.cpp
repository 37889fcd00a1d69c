#include "shell/explorer.h"

#include <QFile>
#include <QRegularExpression>
#include <QStackedLayout>
#include <QTextBrowser>

#include "shell/listing_page.h"
#include "shell/text_pane.h"

namespace {

// The text engine knows no table captions: a caption becomes a centred line above its table.
QString WithCaptionsAsLines(QString page) {
    static const QRegularExpression table(
        QStringLiteral(R"((<table[^>]*>)\s*<caption>(.*?)</caption>)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return page.replace(table, QStringLiteral("<p align=\"center\">\\2</p>\\1"));
}

// The look of listing pages: 5 pixels of margin, lines 1.2 times the font's height.
constexpr int kListingMargin = 5;
constexpr double kListingLineSpacing = 1.2;

}  // namespace

CExplorer1::CExplorer1(QWidget* parent)
    : QWidget(parent),
      layout_(new QStackedLayout(this)),
      browser_(new QTextBrowser(this)),
      listing_(new TextPane(TextPane::Wrap::Words, this)) {
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);
    listing_->setTextMargin(kListingMargin);
    listing_->setLineSpacing(kListingLineSpacing);
    listing_->setBackgroundRole(QPalette::Base);
    layout_->addWidget(browser_);
    layout_->addWidget(listing_);
    setFocusProxy(browser_);
}

void CExplorer1::setListingFont(const QFont& font) {
    listing_->setFont(font);
}

bool CExplorer1::showsListing() const {
    return layout_->currentWidget() == listing_;
}

void CExplorer1::Navigate(const QString& path) {
    QFile file(path);
    page_ = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    rendered_ = false;
    if (isVisible()) Render();
}

void CExplorer1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!rendered_) Render();
}

void CExplorer1::Render() {
    rendered_ = true;
    if (std::optional<ListingText> listing = ReadListingPage(page_.toStdU16String())) {
        listing_->setText(std::move(listing->text), std::move(listing->keyword));
        browser_->clear();
        layout_->setCurrentWidget(listing_);
        setFocusProxy(listing_);
        return;
    }
    listing_->setText({});
    browser_->setHtml(WithCaptionsAsLines(page_));
    layout_->setCurrentWidget(browser_);
    setFocusProxy(browser_);
}
