// Replays a harness's corpus (files or folders of files) without libFuzzer; fails without input, so a lost corpus shows.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "support/temp_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!fs::is_directory(argv[i])) inputs.emplace_back(argv[i]);
        else for (const auto& entry : fs::directory_iterator(argv[i])) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& file : inputs) {
        if (!fs::is_regular_file(file)) return std::fprintf(stderr, "cannot read %s\n", file.c_str()), 1;
        std::printf("replaying %s\n", file.c_str());
        std::fflush(stdout);
        const std::string input = kt::test::ReadFile(file);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
