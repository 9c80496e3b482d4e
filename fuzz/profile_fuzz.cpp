// Fuzzes the profile functions with arbitrary file content. Reads with many names and buffer
// sizes must stay inside their buffers and agree with one another; a write must read back, leave
// every other key's value alone and keep every other line of the file.
#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace
{
constexpr const char* kFile = "C:\\fuzz.ini";
constexpr const char* kDefault = "\x01"
                                 "default";

[[noreturn]] void fail(const char* what, std::string_view detail = {})
{
    std::fprintf(stderr, "profile_fuzz: %s [%.*s]\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void check(bool condition, const char* what, std::string_view detail = {})
{
    if (!condition)
        fail(what, detail);
}

// A directory of our own as the data directory: in memory when possible, because every write
// of the profile writer ends in fsync. It is removed at exit; the name is kept on the heap so that
// it outlives the static destructors that run before the exit handler.
const std::string& directory()
{
    static const std::string* dir = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "profile_fuzz.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            fail("cannot create a temporary directory", pattern);
        platform::setDataDirectory(pattern);
        auto* name = new std::string(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*dir, ignored);
        });
        return name;
    }();
    return *dir;
}

std::string path()
{
    return directory() + "/fuzz.ini";
}

void writeFile(std::string_view text)
{
    std::ofstream out(path(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    check(static_cast<bool>(out), "cannot write the input file");
}

std::string readFile()
{
    std::ifstream in(path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Reads with a buffer of the given size between guard bytes, checking the result's contract.
std::string get(const std::string& section, const std::string& key, DWORD size)
{
    std::vector<char> buffer(size + 32, '\x7f');
    char* out = buffer.data() + 16;
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), kDefault, out, size, kFile);
    check(n < size, "result not below the size");
    check(out[n] == '\0', "result not terminated");
    check(std::strlen(out) == n, "result is not the length copied");
    for (size_t i = 0; i < 16; ++i)
        check(buffer[i] == '\x7f' && buffer[16 + size + i] == '\x7f', "written outside the buffer");
    return std::string(out, n);
}

// Name lists (null section or key) must stay inside the buffer and end in two zeros when cut.
void getList(const char* section, DWORD size)
{
    std::vector<char> buffer(size + 32, '\x7f');
    char* out = buffer.data() + 16;
    const DWORD n = GetPrivateProfileStringA(section, nullptr, kDefault, out, size, kFile);
    check(n < size || (size == 0 && n == 0), "list result not below the size");
    if (size > 0)
        check(out[n] == '\0', "list not terminated");
    for (size_t i = 0; i < 16; ++i)
        check(buffer[i] == '\x7f' && buffer[16 + size + i] == '\x7f', "list written outside the buffer");
}

std::vector<std::string> lines(std::string_view text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at; (at = text.find('\n', start)) != std::string_view::npos; start = at + 1)
        out.emplace_back(text.substr(start, at - start));
    if (start < text.size())
        out.emplace_back(text.substr(start));
    return out;
}

// Whether all of small's lines appear, in order, among large's lines.
bool isSubsequence(const std::vector<std::string>& small, const std::vector<std::string>& large)
{
    size_t j = 0;
    for (size_t i = 0; i < large.size() && j < small.size(); ++i)
        if (large[i] == small[j])
            ++j;
    return j == small.size();
}

// Whether before's lines, but for at most one, are kept in after.
bool keepsLines(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    if (isSubsequence(before, after))
        return true;
    for (size_t skip = 0; skip < before.size(); ++skip)
    {
        std::vector<std::string> rest = before;
        rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(skip));
        if (isSubsequence(rest, after))
            return true;
    }
    return false;
}

std::string folded(std::string_view name)
{
    while (!name.empty() && std::strchr(" \t\r\v\f", name.front()) && name.front())
        name.remove_prefix(1);
    while (!name.empty() && std::strchr(" \t\r\v\f", name.back()) && name.back())
        name.remove_suffix(1);
    std::string out(name);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Section and key names to ask for: the fixed ones of a method file and those the input suggests.
void candidates(std::string_view text, std::vector<std::string>& sections, std::vector<std::string>& keys)
{
    sections = {"Tessaly Options", "S", ""};
    keys = {"Cone Voltage Min", "k", ""};
    for (const std::string& line : lines(text))
    {
        const std::string name = line.substr(0, line.find('\0'));
        const size_t open = name.find('[');
        const size_t close = name.find(']');
        if (open != std::string::npos && close != std::string::npos && close > open && sections.size() < 6)
            sections.push_back(name.substr(open + 1, close - open - 1));
        else if (const size_t equals = name.find('='); equals != std::string::npos && keys.size() < 8)
            keys.push_back(name.substr(0, equals));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    writeFile(text);
    std::vector<std::string> sections, keys;
    candidates(text, sections, keys);

    std::vector<std::pair<std::pair<std::string, std::string>, std::string>> values;
    for (const std::string& section : sections)
        for (const std::string& key : keys)
        {
            const std::string full = get(section, key, static_cast<DWORD>(size + 16));
            for (DWORD small : {1u, 2u, 3u, 8u, 64u})
                check(get(section, key, small) == full.substr(0, small - 1), "a small buffer is not a prefix", full);
            values.push_back({{section, key}, full});
        }
    for (DWORD small : {0u, 1u, 2u, 3u, 5u, 64u, 4096u})
    {
        getList(nullptr, small);
        getList(sections.back().c_str(), small);
    }

    // Set one key: it reads back, nothing else changes, every other line stays.
    const std::string& section = sections[size % sections.size()];
    const std::string& key = keys[(size / 3) % keys.size()];
    const std::string value = "fuzz" + std::to_string(size);
    const std::vector<std::string> before = lines(text);
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), kFile))
    {
        check(readFile() == text, "a refused write changed the file");
        return 0;
    }
    check(get(section, key, 4096) == value, "the written value does not read back", key);
    const std::string target = folded(section) + '\n' + folded(key);
    for (const auto& [names, old] : values)
        if (folded(names.first) + '\n' + folded(names.second) != target)
            check(get(names.first, names.second, static_cast<DWORD>(size + 16)) == old, "another value changed",
                  names.second);
    const std::string written = readFile();
    check(keepsLines(before, lines(written)), "a line was lost", written);

    // Remove it again: exactly one line goes, all others stay.
    check(WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, kFile) != 0, "removing failed");
    const std::vector<std::string> after = lines(readFile());
    check(after.size() + 1 == lines(written).size() && isSubsequence(after, lines(written)),
          "removing did not take exactly one line");
    return 0;
}
