// What the window tests share: a private data folder for the page files, recorded message boxes,
// and images written by the test support.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "image/messages.h"
#include "tests/support/disk_builder.h"

class CMyKestruneDlg;

// Replaces the message boxes while it lives: every message is recorded and questions are
// answered from a list (No when the list runs out).
class MessageRecorder {
  public:
    explicit MessageRecorder(std::vector<bool> answers = {});
    ~MessageRecorder();

    std::vector<kestrune::Message> shown;
    std::vector<kestrune::MessageId> Ids() const;

  private:
    std::vector<bool> answers_;
};

// A folder of its own for the page files (XDG_DATA_HOME) and the images of a test.
class ShellFixture {
  public:
    ShellFixture();
    ~ShellFixture();

    QString Write(const QString& name, const kestrune::testing::DiskBuilder& disk) const;
    QString PageFolder() const;
    QString Path(const QString& name) const;

  private:
    kestrune::testing::TempDir dir_;
    QByteArray previousDataHome_;
};

QString Text(std::u16string_view text);
