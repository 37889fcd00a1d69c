// The readable directory listing of kestrune-cli dir: laid out like a disk directory on a
// Commodore 64, with each file's load address and first track and sector added, and closed by
// the "files found" message the window shows.
#pragma once

#include <ostream>
#include <vector>

#include "cli/disk_session.h"

namespace kestrune::cli {

void WriteDirectoryListing(std::ostream& out, const DiskSession& session,
                           const std::vector<DirectoryEntry>& rows);

}  // namespace kestrune::cli
