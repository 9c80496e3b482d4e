// A main() for fuzz targets in builds without libFuzzer: runs LLVMFuzzerTestOneInput once over
// each file named on the command line, or found in a directory named there, so that the seed
// corpus and saved crash inputs are regression tests of the normal and sanitizer builds.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    // Each file argument, and the regular files of each directory argument in name order, so
    // that runs are repeatable.
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i)
    {
        std::error_code error;
        std::vector<fs::path> found;
        if (!fs::is_directory(argv[i], error))
            found.emplace_back(argv[i]);
        else
            for (const auto& entry : fs::recursive_directory_iterator(argv[i], error))
                if (entry.is_regular_file())
                    found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    for (const fs::path& file : files)
    {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.is_open() || in.bad())
            return std::fprintf(stderr, "%s: %s: cannot read\n", argv[0], file.c_str()), 1;
        // An exact-size heap copy, so that AddressSanitizer reports any read past the input.
        const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[std::max<std::size_t>(bytes.size(), 1)]);
        std::copy(bytes.begin(), bytes.end(), data.get());
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
    }
    if (files.empty())
        return std::fprintf(stderr, "%s: no inputs; usage: %s FILE-OR-DIRECTORY...\n", argv[0], argv[0]), 1;
    std::printf("%s: %zu inputs run\n", argv[0], files.size());
    return 0;
}
