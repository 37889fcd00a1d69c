// Taking a file out of an image: its bytes as its chain holds them (a program's load address
// first), or in a PC64 container, under a name made from its directory entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

struct DirectoryEntry;

enum class ExportFormat {
    Native,  // the chain's bytes, as cbmconvert -N writes them
    P00,     // "C64File", the name, the record length, then the bytes: .p00, .s00, .u00, .r00
};

struct ExportedFile {
    std::string fileName;  // UTF-8, safe for a file system: no "/", no control characters
    std::vector<std::uint8_t> bytes;
};

// The PC64 container of a file: the 26-byte header ("C64File", a zero, the 16 name bytes as the
// directory holds them, padding included, as cbmconvert writes them; a zero; the record length of
// a REL file), then the file's bytes.
std::vector<std::uint8_t> P00Container(const DirectoryEntry& entry,
                                       const std::vector<std::uint8_t>& bytes);

// The name of the entry's file: its name as the list shows it, trailing spaces dropped, "/" and
// control characters as "_", a leading "." as "_", "_" when nothing is left; then ".prg", ".seq",
// ".usr", ".rel", ".del" by its type, or ".p00", ".s00", ... for the container.
std::string ExportFileName(const DirectoryEntry& entry, bool geosDisk, ExportFormat format);

}  // namespace kestrune
