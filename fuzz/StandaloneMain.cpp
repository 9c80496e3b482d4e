// A main() for fuzz targets in builds without libFuzzer: runs LLVMFuzzerTestOneInput once over
// each file named on the command line, or found in a directory named there, so that the seed
// corpus and saved crash inputs are regression tests of the normal and sanitizer builds.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace
{
// The files to run: each file argument, and the regular files of each directory argument in
// name order (so that runs are repeatable).
std::vector<std::filesystem::path> inputs(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i)
    {
        const std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg))
        {
            std::vector<std::filesystem::path> found;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file())
                    found.push_back(entry.path());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        }
        else if (std::filesystem::is_regular_file(arg))
            files.push_back(arg);
        else
            throw std::runtime_error(arg.string() + ": no such file or directory");
    }
    return files;
}

void runOne(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open");
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot read");
    // An exact-size heap copy, so that AddressSanitizer reports any read past the input.
    const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
}
} // namespace

int main(int argc, char** argv)
{
    try
    {
        if (LLVMFuzzerInitialize)
            LLVMFuzzerInitialize(&argc, &argv);
        const std::vector<std::filesystem::path> files = inputs(argc, argv);
        if (files.empty())
            throw std::runtime_error("no inputs; usage: " + std::string(argv[0]) + " FILE-OR-DIRECTORY...");
        for (const std::filesystem::path& file : files)
        {
            try
            {
                runOne(file);
            }
            catch (const std::exception& e)
            {
                throw std::runtime_error(file.string() + ": " + e.what());
            }
        }
        std::printf("%s: %zu inputs run\n", argv[0], files.size());
        return 0;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
