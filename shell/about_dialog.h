// The About box: the icon, the product name, the version, what the program is, the copyright.
#pragma once

#include <QDialog>
#include <QIcon>

class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(const QIcon& icon, QWidget* parent = nullptr);
};
