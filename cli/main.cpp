// kestrune-cli: the viewer's directory and panes as text or JSON.
//
// A command runs in a few milliseconds, so its start-up counts: only the options of the command
// named on the command line are set up (each costs the parser's allocations and code), the heap
// is made present in one go, and the program is linked statically.
#include <malloc.h>
#include <sys/mman.h>
#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <string_view>

#include "cli/collection_commands.h"
#include "cli/commands.h"
#include "collection/catalog.h"
#include "viewer/row_texts.h"
#include "viewer/session.h"
#include "viewer/view_table.h"

namespace {

using namespace kestrune;

const std::map<std::string, int> kSortColumns = {
    {"size", ColumnSize},   {"name", ColumnFileName}, {"type", ColumnType}, {"start", ColumnStart},
    {"track", ColumnTrack}, {"sector", ColumnSector}, {"geos", ColumnGeos},
};

// A page fault costs microseconds on a virtual machine, more than the work of a small command:
// the heap a command needs is made present at once, one system call in place of a fault for
// every page it touches. Blocks of up to 16 MiB come from the heap, which keeps its pages when
// they are freed.
void PrepareHeap() {
    constexpr std::size_t kHeap = 1 << 20;
    constexpr std::uintptr_t kPage = 4096;
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    void* block = std::malloc(kHeap);
    if (block == nullptr) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + kHeap) & ~(kPage - 1);
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
    std::free(block);
}

// What --help says first: what the program reads, the extensions from the format table.
std::string Description() {
    std::string text =
        "Kestrune: shows the directory and files of Commodore disk images, tape and file\n"
        "archives, also inside .zip or .gz:";
    std::size_t column = 80;
    for (const std::string_view pattern : Session::OpenPatterns()) {
        if (pattern == "zip" || pattern == "gz") continue;
        // "p[0-9][0-9]" is written as P00.
        std::string name(pattern.substr(0, pattern.find('[')));
        if (name.size() < pattern.size()) name += "00";
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (column + name.size() + 2 > 78) {
            text += "\n ";
            column = 1;
        }
        text += " " + name + ",";
        column += name.size() + 2;
    }
    text.back() = '.';
    text +=
        "\nExit codes: 0 ok, 1 bad usage, 2 image not loaded, no such row or start address\n"
        "rejected, 3 the directory named an impossible track (what was read is printed),\n"
        "4 check found something wrong.";
    return text;
}

// The options every command has for choosing the image it opens.
void AddImageOptions(CLI::App* command, cli::ImageOptions& options) {
    command->add_option("IMAGE", options.image, "The image, archive or file")->required();
    command->add_option("--member", options.member,
                        "The image to open in an archive (.zip) that holds several: its name, or "
                        "its number from 1");
    command->add_option("--in", options.partitions,
                        "Open the 1581 partition of this row (1-based, directory order); "
                        "repeat it for a partition inside it");
    command->add_flag("--yes", options.yes, "Answer Yes to the loader's questions (default No)");
}

// A command: its options are added to its parser, and after a parse it runs.
struct Command {
    std::string_view name;
    std::string_view description;
    // Adds the options to the command's parser; the returned function, called once the command
    // line is parsed, checks what the options cannot check alone (throwing CLI::ValidationError)
    // and runs the command, returning its exit code.
    std::function<std::function<int()>(CLI::App*)> setUp;
};

std::function<int()> SetUpDir(CLI::App* command) {
    auto dir = std::make_shared<cli::DirOptions>();
    auto sortName = std::make_shared<std::string>();
    auto charsetName = std::make_shared<std::string>();
    AddImageOptions(command, *dir);
    command
        ->add_option("--sort", *sortName,
                     "List the rows as a click on this column's header sorts them")
        ->check(CLI::IsMember({"size", "name", "type", "start", "track", "sector", "geos"}));
    command->add_flag("--json", dir->json, "Print JSON");
    command
        ->add_option("--charset", *charsetName,
                     "Print names in a C64 character set as Unicode (Symbols for Legacy "
                     "Computing): upper (upper case and graphics) or lower (lower and upper case)")
        ->check(CLI::IsMember({"upper", "lower"}));
    return [=] {
        if (!sortName->empty()) dir->sortColumn = kSortColumns.at(*sortName);
        if (!charsetName->empty())
            dir->charset =
                *charsetName == "upper" ? Charset::UpperCaseGraphics : Charset::LowerUpperCase;
        return cli::RunDir(*dir, std::cout, std::cerr);
    };
}

