// The readable directory listing of kestrune-cli dir, laid out like a Commodore 64 lists a disk.
#pragma once

#include <ostream>

namespace kestrune {
class Session;
}

namespace kestrune::cli {

// The header line, a line for each row in the session's order, the free blocks and the "files
// found" message.
void WriteDirectoryListing(std::ostream& out, const Session& session);

}  // namespace kestrune::cli
