// Ion-mode texts and conversions. Every comparison is whole-string and case-sensitive: the host
// spells "APcI" with a lower-case c and treats "APCI" as a different text.
#include "method/IonMode.h"

#include <cstdio>
#include <cstring>
#include <iterator>

const char* const IONMODE_STRINGS[2] = {"ESP", "APcI"};
const char* const IONMODEOPT_STRINGS[3] = {"+", "-", ""};
const char* const TUNE_IONMODE_STRINGS[12] = {"EI+",  "EI-",  "CI+",  "CI-",  "FAB+",  "FAB-",
                                              "TSP+", "TSP-", "ESP+", "ESP-", "APcI+", "APcI-"};

// A failed match returns the table's size, which is the "unknown" value of each enumeration.
static_assert(std::size(IONMODE_STRINGS) == IONMODE_UNKNOWN);
static_assert(std::size(IONMODEOPT_STRINGS) == IONMODEOPT_UNKNOWN);

namespace
{
// Index of the first entry equal to text, or count when there is none.
template <int N> int findText(const char* const (&table)[N], const char* text)
{
    if (!text)
        return N;
    for (int i = 0; i < N; ++i)
    {
        if (std::strcmp(table[i], text) == 0)
            return i;
    }
    return N;
}

template <int N> const char* textAt(const char* const (&table)[N], int index)
{
    return (index >= 0 && index < N) ? table[index] : "";
}
} // namespace

const char* IONMODE2String(const tag_IONMODE& mode)
{
    return textAt(IONMODE_STRINGS, mode);
}

tag_IONMODE String2IONMODE(const char* text)
{
    // Past the table is exactly IONMODE_UNKNOWN.
    return static_cast<tag_IONMODE>(findText(IONMODE_STRINGS, text));
}

const char* IONMODEOPT2String(const tag_IONMODEOPT& option)
{
    return textAt(IONMODEOPT_STRINGS, option);
}

tag_IONMODEOPT String2IONMODEOPT(const char* text)
{
    // Past the table is exactly IONMODEOPT_UNKNOWN.
    return static_cast<tag_IONMODEOPT>(findText(IONMODEOPT_STRINGS, text));
}

int IONMODE2TUNEIONMODE(const tag_IONMODE& mode, const tag_IONMODEOPT& option)
{
    // The longest source and polarity text, "APcI-", is six bytes with its terminator.
    char text[16];
    std::snprintf(text, sizeof text, "%s%s", IONMODE2String(mode), IONMODEOPT2String(option));
    const int index = findText(TUNE_IONMODE_STRINGS, text);
    return index < static_cast<int>(std::size(TUNE_IONMODE_STRINGS)) ? index : 0;
}
