// Waiting on the window's thread for work done on another, the window answering meanwhile. For a
// moment nothing shows and what the user does waits its turn, so nothing changes under the work;
// then a window-modal progress dialog shows how far the work has come and offers Cancel.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

class ProgressWait {
  public:
    ProgressWait(QWidget* parent, QString label);

    // Waits until done() holds; share() (0 to 1, or nothing for a bar that only shows activity)
    // moves the bar. False when the user cancelled first.
    bool Wait(const std::function<bool()>& done,
              const std::function<std::optional<double>()>& share = nullptr);
    // Begins the quiet moment again, after the user answered a question the work asked.
    void Restart();

  private:
    QWidget* parent_;
    QString label_;
    QElapsedTimer quiet_;
};
