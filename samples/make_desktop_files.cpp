// Writes shell/kestrune-mime.xml and shell/kestrune.desktop from the format table: a MIME type
// for each format the desktop should offer Kestrune for, and the desktop entry that names them.
//   make_desktop_files FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "image/format_table.h"

namespace {

constexpr const char* kDesktopEntry =
    "[Desktop Entry]\n"
    "Type=Application\n"
    "Name=Kestrune\n"
    "GenericName=Disk Image Viewer\n"
    "Comment=View Commodore disk images and archives: directory, BASIC, disassembly, hex and text\n"
    "Exec=kestrune %f\n"
    "Icon=kestrune\n"
    "Terminal=false\n"
    "Categories=Utility;Viewer;Development;\n";

constexpr const char* kKeywords =
    "Keywords=Commodore;C64;1541;1571;1581;D64;D71;D81;G64;T64;floppy;disk image;\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_desktop_files FOLDER\n");
        return 1;
    }
    const std::string folder = argv[1];
    std::ofstream mime(folder + "/kestrune-mime.xml", std::ios::binary);
    std::ofstream desktop(folder + "/kestrune.desktop", std::ios::binary);
    mime << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    std::string types;
    for (const kestrune::ImageFormat& format : kestrune::ImageFormats()) {
        for (const kestrune::MimeType& type : format.mimeTypes) {
            mime << "  <mime-type type=\"" << type.type << "\">\n"
                 << "    <comment>" << type.comment << "</comment>\n"
                 << "    <generic-icon name=\"media-floppy\"/>\n"
                 << "    <glob pattern=\"*." << type.pattern << "\" case-sensitive=\"false\"/>\n"
                 << "  </mime-type>\n";
            types += std::string(type.type) + ";";
        }
    }
    mime << "</mime-info>\n";
    desktop << kDesktopEntry << "MimeType=" << types << "\n" << kKeywords;
    return mime && desktop ? 0 : 1;
}
