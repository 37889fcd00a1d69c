// The browser pane: shows the program's HTML pages (the BASIC listing, messages, instructions)
// from their page files. Navigate always shows the file's content as it is at that moment, also
// when the path is the one already shown. A listing page is shown by a text pane that colours its
// keywords, at the speed of the other panes; every other page by a text browser.
#pragma once

#include <QString>
#include <QWidget>

class QStackedLayout;
class QTextBrowser;
class TextPane;

class CExplorer1 : public QWidget {
    Q_OBJECT

  public:
    explicit CExplorer1(QWidget* parent = nullptr);

    // Loads the page file at path. A page that cannot be read leaves the pane empty. While the
    // pane is hidden the page is only read; it is laid out when the pane is shown.
    void Navigate(const QString& path);

    // The page last navigated to, as read from its file.
    const QString& page() const { return page_; }
    // The two ways the pane shows a page, and whether the listing view is the one on show.
    QTextBrowser* browser() const { return browser_; }
    TextPane* listing() const { return listing_; }
    bool showsListing() const;

    // The font of listing pages: the text panes' font.
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