std::function<int()> SetUpShow(CLI::App* command) {
    auto show = std::make_shared<cli::ShowOptions>();
    auto row = std::make_shared<int>(0);
    auto name = std::make_shared<std::string>();
    auto viewName = std::make_shared<std::string>();
    auto at = std::make_shared<std::string>();
    auto png = std::make_shared<std::string>();
    AddImageOptions(command, *show);
    CLI::Option* rowOption =
        command->add_option("--row", *row, "The file's row, 1 for the first, in directory order");
    CLI::Option* nameOption =
        command->add_option("--name", *name, "The file's name (trailing spaces ignored)");
    rowOption->excludes(nameOption);
    // Every view of a file's own (not the disk's map), and the source.
    std::vector<std::string> views;
    for (const ViewRow& view : ViewTable) {
        if (ShowsFilePane(view)) views.emplace_back(view.key);
    }
    views.emplace_back("source");
    CLI::Option* viewOption =
        command
            ->add_option("--as", *viewName,
                         "The view to print (default: the view the viewer opens), or source: the "
                         "file as 64tass source")
            ->check(CLI::IsMember(views));
    std::vector<std::string> formats = {"auto"};
    for (const PictureFormatChoice& format : Session::PictureFormats())
        formats.emplace_back(format.key);
    command
        ->add_option("--format", show->pictureFormat,
                     "The picture format of --as picture (default: the one the file's load "
                     "address and length name)")
        ->check(CLI::IsMember(formats));
    std::vector<std::string> palettes;
    for (const PaletteChoice& palette : Session::Palettes())
        palettes.emplace_back(palette.key);
    command
        ->add_option("--palette", show->palette, "The palette of --as picture: pepto or colodore")
        ->check(CLI::IsMember(palettes));
    auto colours = std::make_shared<std::vector<int>>();
    CLI::Option* coloursOption =
        command
            ->add_option("--colours", *colours,
                         "The colours of sprites and character sets, by number (0-15): "
                         "background, own colour, multicolour 1, multicolour 2 (default 0,1,15,12)")
            ->delimiter(',')
            ->expected(4)
            ->check(CLI::Range(0, 15));
    CLI::Option* pngOption =
        command->add_option("--png", *png, "With --as picture: write the picture as a PNG file");
    CLI::Option* atOption = command->add_option(
        "--at", *at, "A start address for the disassembly, as typed into the box: 49152 or $C000");
    command->add_flag("--undocumented", show->undocumented,
                      "Decode every opcode in the Assembly view, as da65 --cpu 6502X does");
    std::vector<std::string> dialects = {"auto"};
    for (const auto& dialect : Session::BasicDialects())
        dialects.emplace_back(dialect.first);
    command
        ->add_option("--basic", show->basic,
                     "The BASIC dialect of the listing: auto (found from the program, the "
                     "default), v2, v3.5, v4.0, v7.0, simons or superexpander")
        ->check(CLI::IsMember(dialects));
    command->add_flag("--json", show->json, "Print JSON with all five panes");
    return [=] {
        if (!*rowOption && !*nameOption)
            throw CLI::ValidationError("show needs --row N or --name NAME");
        if (*rowOption) show->row = *row;
        if (*nameOption) show->name = *name;
        if (*viewName == "source") {
            show->source = true;
        } else if (*viewOption) {
            for (const ViewRow& view : ViewTable) {
                if (view.key == *viewName) show->view = view.view;
            }
        }
        if (*coloursOption) {
            show->colours = {
                static_cast<std::uint8_t>((*colours)[0]), static_cast<std::uint8_t>((*colours)[1]),
                static_cast<std::uint8_t>((*colours)[2]), static_cast<std::uint8_t>((*colours)[3])};
        }
        if (*pngOption) {
            if (show->view != ViewPicture) throw CLI::ValidationError("--png needs --as picture");
            show->png = *png;
        }
        if (*atOption) show->at = *at;
        return cli::RunShow(*show, std::cout, std::cerr);
    };
}

