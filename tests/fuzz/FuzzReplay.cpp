// Replays every input of the committed fuzzing corpus through the fuzz target's checks, as a
// plain test: each input a past run found keeps its problem fixed, with or without clang.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_replay <corpus folder>\n");
        return 2;
    }
    std::vector<std::filesystem::path> inputs;
    for (const auto& item : std::filesystem::directory_iterator(argv[1]))
        if (item.is_regular_file()) inputs.push_back(item.path());
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "fuzz_replay: no inputs in %s\n", argv[1]);
        return 1;
    }
    for (const auto& path : inputs) {
        // Named before the run, so that an abort shows which input it was.
        std::fprintf(stderr, "%s\n", path.filename().string().c_str());
        std::ifstream file(path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("fuzz_replay: %zu inputs replayed\n", inputs.size());
    return 0;
}
