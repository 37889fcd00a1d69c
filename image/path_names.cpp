#include "image/path_names.h"

namespace kestrune {

std::string_view FileNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ExtensionOf(std::string_view path) {
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

}  // namespace kestrune
