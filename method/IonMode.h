// Ion sources and polarities: the two enumerations, their exported text tables and the
// conversions between them, the method's texts and the host's tune ion-mode numbers.
#pragma once

#include "platform/Export.h"

/// The ion source. Stored in the method as its text; 32 bits wide whatever value a method file
/// gives it.
enum tag_IONMODE : int
{
    IONMODE_ESP = 0,
    IONMODE_APCI = 1,
    IONMODE_UNKNOWN = 2, // the result of a failed text match
};

/// The polarity. Stored in the method as its number; 32 bits wide whatever value a method file
/// gives it.
enum tag_IONMODEOPT : int
{
    IONMODEOPT_POSITIVE = 0,
    IONMODEOPT_NEGATIVE = 1,
    IONMODEOPT_BOTH = 2,
    IONMODEOPT_UNKNOWN = 3, // the result of a failed text match
};

/// Texts of the ion sources, indexed by tag_IONMODE: "ESP", "APcI".
extern BRENMO_API const char* const IONMODE_STRINGS[2];
/// Texts of the polarities, indexed by tag_IONMODEOPT: "+", "-" and the empty text for both.
extern BRENMO_API const char* const IONMODEOPT_STRINGS[3];
/// The host's tune ion modes in the host's own numbering, "EI+" (0) to "APcI-" (11).
extern BRENMO_API const char* const TUNE_IONMODE_STRINGS[12];

/// The text of an ion source; the empty text for a value outside the table. Never null.
BRENMO_API const char* IONMODE2String(const tag_IONMODE& mode);

/// The ion source whose text equals text exactly (case-sensitive, whole string);
/// IONMODE_UNKNOWN when none does or text is null.
BRENMO_API tag_IONMODE String2IONMODE(const char* text);

/// The text of a polarity; the empty text for a value outside the table. Never null.
BRENMO_API const char* IONMODEOPT2String(const tag_IONMODEOPT& option);

/// The polarity whose text equals text exactly; the empty text gives IONMODEOPT_BOTH, no match
/// (or null) IONMODEOPT_UNKNOWN.
BRENMO_API tag_IONMODEOPT String2IONMODEOPT(const char* text);

/// The host's tune ion-mode number of a source and polarity ("ESP" and "+" give 8). A
/// combination that names no tune mode gives 0, which is also the number of "EI+".
BRENMO_API int IONMODE2TUNEIONMODE(const tag_IONMODE& mode, const tag_IONMODEOPT& option);
