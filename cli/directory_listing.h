// The readable directory listing of kestrune-cli dir, laid out like a Commodore 64 lists a disk.
#pragma once

#include <optional>
#include <ostream>

#include "cli/c64_names.h"

namespace kestrune {
class Session;
}

namespace kestrune::cli {

// The header line, a line for each row in the session's order, the free blocks and the "files
// found" message. With a charset the names are printed in it.
void WriteDirectoryListing(std::ostream& out, const Session& session,
                           std::optional<Charset> charset = std::nullopt);

}  // namespace kestrune::cli
