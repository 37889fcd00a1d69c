#include "shell/browser_pane.h"

#include <QFile>
#include <QRegularExpression>
#include <QStackedLayout>
#include <QTextBrowser>

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

// The listing's lines as a browser shows its page: a run of spaces as one, none at the start of a
// line; lines end in CR LF. Each character is marked as its run is.
void LaidOut(const kestrune::MarkedText& lines, std::u16string& text,
             std::vector<std::uint8_t>& marks) {
    for (std::size_t line = 0; line < lines.LineCount(); ++line) {
        if (line > 0) {
            text.append(u"\r\n");
            marks.insert(marks.end(), 2, 0);
        }
        bool afterSpace = true;
        for (auto run = lines.LineBegin(line); run != lines.LineEnd(line); ++run) {
            for (const char16_t c : lines.Text(*run)) {
                if (c == u' ' && afterSpace) continue;
                afterSpace = c == u' ';
                text.push_back(c);
                marks.push_back(run->marked ? 1 : 0);
            }
        }
    }
}

}  // namespace

BrowserPane::BrowserPane(QWidget* parent)
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

void BrowserPane::setListingFont(const QFont& font) {
    listing_->setFont(font);
}

bool BrowserPane::showsListing() const {
    return layout_->currentWidget() == listing_;
}

void BrowserPane::Navigate(const QString& path) {
    QFile file(path);
    page_ = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    rendered_ = false;
    if (isVisible()) Render();
}

void BrowserPane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!rendered_) Render();
}

void BrowserPane::ShowListing(const kestrune::MarkedText& lines, const QString& page) {
    page_ = page;
    std::u16string text;
    std::vector<std::uint8_t> marks;
    LaidOut(lines, text, marks);
    listing_->setText(std::move(text), std::move(marks));
    browser_->clear();
    layout_->setCurrentWidget(listing_);
    setFocusProxy(listing_);
    rendered_ = true;
}

void BrowserPane::Render() {
    rendered_ = true;
    listing_->setText({});
    browser_->setHtml(WithCaptionsAsLines(page_));
    layout_->setCurrentWidget(browser_);
    setFocusProxy(browser_);
}
