#include "shell/address_box.h"

#include <QValidator>

namespace {

// Refuses an edit whose text would no longer fit inside the box.
class FitsTheBox : public QValidator {
  public:
    explicit FitsTheBox(QLineEdit* box) : QValidator(box), box_(box) {}

    State validate(QString& text, int&) const override {
        const int room = box_->contentsRect().width() - 2 * box_->textMargins().left() - 4;
        return box_->fontMetrics().horizontalAdvance(text) <= room ? Acceptable : Invalid;
    }

  private:
    QLineEdit* box_;
};

}  // namespace

AddressBox::AddressBox(QWidget* parent) : QLineEdit(parent) {
    setValidator(new FitsTheBox(this));
}
