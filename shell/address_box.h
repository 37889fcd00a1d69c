// The start-address box: a single-line edit that does not scroll sideways, so typing stops when
// the text fills the box's width.
#pragma once

#include <QLineEdit>

class AddressBox : public QLineEdit {
    Q_OBJECT

  public:
    explicit AddressBox(QWidget* parent = nullptr);
};
