#include "tests/shell/shell_fixture.h"

#include <QDir>

#include "shell/message_box.h"

MessageRecorder::MessageRecorder(std::vector<bool> answers) : answers_(std::move(answers)) {
    ReplaceMessageBoxes([this](const kestrune::Message& message) {
        shown.push_back(message);
        if (message.kind != kestrune::MessageKind::Question) return false;
        if (answers_.empty()) return false;
        const bool answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
}

MessageRecorder::~MessageRecorder() {
    ReplaceMessageBoxes(nullptr);
}

std::vector<kestrune::MessageId> MessageRecorder::Ids() const {
    std::vector<kestrune::MessageId> ids;
    for (const auto& message : shown)
        ids.push_back(message.id);
    return ids;
}

ShellFixture::ShellFixture() : previousDataHome_(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString((dir_ / "data").string())));
}

ShellFixture::~ShellFixture() {
    qputenv("XDG_DATA_HOME", previousDataHome_);
}

QString ShellFixture::Write(const QString& name, const kestrune::testing::DiskBuilder& disk) const {
    return QString::fromStdString(disk.WriteTo(dir_ / name.toStdString()).string());
}

QString ShellFixture::PageFolder() const {
    return QString::fromStdString((dir_ / "data" / "Kestrune").string());
}

QString ShellFixture::Path(const QString& name) const {
    return QString::fromStdString((dir_ / name.toStdString()).string());
}

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
