#include "collection/catalog_path.h"

#include <cstdlib>

namespace kestrune {

std::string DefaultCatalogPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data != nullptr && *data == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home != nullptr ? home : ".") + "/.local/share";
    }
    return folder + "/kestrune/collection.sqlite";
}

}  // namespace kestrune
