// Fuzzes the profile functions with arbitrary file content. Reads with many names and buffer
// sizes must stay inside their buffers and agree with one another; a write must read back, leave
// every other key's value alone and keep every other line of the file (CR LF, LF and CR end lines).
#include "platform/Ascii.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace
{
constexpr const char* kFile = "C:\\fuzz.ini";

void check(bool condition, const char* what, const std::string& detail = {})
{
    if (!condition)
    {
        std::fprintf(stderr, "profile_fuzz: %s [%s]\n", what, detail.c_str());
        std::abort();
    }
}

// The file behind kFile, in memory when possible because every write ends in fsync; its
// directory is removed at exit.
const std::string& path()
{
    static std::string dir = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/fuzz.XXXXXX" : "/tmp/fuzz.XXXXXX";
    static const std::string file = [] {
        check(mkdtemp(dir.data()) != nullptr, "cannot create a temporary directory", dir);
        platform::setDataDirectory(dir);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
        return dir + "/fuzz.ini";
    }();
    return file;
}

std::string fileText()
{
    std::ostringstream text;
    text << std::ifstream(path(), std::ios::binary).rdbuf();
    return text.str();
}

// Reads into a buffer of the given size between guard bytes, checking the result's contract.
std::string get(const std::string* section, const std::string* key, DWORD size)
{
    std::vector<char> buffer(size + 32, '\x7f');
    char* out = buffer.data() + 16;
    const DWORD n = GetPrivateProfileStringA(section ? section->c_str() : nullptr, key ? key->c_str() : nullptr,
                                             "(default)", out, size, kFile);
    check(n < size || (n == 0 && size == 0), "result not below the size");
    check(size == 0 || out[n] == '\0', "result not terminated");
    check(!section || !key || std::strlen(out) == n, "result is not the length copied");
    check(std::count(buffer.data(), out, '\x7f') + std::count(out + size, out + size + 16, '\x7f') == 32,
          "written outside the buffer");
    return std::string(out, n);
}

std::vector<std::string> lines(std::string_view text)
{
    std::vector<std::string> out;
    while (!text.empty())
    {
        const size_t end = std::min(text.find_first_of("\r\n"), text.size());
        out.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(text.size(), end + (text.substr(end).starts_with("\r\n") ? 2 : 1)));
    }
    return out;
}

// Whether small's lines, but for the one at skip, appear in order among large's.
bool keeps(const std::vector<std::string>& small, const std::vector<std::string>& large, size_t skip)
{
    size_t i = 0;
    for (const std::string& line : large)
    {
        i += i == skip;
        if (i < small.size() && line == small[i])
            ++i;
    }
    return i + (i == skip) >= small.size();
}

// A name as the profile functions compare it: blanks around it dropped, letters in upper case.
std::string folded(std::string name)
{
    name.erase(0, name.find_first_not_of(" \t\v\f"));
    return platform::detail::upperCased(name.erase(name.find_last_not_of(" \t\v\f") + 1));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(path(), std::ios::binary | std::ios::trunc) << text;
    check(fileText() == text, "cannot write the input file");

    // Names to ask for: the fixed ones of a method file and those the input suggests.
    std::vector<std::string> sections = {"Tessaly Options", "S", ""}, keys = {"Cone Voltage Min", "k", ""};
    for (const std::string& line : lines(text))
    {
        const std::string name = line.substr(0, line.find('\0'));
        const size_t open = name.find('['), close = name.find(']'), equals = name.find('=');
        if (open < close && close != std::string::npos && sections.size() < 6)
            sections.push_back(name.substr(open + 1, close - open - 1));
        else if (equals != std::string::npos && keys.size() < 8)
            keys.push_back(name.substr(0, equals));
    }
    std::map<std::pair<std::string, std::string>, std::string> values; // by folded names
    for (const std::string& section : sections)
        for (const std::string& key : keys)
        {
            const std::string full = get(&section, &key, static_cast<DWORD>(size + 16));
            for (DWORD small : {1u, 2u, 3u, 8u, 64u})
                check(get(&section, &key, small) == full.substr(0, small - 1), "a small buffer is no prefix", full);
            values[{folded(section), folded(key)}] = full;
        }
    for (DWORD small : {0u, 1u, 2u, 3u, 5u, 64u, 4096u})
    {
        get(nullptr, nullptr, small);
        get(&sections.back(), nullptr, small);
    }

    // Set one key: it reads back, no other value changes, every other line stays.
    const std::string& section = sections[size % sections.size()];
    const std::string& key = keys[(size / 3) % keys.size()];
    const std::string value = "fuzz" + std::to_string(size);
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), kFile))
    {
        check(fileText() == text, "a refused write changed the file");
        return 0;
    }
    check(get(&section, &key, 4096) == value, "the written value does not read back", key);
    values.erase({folded(section), folded(key)});
    for (const auto& [names, old] : values)
        check(get(&names.first, &names.second, static_cast<DWORD>(size + 16)) == old, "a value changed", names.second);
    const std::vector<std::string> before = lines(text), after = lines(fileText());
    bool kept = false;
    for (size_t skip = 0; skip <= before.size(); ++skip)
        kept = kept || keeps(before, after, skip);
    check(kept, "a line was lost", fileText());

    // Remove it again: exactly one line goes, all others stay.
    check(WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, kFile) != 0, "removing failed");
    const std::vector<std::string> removed = lines(fileText());
    check(removed.size() + 1 == after.size() && keeps(removed, after, SIZE_MAX), "removing took not one line");
    return 0;
}