std::function<int()> SetUpExtract(CLI::App* command) {
    auto extract = std::make_shared<cli::ExtractOptions>();
    auto row = std::make_shared<int>(0);
    auto name = std::make_shared<std::string>();
    auto format = std::make_shared<std::string>("native");
    auto output = std::make_shared<std::string>();
    auto folder = std::make_shared<std::string>();
    AddImageOptions(command, *extract);
    CLI::Option* rowOption =
        command->add_option("--row", *row, "The file's row, 1 for the first, in directory order");
    CLI::Option* nameOption =
        command->add_option("--name", *name, "The file's name (trailing spaces ignored)");
    CLI::Option* allOption =
        command->add_flag("--all", extract->all, "Every row that names a file");
    rowOption->excludes(nameOption)->excludes(allOption);
    nameOption->excludes(allOption);
    command
        ->add_option("--as", *format,
                     "native: the bytes the file's chain holds (default); p00: a PC64 container")
        ->check(CLI::IsMember({"native", "p00"}));
    CLI::Option* outputOption = command->add_option(
        "-o", *output, "The file to write, - for standard output (not with --all)");
    CLI::Option* folderOption = command->add_option(
        "-d", *folder, "The folder to write into, the files named after their entries");
    outputOption->excludes(folderOption)->excludes(allOption);
    return [=] {
        if (!*rowOption && !*nameOption && !extract->all)
            throw CLI::ValidationError("extract needs --row N, --name NAME or --all");
        if (*rowOption) extract->row = *row;
        if (*nameOption) extract->name = *name;
        extract->p00 = *format == "p00";
        if (*outputOption) extract->output = *output;
        if (*folderOption) extract->folder = *folder;
        return cli::RunExtract(*extract, std::cout, std::cerr);
    };
}

// map and check take the same options.
std::function<std::function<int()>(CLI::App*)> SetUpDiskCommand(int (*run)(const cli::DiskOptions&,
                                                                           std::ostream&,
                                                                           std::ostream&)) {
    return [run](CLI::App* command) -> std::function<int()> {
        auto options = std::make_shared<cli::DiskOptions>();
        AddImageOptions(command, *options);
        command->add_flag("--json", options->json, "Print JSON");
        return [=] { return run(*options, std::cout, std::cerr); };
    };
}

void AddCatalogOption(CLI::App* command, cli::CatalogOptions& options) {
    command->add_option("--db", options.db,
                        "The index file (default $XDG_DATA_HOME/kestrune/collection.sqlite)");
}

std::function<int()> SetUpIndex(CLI::App* command) {
    auto index = std::make_shared<cli::IndexOptions>();
    command->add_option("PATH", index->paths, "Folders (read recursively) and files to index")
        ->required();
    AddCatalogOption(command, *index);
    command->add_option("--jobs", index->jobs, "Files read side by side (default: one a core)")
        ->check(CLI::Range(1, 256));
    command->add_flag("--rebuild", index->rebuild, "Make the index anew first");
    return [=] { return cli::RunIndex(*index, std::cout, std::cerr); };
}

