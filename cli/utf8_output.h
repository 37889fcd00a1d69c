// Writing the viewer's UTF-16 texts to an output stream as UTF-8, piece by piece.
#pragma once

#include <ostream>
#include <string_view>

namespace kestrune::cli {

void WriteUtf8(std::ostream& out, std::u16string_view text);

}  // namespace kestrune::cli
