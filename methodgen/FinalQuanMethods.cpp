#include "methodgen/FinalQuanMethods.h"

#include "fileutil/FileUtil.h"
#include "groups/Group.h"
#include "methodgen/MethodNames.h"
#include "methodgen/MethodRecord.h"
#include "platform/Ascii.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

namespace
{
using namespace methodgen::detail;

// What a row's cell holds when the host's field table has no such field: nothing.
CString cellText(const CSampleListMem& list, int row, int field)
{
    return field < 0 ? CString() : list[row][field].GetString();
}

// The group at offset + index of array, or null when there is none.
const CGroup* groupAt(const CGroupArray& array, int offset, int index)
{
    // Summed in 64 bits: an offset and an index near the int limits must not wrap into range.
    const long long at = static_cast<long long>(offset) + index;
    return at >= 0 && at < array.GetSize() ? &array[static_cast<int>(at)] : nullptr;
}

std::vector<int> listedRows(const CIntList& rows)
{
    std::vector<int> out;
    for (POSITION pos = rows.GetHeadPosition(); pos;)
        out.push_back(rows.GetNext(pos));
    return out;
}

// The rows of samples that group stands for, in order. A group split from a list holds only its
// first and last row; every row between carries the group's label, which is how that form is told
// from two rows a host added one by one. Taking such a pair as two rows would leave out every
// compound between them. Rows outside the list are dropped: they have no compound, and no scan
// parameters either.
std::vector<int> groupRows(const CGroup& group, const CSampleListMem& samples)
{
    static const int groupField = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    std::vector<int> rows = listedRows(group.m_Samples);
    const int size = samples.GetSize();
    if (rows.size() == 2 && rows[0] <= rows[1])
    {
        const int first = std::max(rows[0], 0), last = std::min(rows[1], size - 1);
        bool run = true;
        for (int row = first + 1; run && row < last; ++row)
            run = CGroupItemList(cellText(samples, row, groupField)) == group.m_Items;
        if (run)
        {
            rows.clear();
            for (int row = first; row <= last; ++row)
                rows.push_back(row);
        }
    }
    std::erase_if(rows, [size](int row) { return row < 0 || row >= size; });
    return rows;
}

// base with label added to its file name, before the extension when it has one. Only a full stop
// in the file name counts: one in a folder name ("c:\q.v2\base") would move the label into the
// folder and the database out of it. Without an extension the label ends the name, so the path
// still starts where the base does; an empty base gives the label alone.
CString labelledPath(const CString& base, const CString& label)
{
    const int name = std::max(base.ReverseFind('\\'), base.ReverseFind('/')) + 1;
    const int dot = base.ReverseFind('.');
    const int at = dot >= name ? dot : base.GetLength();
    return base.Left(at) + label + base.Mid(at);
}

CString massText(const tag_SCAN_PARAMS& p, bool msms)
{
    // Room for any double in "%.3f" twice (the largest has 309 digits before the point).
    char text[2 * 330 + 8];
    if (msms)
        std::snprintf(text, sizeof text, "%.3f > %.3f", p.dParentMass, p.dDaughterMass);
    else
        std::snprintf(text, sizeof text, "%.3f", p.dParentMass);
    return text;
}

// The final record of one optimised compound, from the template.
tag_METHOD_RECORD finalRecord(tag_METHOD_RECORD record, const CString& compound, const tag_SCAN_PARAMS& p, bool msms,
                              float width)
{
    record.SetCompoundName(compound);
    record.set<std::uint8_t>(tag_METHOD_RECORD::kByte85, 0);
    record.set<std::uint8_t>(tag_METHOD_RECORD::kByte98, 0);
    record.set<std::uint8_t>(tag_METHOD_RECORD::kByte256, 0);
    for (std::size_t i = 0; i < 4; ++i)
        record.set<std::int32_t>(tag_METHOD_RECORD::kWords240 + 4 * i, 0);
    record.SetFunctionNumber(p.nMaxFunction + 1);
    record.SetMassText(massText(p, msms));
    record.set<float>(tag_METHOD_RECORD::kFloat448, 1.0f);
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt592, 1);
    // Not yet known where the compound elutes: anywhere in the span.
    record.SetExpectedTime(width * 0.5f);
    record.SetTimeWindow(width * 0.5f);
    record.SetRangeStart(0.0f);
    record.SetRangeEnd(width);
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt1536, 1);
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt1540, 1);
    record.set<double>(tag_METHOD_RECORD::kDouble672, 1.0);
    return record;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The host path of the raw data a sample's "FILE_NAME" names, as the host itself finds it when it
