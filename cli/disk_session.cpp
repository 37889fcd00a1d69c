#include "cli/disk_session.h"

#include "image/loader.h"
#include "image/path_names.h"
#include "image/unicode.h"

namespace kestrune::cli {

void Report(std::ostream& err, const Message& message) {
    err << Utf16ToUtf8(message.text) << '\n';
}

std::optional<DiskSession> OpenDisk(const std::string& path, bool yes, std::ostream& err) {
    LoadOutcome outcome = LoadImage(path, [&](const Message& question) {
        Report(err, question);
        return yes;
    });
    if (outcome.message) Report(err, *outcome.message);
    if (!outcome.image) return std::nullopt;

    DiskSession session;
    session.fileName = std::string(FileNameOf(path));
    session.image = std::move(*outcome.image);
    session.caption = std::move(outcome.caption);
    session.directory = ReadDirectory(session.image);
    if (session.directory.disk.isGeosDisk) session.status = kGeosStatus;
    if (session.directory.readError) Report(err, ReadErrorMessage(Utf8ToUtf16(session.fileName)));
    return session;
}

}  // namespace kestrune::cli
