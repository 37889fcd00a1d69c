// The browser pane: shows the program's HTML pages (the BASIC listing, messages, instructions)
// from their page files. Navigate always shows the file's content as it is at that moment, also
// when the path is the one already shown.
#pragma once

#include <QString>
#include <QTextBrowser>

class CExplorer1 : public QTextBrowser {
    Q_OBJECT

public:
    explicit CExplorer1(QWidget* parent = nullptr);

    // Loads the page file at path. A page that cannot be read leaves the pane empty. While the
    // pane is hidden the page is only read; it is laid out when the pane is shown.
    void Navigate(const QString& path);

    // The page last navigated to, as read from its file.
    const QString& page() const { return page_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Render();

    QString page_;
    bool rendered_ = true;
};
