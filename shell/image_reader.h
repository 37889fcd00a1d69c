// Reading an image on a thread of its own, so that the window keeps answering however long a file
// takes (a zip member of 64 MiB to inflate, a large file to read): after a moment a progress dialog
// offers Cancel. The questions the reading asks, and the choice among an archive's images, are put
// to the user on the window's thread while the reading waits for the answer.
#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "text/message.h"
#include "viewer/session.h"

class QWidget;

class ImageReader {
  public:
    ImageReader(QWidget* window, kestrune::MessageHandler tell, kestrune::ImageChooser choose);
    // Reads still running after a Cancel are let end, their questions answered No.
    ~ImageReader();
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    // Reads the file at path (file system bytes) as Session::Read does; name is the file's name
    // as the progress dialog shows it. Nothing when the user cancelled.
    std::shared_ptr<kestrune::OpenedFile> Read(const std::string& path, const QString& name);

    // What Read does on its thread: any reading that asks through the tell and choose it is given.
    using Work = std::function<std::shared_ptr<kestrune::OpenedFile>(
        const kestrune::MessageHandler& tell, const kestrune::ImageChooser& choose)>;
    // Runs work as Read runs its reading, the progress dialog saying label.
    std::shared_ptr<kestrune::OpenedFile> Run(const QString& label, Work work);

  private:
    struct Job;
    // Puts ask to the user on the window's thread and waits for the answer; refusal when the
    // read was cancelled.
    template <typename Answer>
    Answer AskOnWindowThread(const std::shared_ptr<Job>& job, std::function<Answer()> ask,
                             Answer refusal) const;
    // Joins the threads of cancelled reads that have ended.
    void JoinEnded();

    QWidget* window_;
    kestrune::MessageHandler tell_;
    kestrune::ImageChooser choose_;
    std::vector<std::pair<std::shared_ptr<Job>, std::thread>> cancelled_;
};
