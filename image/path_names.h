// The parts of a path that the loader and its messages use.
#pragma once

#include <string_view>

namespace kestrune {

// The text after the last "/" (the whole path when there is none).
std::string_view FileNameOf(std::string_view path);

// The text of the file name from its last "." on, or empty when the name has no dot.
std::string_view ExtensionOf(std::string_view path);

}  // namespace kestrune
