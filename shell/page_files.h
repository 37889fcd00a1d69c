// The page files the browser pane shows: view.html and instructions.html in the program's folder
// under the per-user data folder (~/.local/share/Kestrune).
#pragma once

#include <QString>

#include <string>

// The per-user data folder, empty when the platform has none.
QString LocalAppDataFolder();

// The program's folder in it: "<data>/Kestrune".
QString PageFolder(const QString& appData);

// Writes the page as UTF-8, no byte-order mark and no terminator: the file at path is deleted,
// created anew, written, flushed and closed. Returns false when it could not be created or
// written whole.
bool WritePageFile(const QString& path, std::u16string_view page);
