// Runs a fuzz target's entry point once on every file of the folders (or on
// the files) named on the command line, so the committed seed corpus and
// every input a fuzzer once crashed on are replayed by an ordinary test.
// A missing folder is skipped; finding no input at all is a failure.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputs_of(const fs::path& where) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(where, ec)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(where, ec))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
    } else if (fs::is_regular_file(where, ec)) {
        files.push_back(where);
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputs_of(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
                return 1;
            }
            std::printf("replay %s (%zu bytes)\n", file.filename().string().c_str(), bytes.size());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    if (replayed == 0) {
        std::fprintf(stderr, "no input found\n");
        return 1;
    }
    return 0;
}