std::function<int()> SetUpFind(CLI::App* command) {
    auto find = std::make_shared<cli::FindOptions>();
    auto load = std::make_shared<std::string>();
    AddCatalogOption(command, *find);
    command->add_option("--name", find->name,
                        "A name, in any case: a glob (*, ?) or, without one, any part of it");
    CLI::Option* loadOption =
        command->add_option("--load", *load, "A load address: $c000, 0xc000 or 49152");
    command->add_option("--type", find->type, "A file type: prg, seq, usr, rel, del, ...");
    command->add_option("--format", find->format, "An image format: d64, d81, t64, ...");
    command->add_option("--sha1", find->sha1, "The SHA-1 of the file's bytes");
    command->add_option("--sha256", find->sha256, "The SHA-256 of the file's bytes");
    command->add_option("--text", find->text,
                        "Any part of the file's BASIC listing or PETSCII text, in any case");
    auto hex = std::make_shared<std::string>();
    CLI::Option* hexOption =
        command->add_option("--hex", *hex, "Bytes the file holds, ?? for any byte: \"a9 ?? 8d\"");
    command->add_option("--limit", find->limit, "At most this many hits");
    command->add_flag("--json", find->json, "Print JSON");
    return [=] {
        if (*loadOption) {
            find->load = ParseLoadAddress(*load);
            if (!find->load)
                throw CLI::ValidationError("--load takes $c000, 0xc000 or 49152 (up to $ffff)");
        }
        if (*hexOption) {
            find->bytes = ParseBytePattern(*hex);
            if (!find->bytes)
                throw CLI::ValidationError("--hex takes bytes as two hexadecimal digits or ??");
        }
        return cli::RunFind(*find, std::cout, std::cerr);
    };
}

std::function<int()> SetUpDupes(CLI::App* command) {
    auto dupes = std::make_shared<cli::DupesOptions>();
    AddCatalogOption(command, *dupes);
    command->add_option("--min-blocks", dupes->minBlocks,
                        "Count files of at least this many blocks (default 0)");
    command->add_flag("--json", dupes->json, "Print JSON");
    return [=] { return cli::RunDupes(*dupes, std::cout, std::cerr); };
}

std::function<int()> SetUpDiff(CLI::App* command) {
    auto diff = std::make_shared<cli::DiffOptions>();
    command->add_option("A", diff->a, "The first image")->required();
    command->add_option("B", diff->b, "The second image")->required();
    command->add_option("--member-a", diff->memberA, "The image to take from A, an archive");
    command->add_option("--member-b", diff->memberB, "The image to take from B, an archive");
    command->add_flag("--json", diff->json, "Print JSON");
    return [=] { return cli::RunDiff(*diff, std::cout, std::cerr); };
}

std::function<int()> SetUpExport(CLI::App* command) {
    auto options = std::make_shared<cli::CatalogOptions>();
    AddCatalogOption(command, *options);
    auto jsonl = std::make_shared<bool>(false);
    command->add_flag("--jsonl", *jsonl, "One JSON document a line (the only form)")->required();
    // The flag lives as long as the parse that sets it.
    return [=] { return *jsonl ? cli::RunExport(*options, std::cout, std::cerr) : cli::kUsage; };
}

}  // namespace

int main(int argc, char** argv) {
    PrepareHeap();
    std::ios::sync_with_stdio(false);
    CLI::App app{Description(), "kestrune-cli"};
    app.require_subcommand(1);

    const Command commands[] = {
        {"dir", "List the directory of an image", SetUpDir},
        {"show", "Show one file of an image", SetUpShow},
        {"extract", "Write files of an image out as files of their own", SetUpExtract},
        {"map", "Show which file, if any, holds each sector of an image",
         SetUpDiskCommand(cli::RunMap)},
        {"check", "Check an image's chains, block counts, BAM and error bytes (it only reads)",
         SetUpDiskCommand(cli::RunCheck)},
        {"index", "Index every image under folders into a collection's index", SetUpIndex},
        {"find", "Find files in the collection's index", SetUpFind},
        {"dupes", "List the images and files the collection holds more than once", SetUpDupes},
        {"diff", "Show what differs between two images: files and sectors", SetUpDiff},
        {"export", "Print every file of the collection's index", SetUpExport},
    };
    const std::string_view named = argc > 1 ? argv[1] : "";
    std::function<int()> run;
    for (const Command& command : commands) {
        CLI::App* parser =
            app.add_subcommand(std::string(command.name), std::string(command.description));
        if (command.name == named) run = command.setUp(parser);
    }

    try {
        app.parse(argc, argv);
        if (run) return run();
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : cli::kUsage;
    }
    return cli::kUsage;
}
