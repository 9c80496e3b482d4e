// The final quan method of a sample group: one record per optimised compound of the group, built
// from the run's base quan method, and its refinement from the group's reference sample, which
// narrows each compound's window to the peak the host found for it.
#pragma once

#include "method/ScanParams.h"
#include "host/host.h"
#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Export.h"

/// Writes the final quan method of sample group number group (counted from m_nGroupOffset in the
/// first of m_GroupArrays) and appends its path to methods. The path is m_strBaseQuanMethod with
/// "_" and the group's item texts added to its file name, before the extension; when the run
/// analyses and that file exists, a free unique name instead. Each row of the group whose
/// params[row].nMaxFunction is not negative gets one record, in row order: the row's "FILE_TEXT"
/// as compound, function nMaxFunction + 1, the parent (and, for MS/MS, the daughter) mass,
/// expected anywhere from 0 to width. The first such row with a "SPARE_2" mark is the reference
/// compound that every other record points to. A group's rows are either the first and last row
/// of a run of rows of the group's label (as GetGroups stores them), which stand for every row
/// between, or any rows the host added. Returns 1 on success, also when no row was optimised (the
/// database then has no records); 0, methods unchanged, when the group does not exist, no name is
/// free, the database cannot be opened or a record cannot be written.
BRENMO_API int CreateFinalQuanMethods(int group, const CBrenmoOptions& options, const CSampleListMem* samples,
                                      const tag_SCAN_PARAMS* params, double width, CStringArray& methods);

/// Narrows the final quan method methods[group] from the reference sample of sample group number
/// group (counted from m_nGroupOffset in the fourth of m_GroupArrays, whose first two rows are the
/// first and last row of the group in analysis): the first row marked in "QUAN_REF". With
/// m_bIntegrateSamples the host first measures that row with the method. Each record i whose
/// params[i - 1].nMaxFunction is not negative and for which the sample's peak database has a peak
/// of positive area takes the largest such peak's apex as expected time, its start and end as
/// range, and 1.25 times its wider half as window, unless that window would reach 0 or the end of
/// the record's time span. params must hold an entry for every record of the method. Returns 1
/// when updated or when the group has no reference sample; 0 when the group or its method does not
/// exist, the group has fewer than two rows, or measuring, a database or a record fails (records
/// rewritten before stay rewritten).
BRENMO_API int ModifyFinalQuanMethods(int group, const CBrenmoOptions& options, const CSampleListMem* list,
                                      CSampleListMem* analysis, tag_SCAN_PARAMS* params, const CStringArray& methods);
