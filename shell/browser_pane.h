// The browser pane: shows the program's pages. A page file (instructions, messages, the page for
// files that are no BASIC program) is shown as it is at that moment, also when its path is the one
// already shown. A BASIC listing is drawn from its lines by a text pane that colours the keywords,
// at the speed of the other panes; every other page by a text browser.
#pragma once

#include <QString>
#include <QWidget>

#include "text/marked_text.h"

class QStackedLayout;
class QTextBrowser;
class TextPane;

class BrowserPane : public QWidget {
    Q_OBJECT

  public:
    explicit BrowserPane(QWidget* parent = nullptr);

    // Shows the page file at path. A page that cannot be read leaves the pane empty. While the
    // pane is hidden the page is only read; it is laid out when the pane is shown.
    void Navigate(const QString& path);
    // Shows a BASIC listing: its lines as a browser lays out the listing's page (page, the HTML
    // of the page file): spaces collapsed, the marked keywords in blue.
    void ShowListing(const kestrune::MarkedText& lines, const QString& page);

    // The page on show, as its file holds it.
    const QString& page() const { return page_; }
    // The two ways the pane shows a page, and whether the listing view is the one on show.
    QTextBrowser* browser() const { return browser_; }
    TextPane* listing() const { return listing_; }
    bool showsListing() const;

    // The font of listings: the text panes' font.
    void setListingFont(const QFont& font);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Render();

    QStackedLayout* layout_;
    QTextBrowser* browser_;
    TextPane* listing_;
    QString page_;
    bool rendered_ = true;
};
