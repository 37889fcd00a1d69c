#include "image/messages.h"

#include "text/unicode.h"

namespace kestrune {

namespace {

std::u16string Number(std::uint64_t value) {
    return Widen(std::to_string(value));
}

std::u16string Quoted(std::u16string_view fileName) {
    return u"\"" + std::u16string(fileName) + u"\"";
}

}  // namespace

Message NotAnImageMessage(std::u16string_view fileName, std::u16string_view formats) {
    return {
        MessageId::NotAnImage, MessageKind::Warning,
        std::u16string(fileName) +
            u"\n\nNot a disk image, archive or Commodore file that Kestrune reads.\n\nIt reads " +
            std::u16string(formats) + u"."};
}

Message CannotOpenMessage(std::u16string_view fileName, std::u16string_view why) {
    return {MessageId::CannotOpen, MessageKind::Error,
            Quoted(fileName) + u"\n\nUnable to open file: " + std::u16string(why) + u"."};
}

Message TooSmallMessage(std::u16string_view fileName, std::uint64_t size) {
    return {MessageId::TooSmall, MessageKind::Error,
            Quoted(fileName) +
                u"\n\nFile is too small to be a D64 or D71 image file.\n\n          File size: " +
                Number(size) + u"\nMinimum size: 91394\n\nSelect another image."};
}

Message WrongSizeMessage(std::u16string_view fileName, std::u16string_view extension,
                         std::uint64_t size, std::uint64_t expectedSize) {
    return {MessageId::WrongSize, MessageKind::Question,
            Quoted(fileName) + u"\n\nFile is not the correct size\nfor a " +
                std::u16string(extension) + u" image file\n\n         File size: " + Number(size) +
                u"\nExpected size: " + Number(expectedSize) + u"\n\nContinue?"};
}

Message BadHeaderMessage(std::u16string_view fileName) {
    return {MessageId::BadHeader, MessageKind::Question,
            Quoted(fileName) +
                u"\n\nInvalid bytes found at:\n\nTrack: 18\nSector: 0\n\nPossible invalid or "
                u"corrupt image\n\nContinue?"};
}

Message TooLargeMessage(std::u16string_view fileName, std::uint64_t size) {
    return {MessageId::TooLarge, MessageKind::Error,
            Quoted(fileName) + u"\n\nFile is too large to be read as a disk image.\n\nFile size: " +
                Number(size) + u"\n\nSelect another image."};
}

Message ReadFailedMessage(std::u16string_view fileName) {
    return {MessageId::ReadFailed, MessageKind::Error,
            Quoted(fileName) + u"\n\nThe file could not be read.\n\nSelect another image."};
}

Message ReadErrorMessage(std::u16string_view fileName) {
    return {MessageId::ReadError, MessageKind::Error,
            std::u16string(fileName) + u"\n\nError reading image."};
}

Message UnreadableImageMessage(std::u16string_view fileName, std::u16string_view what,
                               std::u16string_view why) {
    return {MessageId::UnreadableImage, MessageKind::Error,
            Quoted(fileName) + u"\n\nThis " + std::u16string(what) + u" cannot be read: " +
                std::u16string(why) + u".\n\nSelect another image."};
}

Message NoImageInArchiveMessage(std::u16string_view fileName) {
    return {MessageId::NoImageInArchive, MessageKind::Error,
            Quoted(fileName) +
                u"\n\nThe archive holds no disk image or Commodore file.\n\nSelect another image."};
}

Message FilesFoundMessage(std::u16string_view fileName, std::u16string_view diskName, int count) {
    return {MessageId::FilesFound, MessageKind::Information,
            u"File: " + std::u16string(fileName) + u"\n\nDisk: " + std::u16string(diskName) +
                u"\n\n" + Widen(std::to_string(count)) + u" files found"};
}

}  // namespace kestrune
