// The names of the databases and directories an optimisation run creates: the acquisition method
// database of a sample group, the per-compound method database, a final quan method name that
// never overwrites an existing one, the temporary acquisition directory of an optimisation loop,
// and the rule that turns a compound name into a file-name part.
#pragma once

#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Export.h"

class CGroup;

/// Rewrites text in place: letters and digits stay, lower-case letters become upper case, and
/// every other byte (bytes above 127 included) becomes "_". Returns 1; a null text is left alone.
BRENMO_API int RemovePunctuation(char* text);
/// As the char* form, on the string's own text.
BRENMO_API int RemovePunctuation(CString& text);

/// "dir\AcquDB\MSMS_NAME.mdb" (or "MS_" when msms is 0), NAME being compound cleaned by
/// RemovePunctuation. Nothing is created or looked at on disk.
BRENMO_API CString GetCompoundMethod(const CString& dir, CString compound, int msms);

/// The acquisition method database of sample group number group (counted from m_nGroupOffset in
/// the first of m_GroupArrays): "project\Acqudb\" + prefix + list title + "_" + group label +
/// ".mdb", the list being the analysis list when the run analyses, else the compound list. The
/// title is the list's file name up to its last full stop (empty without one); the label joins the
/// group's names with nothing between them, a slash in a name becoming "_". When the run analyses
/// and that name exists, the first free "..._NNN.mdb" instead (created empty). The empty text when
/// the group is outside the array, no project is set, no name is free or the name is too long.
BRENMO_API CString CreateMethodName(const CBrenmoOptions& options, const CString& prefix, const int& group);

/// The first free "dir\titleNNN.mdb" (created empty) for path, or, when path is empty, for the
/// sample list's title in the "..\methdb" folder beside the list when there is one (else the
/// list's own folder). A name without a folder stays in the current folder. The empty text when
/// both are empty, no name is free, or the path is too long for the host to split (259
/// characters, a folder of 255). The text lives until the next call.
BRENMO_API CString CreateUniqueQuanName(const CString& path, const CString& sampleList);

/// A new acquisition directory name "temp\TEMPACQnnnL.RAW" for optimisation loop number loop
/// (1 to 999) in the host's temporary directory, registered for DeleteTempDirs; nothing is
/// created. The empty text, with nothing registered, when no such name is free.
BRENMO_API CString CreateLoopAcqFileName(int loop);

namespace methodgen::detail
{
/// The group's names joined without a separator ("A" and "B" give "AB"), each slash or backslash
/// made "_", so a name built with it is one file name and never a way into another folder.
CString compactLabel(const CGroup& group);
} // namespace methodgen::detail