// measures the list: a path with a drive or a leading separator as it is, a bare name in the
// "Data" folder of the project holding the list (the list folder's parent), else beside the list;
// ".RAW" added when the name lacks it. Empty for an empty name.
CString rawDataPath(CString fileName, const CString& listPath)
{
    fileName.Trim();
    while (!fileName.IsEmpty() && isSeparator(fileName[fileName.GetLength() - 1]))
        fileName = fileName.Left(fileName.GetLength() - 1);
    if (fileName.IsEmpty())
        return fileName;
    if (!platform::detail::hasDriveLetter(fileName.GetString()) && !isSeparator(fileName[0]))
    {
        CString folder = listPath.Left(std::max(listPath.ReverseFind('\\'), listPath.ReverseFind('/')) + 1);
        while (!folder.IsEmpty() && isSeparator(folder[folder.GetLength() - 1]))
            folder = folder.Left(folder.GetLength() - 1);
        const int parent = std::max(folder.ReverseFind('\\'), folder.ReverseFind('/'));
        if (parent >= 0 && DirectoryExists(folder.Left(parent + 1) + "Data"))
            folder = folder.Left(parent + 1) + "Data";
        fileName = folder + "\\" + fileName;
    }
    if (fileName.GetLength() < 4 || fileName.Right(4).CompareNoCase(".RAW") != 0)
        fileName += ".RAW";
    return fileName;
}

// The peak database of the raw data at rawPath: "<its folder>\..\PeakDB\<its name>.pdb". False
// when the path has no room for that in the host's form.
bool peakDatabaseName(const CString& rawPath, tag_HXFILE& name)
{
    return ConvertPathToHxFile(&name, rawPath) && name.SetDirectory(name.Directory() + "\\..\\PeakDB") &&
           name.SetExtension("pdb");
}

// The largest-area peak of each method record 1 to the table's size (index 0 is record 1); records
// without a peak of positive area keep a zeroed entry. False, the database closed, when it cannot
// be opened, is empty, or a record cannot be read.
bool readBestPeaks(tag_HXFILE& name, std::vector<tag_PEAK_RECORD>& best)
{
    tag_ACCESSDB_HANDLE database;
    const int opened = AccessDBOpen(&name, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &database, 0);
    const int count = database.RecordCount();
    if (opened != 0 || count < 1)
    {
        AccessDBClose(&database, 0);
        return false;
    }
    const int records = static_cast<int>(best.size());
    for (int j = 1; j <= count; ++j)
    {
        tag_PEAK_RECORD peak;
        if (!AccessDBGetRecord(&database, j, &peak))
        {
            AccessDBClose(&database, 0);
            return false;
        }
        // Of equal areas the first one read stays; peaks of records the method lacks are ignored.
        const int k = peak.PeakRecord();
        if (k >= 1 && k <= records && peak.PeakArea() > best[static_cast<std::size_t>(k - 1)].PeakArea())
            best[static_cast<std::size_t>(k - 1)] = peak;
    }
    AccessDBClose(&database, 0);
    return true;
}

// Narrows record to peak when the new window lies inside the span the record covers (0 to twice
// its window); false when it would not, the record then unchanged. Written as negated comparisons
// so that a NaN time never narrows anything.
bool narrow(tag_METHOD_RECORD& record, const tag_PEAK_RECORD& peak)
{
    const float c = peak.PeakApex(), a = peak.PeakStart(), b = peak.PeakEnd();
    const float h = std::max(b - c, c - a);
    const float w = 2.5f * h;
    if (!(2.0f * c > w) || !(2.0f * (2.0f * record.TimeWindow() - c) > w))
        return false;
    record.SetRangeStart(a);
    record.SetRangeEnd(b);
    record.SetExpectedTime(c);
    record.SetTimeWindow(0.5f * w);
    return true;
}

int modify(int group, const CBrenmoOptions& options, CSampleListMem& analysis, const tag_SCAN_PARAMS* params,
           const CStringArray& methods)
{
    static const int referenceField = CSampleList::GetFieldIndex("QUAN_REF");
    static const int fileNameField = CSampleList::GetFieldIndex("FILE_NAME");

    const CGroup* found = groupAt(options.m_GroupArrays[3], options.m_nGroupOffset, group);
    if (!found || group < 0 || group >= methods.GetSize())
        return 0;
    const std::vector<int> range = listedRows(found->m_Samples);
    if (range.size() < 2)
        return 0;
    if (range[0] > range[1])
        return 1;

    // The reference sample: the first marked row of the range. Rows beyond the list have no cells.
    const int first = std::max(range[0], 0);
    const int last = std::min(range[1], analysis.GetSize() - 1);
    int reference = -1;
    for (int row = first; row <= last && reference < 0; ++row)
        if (!cellText(analysis, row, referenceField).IsEmpty())
            reference = row;
    if (reference < 0)
        return 1;

    const CString& method = methods[group];
    tag_METHOD_DB_DESCRIPTOR descriptor = descriptorFor(method, 0, 0);
    const tag_HXFILE name = descriptor.Name();
    setSystemListValue("METHOD_DB", name);

    if (options.m_bIntegrateSamples)
    {
        const tag_HXFILE list = hostForm(analysis.GetFileName());
        const HWND owner = options.m_bRunUnattended ? nullptr : options.m_hParentWnd;
        if (!MeasureSampleList(owner, &list, reference + 1, reference + 1))
            return 0;
    }

    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
        return 0;
    const int records = std::max(descriptor.RecordCount(), 0);
    // Closes the method database and gives the result.
    const auto finish = [&descriptor](int result) {
        DmDB3Close(&descriptor);
        return result;
    };

    tag_HXFILE peaks;
    const CString raw = rawDataPath(cellText(analysis, reference, fileNameField), analysis.GetFileName());
    if (raw.IsEmpty() || !peakDatabaseName(raw, peaks))
        return finish(0);
    // One peak per method record, allocated once per call.
    std::vector<tag_PEAK_RECORD> best(static_cast<std::size_t>(records));
    if (!readBestPeaks(peaks, best))
        return finish(0);

    for (int i = 1; i <= records; ++i)
    {
        if (params[i - 1].nMaxFunction < 0)
            continue;
        tag_METHOD_RECORD record;
        if (!MethodGetRecord(&name, i, &record))
            return finish(0);
        const tag_PEAK_RECORD& peak = best[static_cast<std::size_t>(i - 1)];
        if (!(peak.PeakArea() > 0.0) || !narrow(record, peak))
            continue;
        // The host gives the record number, or -1; anything below 1 is not a rewrite.
        if (MethodWriteRecord(&name, i, &record, 1, 1) < 1)
            return finish(0);
    }
    return finish(1);
}
} // namespace

