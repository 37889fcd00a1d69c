// Runs a fuzz target on files and folders of inputs, for builds without libFuzzer: the tests replay
// every input that once made a target fail.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Replay(const std::filesystem::path& path, int& count) {
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path))
            Replay(entry.path(), count);
        return;
    }
    if (path.filename().string().front() == '.') return;
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++count;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i)
        Replay(argv[i], count);
    std::printf("replayed %d inputs\n", count);
    return 0;
}
