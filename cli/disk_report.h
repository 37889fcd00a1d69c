// What kestrune-cli map and check print: the sector map and the check's findings, as text or
// JSON.
#pragma once

#include <ostream>

#include "viewer/session.h"

namespace kestrune::cli {

void WriteMap(std::ostream& out, const Session& session, bool json);
void WriteFindings(std::ostream& out, const Session& session, bool json);

}  // namespace kestrune::cli
