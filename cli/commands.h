// The commands of kestrune-cli: listing an image's directory, showing one of its files, and
// writing files out.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/c64_names.h"
#include "viewer/picture_pane.h"
#include "viewer/view_mode.h"

namespace kestrune::cli {

enum ExitCode { kOk = 0, kUsage = 1, kNotShown = 2, kReadError = 3, kFindings = 4 };

// Which image to open: the file, the image in it when it is an archive, and the partitions to
// open one inside the other (1-based rows in directory order).
struct ImageOptions {
    std::string image;
    std::optional<std::string> member;
    std::vector<int> partitions;
    bool yes = false;
};

struct DirOptions : ImageOptions {
    std::optional<int> sortColumn;   // the column whose header was clicked
    std::optional<Charset> charset;  // names in a C64 character set instead of the list's text
    bool json = false;
};

struct ShowOptions : ImageOptions {
    std::optional<int> row;              // 1-based, in directory order
    std::optional<std::string> name;     // the File Name, trailing spaces ignored
    std::optional<ViewMode> view;        // the pane to print; the viewer's choice without it
    bool source = false;                 // print the file as 64tass source instead
    std::optional<std::string> at;       // what the user types into the start-address box
    bool undocumented = false;           // the Assembly view decodes every opcode
    std::string basic = "auto";          // the BASIC dialect, "auto" to find it from the program
    std::string pictureFormat = "auto";  // the picture format, "auto" for the one the file names
    std::string palette = "pepto";       // the picture's palette
    PictureColourChoice colours;         // the colours of sprites and character sets
    std::optional<std::string> png;      // the file the picture is written to
    bool json = false;
};

struct ExtractOptions : ImageOptions {
    std::optional<int> row;             // 1-based, in directory order
    std::optional<std::string> name;    // the File Name, trailing spaces ignored
    bool all = false;                   // every row that names a file
    bool p00 = false;                   // in a PC64 container instead of the native bytes
    std::optional<std::string> output;  // the file to write, "-" for stdout
    std::optional<std::string> folder;  // where the files go, named after their entries
};

// map and check: the sectors of the directory on show, or what is wrong with them.
struct DiskOptions : ImageOptions {
    bool json = false;
};

// All return the exit code.
int RunDir(const DirOptions& options, std::ostream& out, std::ostream& err);
int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err);
int RunExtract(const ExtractOptions& options, std::ostream& out, std::ostream& err);
int RunMap(const DiskOptions& options, std::ostream& out, std::ostream& err);
int RunCheck(const DiskOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kestrune::cli
