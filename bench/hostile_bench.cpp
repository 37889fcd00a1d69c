// kestrune-cli on files made to cost as much as they can: a zip whose thousand entries name one
// member of 64 MiB, a T64 of 65,535 entries on the same data, a file of 64 MiB shown whole, a D82
// whose 16,432 rows all name one chain of 2,054 blocks (with and without an error table), names
// that carry terminal escapes. Each run is the real program as a process: its time is the
// benchmark's, its peak memory (the largest resident set) the counter peak_MB. The inputs are
// made once, in a folder of their own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/hostile_inputs.h"
#include "tests/support/disk_builder.h"

extern char** environ;

namespace kestrune {
namespace {

using testing::Bytes;
using namespace hostile;

const testing::TempDir& Folder() {
    static const testing::TempDir dir;
    return dir;
}

// A file of the folder, made the first time it is asked for. It is made by a process of its own:
// the peak memory a child reports counts its parent's too, which must stay small.
std::string Input(const std::string& name, Bytes (*make)()) {
    static std::map<std::string, std::string> made;
    const auto known = made.find(name);
    if (known != made.end()) return known->second;
    const std::filesystem::path path = Folder() / name;
    if (const pid_t maker = ::fork(); maker == 0) {
        testing::WriteFile(path, make());
        std::_Exit(0);
    } else {
        int status = 0;
        ::waitpid(maker, &status, 0);
    }
    made.emplace(name, path.string());
    return path.string();
}

// Runs kestrune-cli with arguments, its output to /dev/null; its peak memory in MB.
double Run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv = {const_cast<char*>(KESTRUNE_CLI_PATH)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Hostile(benchmark::State& state, const char* name, Bytes (*make)(),
             std::vector<std::string> arguments) {
    const std::string path = Input(name, make);
    for (std::string& argument : arguments) {
        if (argument == "INPUT") argument = path;
    }
    double peak = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        peak = std::max(peak, Run(arguments));
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["peak_MB"] = peak;
}

#define HOSTILE(label, name, make, ...)                                                  \
    BENCHMARK_CAPTURE(Hostile, label, name, make, std::vector<std::string>{__VA_ARGS__}) \
        ->UseManualTime()                                                                \
        ->Unit(benchmark::kMillisecond)                                                  \
        ->Iterations(3)

HOSTILE(zip_1000_entries_on_one_member_dir, "bomb.zip", ZipBomb, "dir", "INPUT");
HOSTILE(t64_65535_entries_at_one_offset_dir, "same.t64.gz", TapeOfSameEntries, "dir", "INPUT");
HOSTILE(t64_65535_entries_at_one_offset_show_json, "same.t64.gz", TapeOfSameEntries, "show",
        "INPUT", "--row", "65535", "--json");
HOSTILE(file_64MiB_show_hex, "zeros.prg", Zeros, "show", "INPUT", "--row", "1", "--as", "hex");
HOSTILE(file_64MiB_show_assembly, "zeros.prg", Zeros, "show", "INPUT", "--row", "1", "--as",
        "assembly");
HOSTILE(file_64MiB_show_source, "zeros.prg", Zeros, "show", "INPUT", "--row", "1", "--as",
        "source");
HOSTILE(file_64MiB_show_json, "zeros.prg", Zeros, "show", "INPUT", "--row", "1", "--json");
HOSTILE(file_64MiB_noise_show_assembly, "noise.prg", Noise, "show", "INPUT", "--row", "1", "--as",
        "assembly");
HOSTILE(file_64MiB_noise_show_json, "noise.prg", Noise, "show", "INPUT", "--row", "1", "--json");
HOSTILE(file_64MiB_zipped_show_json, "zeros.zip", ZippedZeros, "show", "INPUT", "--row", "1",
        "--json");
HOSTILE(d82_16432_rows_on_one_chain_check_json, "same.d82", D82, "check", "INPUT", "--json");
HOSTILE(d82_16432_rows_on_one_chain_map, "same.d82", D82, "map", "INPUT");
HOSTILE(d82_16432_rows_on_one_chain_dir, "same.d82", D82, "dir", "INPUT");
HOSTILE(d82_with_errors_dir, "errors.d82", D82WithErrors, "dir", "INPUT", "--yes");
HOSTILE(d82_with_errors_check_json, "errors.d82", D82WithErrors, "check", "INPUT", "--json",
        "--yes");
HOSTILE(escaping_member_names_dir, "escapes.zip", EscapingNames, "dir", "INPUT");

}  // namespace
}  // namespace kestrune
