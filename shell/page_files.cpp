#include "shell/page_files.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "text/unicode.h"

QString LocalAppDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString PageFolder(const QString& appData) {
    return appData + QStringLiteral("/Kestrune");
}

bool WritePageFile(const QString& path, std::u16string_view page) {
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const std::string bytes = kestrune::Utf16ToUtf8(page);
    const bool written = file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                         static_cast<qint64>(bytes.size());
    const bool flushed = file.flush();
    file.close();
    return written && flushed;
}
