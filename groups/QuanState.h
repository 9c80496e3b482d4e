// The quantify state: which sample list the host's quantify step has open, which of its sample
// groups is current and which rows that group covers, and the plain exported functions through
// which the host opens the list, steps through groups and samples and edits the group's cells.
#pragma once

#include "platform/CString.h"
#include "platform/Export.h"
#include "platform/WinTypes.h"

class CSampleListMem;
struct tag_SELECT_DATATYPE;
struct tag_SLFIELDDEF;

// The host links to these by their plain names, so they carry no C++ name decoration.
extern "C"
{
    /// Number of groups found by the last QuanOpenSampleList that opened its list.
    BRENMO_API extern int nQuanGroups;
    /// Index of the current group, from 0.
    BRENMO_API extern int nQuanGroup;

    /// Closes any open list, opens the list at path (a host path; its extension chooses the list
    /// type: "spl" a database, "olb" and "sdb" loaded lists, anything else a formatted list),
    /// records it as the host's "SAMPLES_DB" and builds its groups. Returns 1 when it opened and
    /// has at least one group; 0 when it did not open (the previous groups and counts remain) or
    /// has no rows (it stays open). A null path counts as empty. The current group is not changed.
    BRENMO_API int QuanOpenSampleList(const char* path);
    /// Destroys the open list, if any; the groups, the counts and the current group remain.
    BRENMO_API void QuanCloseSampleList(void);
    /// Makes group (from 0) current and sets its first and last row; the first argument is not
    /// read. When flag is not null it receives 1 when the list has one group without a label (no
    /// row names a group), else 0. Returns 0, changing nothing, for an index outside the groups.
    BRENMO_API int QuanChangeGroup(int unused, int group, int* flag);
    /// Sets window's title to "Quantify (Group g - label)", "Quantify (Group g - Unlabelled)"
    /// when the current group has no label but there are several, or "Quantify". A current group
    /// that the groups no longer hold (a list with fewer groups was opened since) gets "Quantify".
    /// Returns 0 for a null window, else 1.
    BRENMO_API int QuanSetTitle(HWND window);

    /// The text of the current group's "METH_DB" cell (its first row speaks for the group); the
    /// empty text when no list is open or the row is not in the list. The text stays valid while
    /// the list is open and the cell unchanged.
    BRENMO_API const char* QuanGetCurrentMethod(void);
    /// As QuanGetCurrentMethod, for "CURVE_DB".
    BRENMO_API const char* QuanGetCurrentCurve(void);
    /// As QuanGetCurrentMethod, for "DUMP_FILE".
    BRENMO_API const char* QuanGetCurrentDump(void);

    /// Sets the "METH_DB" cell of every row of the current group to text (null counts as empty)
    /// and has the host write the list back to its file, so the host reads the change next time.
    /// Returns 1 when done (also when the group covers no row); 0 when no list is open or the
    /// host could not write the file (the list in memory holds the new text all the same).
    BRENMO_API int QuanSetCurrentMethod(const char* text);
    /// As QuanSetCurrentMethod, for "CURVE_DB".
    BRENMO_API int QuanSetCurrentCurve(const char* text);
    /// As QuanSetCurrentMethod, for "DUMP_FILE".
    BRENMO_API int QuanSetCurrentDump(const char* text);

    /// The file name of the open list; the empty text when none is open.
    BRENMO_API const char* QuanGetCurrentSampleList(void);

    /// Steps the sample number (from 1) that sample designates to the next one of the current
    /// group: past the group's last sample it wraps to the first (result 1); before the group it
    /// goes to the first (result 0). A null pointer changes nothing and gives 0.
    BRENMO_API int QuanIncrimentSample(int* sample);
    /// Steps the sample number to the previous one of the current group: at or before the first
    /// sample it wraps to the last (result 1); after the group it goes to the last (result 0).
    /// A null pointer changes nothing and gives 0.
    BRENMO_API int QuanDecrimentSample(int* sample);
}

/// Opens the host sample list at path as type's code says: 1 a database (CDAOSampleList, opened
/// with the host's default data type), 2 a formatted list (CISAMSampleList opened with type), 3
/// and 4 a list loaded into a CISAMSampleList. On success the list is closed without saving (its
/// rows stay readable), stored in list, and the host's non-zero result returned. On failure no
/// list is left behind: list is null and the result 0. A code outside 1 to 4 gives 0 and leaves
/// list untouched.
BRENMO_API int OpenUnknownSampleList(const CString& path, CSampleListMem*& list, const tag_SELECT_DATATYPE& type);

/// Lets the user choose the LIMS export file with the host's file dialog, starting from the
/// system list's "QUAN_DUMP_FILE" (or "\*.TXT" when it names no file). On a choice, stores it as
/// "QUAN_DUMP_FILE", writes its path into buffer (at least 260 bytes) and returns 1. On cancel,
/// buffer gets the empty text, the stored choice is kept and the result is 0; a null buffer
/// gives 0.
BRENMO_API int ChangeDumpFile(HWND owner, char* buffer);

namespace groups::detail
{
/// The index of the first of count field definitions named name (byte for byte), or -1.
int findFieldColumn(const tag_SLFIELDDEF* table, int count, const char* name);
} // namespace groups::detail
