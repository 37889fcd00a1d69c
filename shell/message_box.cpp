#include "shell/message_box.h"

#include <QMessageBox>
#include <QString>

namespace {

MessageBoxReplacement& Replacement() {
    static MessageBoxReplacement replacement;
    return replacement;
}

QMessageBox::Icon IconOf(kestrune::MessageKind kind) {
    switch (kind) {
        case kestrune::MessageKind::Error:
            return QMessageBox::Critical;
        case kestrune::MessageKind::Information:
            return QMessageBox::Information;
        case kestrune::MessageKind::Warning:
        case kestrune::MessageKind::Question:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

void ReplaceMessageBoxes(MessageBoxReplacement replacement) {
    Replacement() = std::move(replacement);
}

bool ShowMessageBox(QWidget* parent, const kestrune::Message& message) {
    if (Replacement()) return Replacement()(message);
    const bool question = message.kind == kestrune::MessageKind::Question;
    QMessageBox box(IconOf(message.kind),
                    QString::fromStdU16String(std::u16string(kestrune::kProductName)),
                    QString::fromStdU16String(message.text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setDefaultButton(question ? QMessageBox::No : QMessageBox::Ok);
    return box.exec() == QMessageBox::Yes;
}
