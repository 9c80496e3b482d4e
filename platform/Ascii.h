// Letter-case handling of the platform stand-ins: the Windows functions fold only the ASCII
// letters, whatever the locale, so bytes of other characters never compare equal by accident.
#pragma once

#include <string_view>

namespace platform::detail
{
/// The upper-case form of an ASCII letter; every other byte unchanged.
inline char foldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
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
} // namespace platform::detail
