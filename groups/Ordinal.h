// The one text order of sample groups: bytes compared as unsigned characters, the first
// difference deciding and a prefix sorting first. Internal to the groups library.
#pragma once

#include "platform/CString.h"

namespace groups::detail
{
/// <0, 0 or >0 as a sorts before, equal to or after b. Unlike CString::Compare this looks at
/// every byte, so a text holding a zero byte still compares by all of its contents.
inline int compareOrdinal(const CString& a, const CString& b)
{
    // char_traits<char> compares as unsigned char, which is the ordinal order.
    return a.str().compare(b.str());
}
} // namespace groups::detail
