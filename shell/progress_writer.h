// Writing a long text to a file on a thread of its own while a progress dialog with Cancel keeps
// the window answering: exporting the whole of a pane that shows only the first part of a large
// file. A cancelled or failed write leaves no file behind.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

#include "text/text_sink.h"

class QWidget;

enum class WriteResult { Written, Cancelled, Failed };

// write hands the text to the sink it is given, piece by piece, and stops when the sink returns
// false. expectedBytes is a guess at the text's size, for the progress bar.
WriteResult WriteWithProgress(QWidget* parent, const QString& path, std::uint64_t expectedBytes,
                              const std::function<bool(const kestrune::Utf8Sink&)>& write);
