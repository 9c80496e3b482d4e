// Letter-case handling of the platform stand-ins: the Windows functions fold only the ASCII
// letters, whatever the locale, so bytes of other characters never compare equal by accident.
#pragma once

#include <string>
#include <string_view>

namespace platform::detail
{
/// Whether c is one of the 52 ASCII letters.
inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The upper-case form of an ASCII letter; every other byte unchanged.
inline char foldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// The lower-case form of an ASCII letter; every other byte unchanged.
inline char lowerCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Whether path begins with a drive: an ASCII letter and a colon ("C:", "z:\dir").
inline bool hasDriveLetter(std::string_view path)
{
    return path.size() >= 2 && isLetter(path[0]) && path[1] == ':';
}

/// Whether a and b are equal when ASCII letters are folded to one case.
inline bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

/// text with every ASCII letter in upper case.
inline std::string upperCased(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = foldCase(c);
    return out;
}
} // namespace platform::detail
