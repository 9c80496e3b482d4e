// Fuzzes the profile functions with arbitrary file content. Reads with many names and buffer
// sizes must stay inside their buffers and agree with one another; a write must read back, leave
// every other key's value alone and keep every other line of the file (CR LF, LF and CR end lines).
#include "platform/Profile.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace
{
constexpr const char* kFile = "C:\\fuzz.ini";
// A buffer for whole values: longer ones are cut alike in every read, which still compares them.
constexpr DWORD kWhole = 4096;

void check(bool condition, const char* what, const std::string& detail = {})
{
    if (!condition)
        std::fprintf(stderr, "profile_fuzz: %s [%s]\n", what, detail.c_str()), std::abort();
}

// The file behind kFile, in memory when possible because every write ends in fsync; its
// directory is removed at exit.
const std::string& path()
{
    static const testkit::TempDir dir("profile_fuzz", std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "");
    static const std::string file = dir.file("fuzz.ini");
    return file;
}

std::string fileText()
{
    std::ifstream in(path(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Reads into a buffer of the given size between guard bytes, checking the result's contract.
std::string get(const std::string* section, const std::string* key, DWORD size)
{
    std::vector<char> buffer(size + 32, '\x7f');
    char* out = buffer.data() + 16;
    const DWORD n = GetPrivateProfileStringA(section ? section->c_str() : nullptr, key ? key->c_str() : nullptr,
                                             "(default)", out, size, kFile);
    check((n < size && out[n] == '\0') || (n == 0 && size == 0), "result not below the size or not terminated");
    check(!section || !key || std::strlen(out) == n, "result is not the length copied");
    check(std::count(buffer.data(), out, '\x7f') + std::count(out + size, out + size + 16, '\x7f') == 32,
          "written outside the buffer");
    return std::string(out, n);
}

// The lines of text without their ends, in order; CR LF, LF and a lone CR each end one.
std::vector<std::string> lines(std::string_view text)
{
    std::vector<std::string> out;
    for (size_t at = 0, end; at < text.size(); at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1))
    {
        end = std::min(text.find_first_of("\r\n", at), text.size());
        out.emplace_back(text.substr(at, end - at));
    }
    return out;
}

// How many of small's lines are not found in order among large's: small's length less the longest
// common subsequence.
size_t missing(const std::vector<std::string>& small, const std::vector<std::string>& large)
{
    std::vector<size_t> common(large.size() + 1, 0);
    for (const std::string& line : small)
        for (size_t j = 1, diagonal = 0; j <= large.size(); ++j)
            diagonal =
                std::exchange(common[j], line == large[j - 1] ? diagonal + 1 : std::max(common[j], common[j - 1]));
    return small.size() - common.back();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(path(), std::ios::binary | std::ios::trunc) << text;

    // Names to ask for: the fixed ones of a method file and those the input suggests.
    std::vector<std::string> sections = {"Tessaly Options", "S", ""}, keys = {"Cone Voltage Min", "k", ""};
    for (const std::string& line : lines(text))
    {
        // Names are asked for up to a zero byte, which ends the text they are passed as.
        const size_t open = line.find('['), close = line.find(']'), equals = line.find('=');
        if (open < close && close != std::string::npos && sections.size() < 6)
            sections.push_back(line.substr(open + 1, close - open - 1));
        else if (equals != std::string::npos && keys.size() < 8)
            keys.push_back(line.substr(0, equals));
    }
    std::vector<std::string> values;
    for (const std::string& section : sections)
        for (const std::string& key : keys)
        {
            values.push_back(get(&section, &key, kWhole));
            for (DWORD small : {1u, 2u, 3u, 8u, 64u})
                check(get(&section, &key, small) == values.back().substr(0, small - 1), "a small buffer is no prefix");
        }
    for (DWORD small : {0u, 1u, 2u, 3u, 5u, 64u, 4096u})
        get(nullptr, nullptr, small), get(&sections.back(), nullptr, small);

    // Set one key: it reads back, every other value stays (names that fold to the written ones
    // read the new value), and every line but the old value's stays.
    const std::string& section = sections[size % sections.size()];
    const std::string& key = keys[(size / 3) % keys.size()];
    const std::string value = "fuzz" + std::to_string(size);
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), kFile))
        return check(fileText() == text, "a refused write changed the file"), 0;
    check(get(&section, &key, kWhole) == value, "the written value does not read back", key);
    auto old = values.begin();
    for (const std::string& s : sections)
        for (const std::string& k : keys)
            check(*old++ == get(&s, &k, kWhole) || get(&s, &k, kWhole) == value, "a value changed", k);
    const std::vector<std::string> after = lines(fileText());
    check(missing(lines(text), after) <= 1, "a line was lost", fileText());

    // Remove it again: exactly one line goes, all others stay.
    check(WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, kFile) != 0, "removing failed");
    check(lines(fileText()).size() + 1 == after.size() && missing(lines(fileText()), after) == 0,
          "removing took not one line");
    return 0;
}
