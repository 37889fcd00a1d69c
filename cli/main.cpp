// kestrune-cli: the viewer's directory and panes as text or JSON.
#include <CLI/CLI.hpp>

#include <iostream>
#include <map>

#include "cli/commands.h"
#include "viewer/row_texts.h"
#include "viewer/session.h"

namespace {

using namespace kestrune;

const std::map<std::string, int> kSortColumns = {
    {"size", ColumnSize},   {"name", ColumnFileName}, {"type", ColumnType}, {"start", ColumnStart},
    {"track", ColumnTrack}, {"sector", ColumnSector}, {"geos", ColumnGeos},
};

const std::map<std::string, ViewMode> kViews = {
    {"basic", ViewBasic},     {"assembly", ViewAssembly}, {"hex", ViewHex},
    {"petscii", ViewPetscii}, {"scrcode", ViewScrCode},
};

}  // namespace

// The options every command has for choosing the image it opens.
void AddImageOptions(CLI::App* command, cli::ImageOptions& options) {
    command->add_option("IMAGE", options.image, "The image, archive or file")->required();
    command->add_option("--member", options.member,
                        "The image to open in an archive (.zip) that holds several");
    command->add_option("--in", options.partitions,
                        "Open the 1581 partition of this row (1-based, directory order); "
                        "repeat it for a partition inside it");
    command->add_flag("--yes", options.yes, "Answer Yes to the loader's questions (default No)");
}

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    CLI::App app{
        "Kestrune: shows the directory and files of Commodore disk images, tape and file\n"
        "archives (D64, D71, D81, D80, D82, G64, G71, X64, T64, LNX, P00, PRG, ...), also\n"
        "inside .zip or .gz.\n"
        "Exit codes: 0 ok, 1 bad usage, 2 image not loaded, no such row or start address\n"
        "rejected, 3 the directory named an impossible track (what was read is printed),\n"
        "4 check found something wrong.",
        "kestrune-cli"};
    app.require_subcommand(1);

    cli::DirOptions dir;
    std::string sortName;
    CLI::App* dirCommand = app.add_subcommand("dir", "List the directory of an image");
    AddImageOptions(dirCommand, dir);
    dirCommand
        ->add_option("--sort", sortName,
                     "List the rows as a click on this column's header sorts them")
        ->check(CLI::IsMember({"size", "name", "type", "start", "track", "sector", "geos"}));
    dirCommand->add_flag("--json", dir.json, "Print JSON");
    std::string charsetName;
    dirCommand
        ->add_option("--charset", charsetName,
                     "Print names in a C64 character set as Unicode (Symbols for Legacy "
                     "Computing): upper (upper case and graphics) or lower (lower and upper case)")
        ->check(CLI::IsMember({"upper", "lower"}));

    cli::ShowOptions show;
    int row = 0;
    std::string name, viewName, at;
    CLI::App* showCommand = app.add_subcommand("show", "Show one file of an image");
    AddImageOptions(showCommand, show);
    CLI::Option* rowOption = showCommand->add_option(
        "--row", row, "The file's row, 1 for the first, in directory order");
    CLI::Option* nameOption =
        showCommand->add_option("--name", name, "The file's name (trailing spaces ignored)");
    rowOption->excludes(nameOption);
    CLI::Option* viewOption =
        showCommand
            ->add_option("--as", viewName, "The view to print (default: the view the viewer opens)")
            ->check(CLI::IsMember({"basic", "assembly", "hex", "petscii", "scrcode", "source"}));
    CLI::Option* atOption = showCommand->add_option(
        "--at", at, "A start address for the disassembly, as typed into the box: 49152 or $C000");
    showCommand->add_flag("--undocumented", show.undocumented,
                          "Decode every opcode in the Assembly view, as da65 --cpu 6502X does");
    std::vector<std::string> dialects = {"auto"};
    for (const auto& dialect : Session::BasicDialects())
        dialects.emplace_back(dialect.first);
    showCommand
        ->add_option(
            "--basic", show.basic,
            "The BASIC dialect of the listing: auto (found from the program, the default), "
            "v2, v3.5, v4.0, v7.0, simons or superexpander")
        ->check(CLI::IsMember(dialects));
    showCommand->add_flag("--json", show.json, "Print JSON with all five panes");

    cli::ExtractOptions extract;
    int extractRow = 0;
    std::string extractName, format = "native", output, folder;
    CLI::App* extractCommand =
        app.add_subcommand("extract", "Write files of an image out as files of their own");
    AddImageOptions(extractCommand, extract);
    CLI::Option* extractRowOption = extractCommand->add_option(
        "--row", extractRow, "The file's row, 1 for the first, in directory order");
    CLI::Option* extractNameOption = extractCommand->add_option(
        "--name", extractName, "The file's name (trailing spaces ignored)");
    CLI::Option* allOption =
        extractCommand->add_flag("--all", extract.all, "Every row that names a file");
    extractRowOption->excludes(extractNameOption)->excludes(allOption);
    extractNameOption->excludes(allOption);
    extractCommand
        ->add_option("--as", format,
                     "native: the bytes the file's chain holds (default); p00: a PC64 container")
        ->check(CLI::IsMember({"native", "p00"}));
    CLI::Option* outputOption = extractCommand->add_option(
        "-o", output, "The file to write, - for standard output (not with --all)");
    CLI::Option* folderOption = extractCommand->add_option(
        "-d", folder, "The folder to write into, the files named after their entries");
    outputOption->excludes(folderOption)->excludes(allOption);

    cli::DiskOptions map;
    CLI::App* mapCommand =
        app.add_subcommand("map", "Show which file, if any, holds each sector of an image");
    AddImageOptions(mapCommand, map);
    mapCommand->add_flag("--json", map.json, "Print JSON");
    cli::DiskOptions check;
    CLI::App* checkCommand = app.add_subcommand(
        "check", "Check an image's chains, block counts, BAM and error bytes (it only reads)");
    AddImageOptions(checkCommand, check);
    checkCommand->add_flag("--json", check.json, "Print JSON");

    try {
        app.parse(argc, argv);
        if (extractCommand->parsed() && !*extractRowOption && !*extractNameOption && !extract.all) {
            throw CLI::ValidationError("extract needs --row N, --name NAME or --all");
        }
        if (showCommand->parsed() && !*rowOption && !*nameOption) {
            throw CLI::ValidationError("show needs --row N or --name NAME");
        }
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : cli::kUsage;
    }

    if (extractCommand->parsed()) {
        if (*extractRowOption) extract.row = extractRow;
        if (*extractNameOption) extract.name = extractName;
        extract.p00 = format == "p00";
        if (*outputOption) extract.output = output;
        if (*folderOption) extract.folder = folder;
        return cli::RunExtract(extract, std::cout, std::cerr);
    }
    if (mapCommand->parsed()) return cli::RunMap(map, std::cout, std::cerr);
    if (checkCommand->parsed()) return cli::RunCheck(check, std::cout, std::cerr);
    if (dirCommand->parsed()) {
        if (!sortName.empty()) dir.sortColumn = kSortColumns.at(sortName);
        if (!charsetName.empty())
            dir.charset =
                charsetName == "upper" ? Charset::UpperCaseGraphics : Charset::LowerUpperCase;
        return cli::RunDir(dir, std::cout, std::cerr);
    }
    if (*rowOption) show.row = row;
    if (*nameOption) show.name = name;
    if (viewName == "source") {
        show.source = true;
    } else if (*viewOption) {
        show.view = kViews.at(viewName);
    }
    if (*atOption) show.at = at;
    return cli::RunShow(show, std::cout, std::cerr);
}