BRENMO_API int CreateFinalQuanMethods(int group, const CBrenmoOptions& options, const CSampleListMem* samples,
                                      const tag_SCAN_PARAMS* params, double width, CStringArray& methods)
{
    static const int compoundField = CSampleList::GetFieldIndex("FILE_TEXT");
    static const int referenceField = CSampleList::GetFieldIndex("SPARE_2");
    try
    {
        const CGroup* found = groupAt(options.m_GroupArrays[0], options.m_nGroupOffset, group);
        if (!found || !samples || !params)
            return 0;
        const std::vector<int> rows = groupRows(*found, *samples);

        CString path = labelledPath(options.m_strBaseQuanMethod, "_" + compactLabel(*found));
        if (options.m_bAnalysisAndQuantitation && FileExists(path))
            path = CreateUniqueQuanName(path, samples->GetFileName());
        if (path.IsEmpty())
            return 0;
        tag_METHOD_DB_DESCRIPTOR descriptor = descriptorFor(path, 0, 0);
        const tag_HXFILE name = descriptor.Name();

        // The reference compound's record number counts only the rows that get a record.
        int reference = 0, optimised = 0;
        for (const int row : rows)
        {
            if (params[row].nMaxFunction < 0)
                continue;
            ++optimised;
            if (!cellText(*samples, row, referenceField).IsEmpty())
            {
                reference = optimised;
                break;
            }
        }

        const CString& base = options.m_strBaseQuanMethod;
        tag_METHOD_RECORD templateRecord;
        GetTemplateMethRec(base.IsEmpty() ? 0 : 1, base, &templateRecord);

        setSystemListValue("METHOD_DB", name);
        // Creating fails harmlessly when the database exists; opening for writing decides.
        DmDB3Open(&descriptor, DMDB3_MODE_CREATE);
        if (DmDB3Open(&descriptor, DMDB3_MODE_APPEND) != 0)
            return 0;

        const float span = static_cast<float>(width);
        int number = 0;
        for (const int row : rows)
        {
            const tag_SCAN_PARAMS& p = params[row];
            if (p.nMaxFunction < 0)
                continue;
            ++number;
            tag_METHOD_RECORD record =
                finalRecord(templateRecord, cellText(*samples, row, compoundField), p, options.m_bMSMS != 0, span);
            const bool isReference = number == reference;
            record.SetUseReference(reference > 0 ? 1 : 0);
            record.SetReferenceRecord(reference > 0 && !isReference ? reference : 0);
            record.set<std::int32_t>(tag_METHOD_RECORD::kInt680, isReference ? 0 : 2);
            // The host gives the record number, or -1; anything below 1 is not a write.
            if (MethodWriteRecord(&name, -1, &record, 0, 0) < 1)
            {
                DmDB3Close(&descriptor);
                return 0;
            }
        }
        // Every row of the group is counted, those without a record too, as stored final methods
        // have always counted them; the host reads no record beyond those present.
        descriptor.SetRecordCount(static_cast<int>(rows.size()));
        // A database the host could not close properly is not handed out as a method.
        if (DmDB3Close(&descriptor) != 0)
            return 0;
        methods.Add(path);
        return 1;
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

BRENMO_API int ModifyFinalQuanMethods(int group, const CBrenmoOptions& options, const CSampleListMem*,
                                      CSampleListMem* analysis, tag_SCAN_PARAMS* params, const CStringArray& methods)
{
    if (!analysis || !params)
        return 0;
    try
    {
        return modify(group, options, *analysis, params, methods);
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}
