#include "image/plain_file.h"

#include <array>
#include <string>

#include "image/path_names.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 5> kExtensionTypes = {{
    {".del", 0x80},
    {".seq", 0x81},
    {".prg", 0x82},
    {".usr", 0x83},
    {".rel", 0x84},
}};

const std::pair<std::string_view, std::uint8_t>* TypeOfName(std::string_view fileName) {
    const std::string extension = AsciiLower(ExtensionOf(fileName));
    for (const auto& known : kExtensionTypes) {
        if (extension == known.first) return &known;
    }
    return nullptr;
}

}  // namespace

bool IsPlainFileName(std::string_view fileName) {
    return TypeOfName(fileName) != nullptr;
}

Volume OpenPlainFile(std::vector<std::uint8_t> bytes, std::string_view fileName) {
    const std::string_view extension = ExtensionOf(fileName);
    const std::string_view stem = fileName.substr(0, fileName.size() - extension.size());
    const auto* known = TypeOfName(fileName);
    Volume volume;
    // The format is named after the extension: "prg", "seq", ...
    volume.format = known ? known->first.substr(1) : std::string_view("prg");
    volume.disk.diskName = AsciiUpper(VisibleUtf8(fileName));
    Hold(volume, std::move(bytes));
    AddStoredFile(volume, PetsciiName(stem), known ? known->second : std::uint8_t{0x82},
                  StoredFile{0, volume.held->size(), std::nullopt, {}});
    return volume;
}

}  // namespace kestrune
