// Where the collection's index lives unless told: $XDG_DATA_HOME/kestrune/collection.sqlite, or
// ~/.local/share/kestrune/collection.sqlite without it.
#pragma once

#include <string>

namespace kestrune {

std::string DefaultCatalogPath();

}  // namespace kestrune
