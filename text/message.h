// What the viewer tells or asks the user: the window shows it in a message box titled with the
// product name, kestrune-cli writes it to stderr.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

inline constexpr std::u16string_view kProductName = u"Kestrune";

enum class MessageKind {
    Warning,      // OK button, exclamation icon
    Error,        // OK button, stop icon
    Question,     // Yes and No buttons, exclamation icon, No is the default
    Information,  // OK button, information icon
};

enum class MessageId {
    NotAnImage,
    CannotOpen,
    TooSmall,
    WrongSize,
    BadHeader,
    TooLarge,
    ReadFailed,
    ReadError,
    FilesFound,
    AddressHint,
    AddressOutOfRange,
    ExportFailed,
    UnreadableImage,
    NoImageInArchive,
};

struct Message {
    MessageId id;
    MessageKind kind;
    std::u16string text;

    bool operator==(const Message&) const = default;
};

}  // namespace kestrune
