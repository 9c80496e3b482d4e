// The quantify state and its exported functions: the open sample list, its groups, the current
// group and its rows, and the dialog that chooses the LIMS export file.
#include "groups/QuanState.h"

#include "fileutil/FileUtil.h"
#include "groups/Group.h"
#include "host/host.h"
#include "platform/UserInterface.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace
{
constexpr const char* kSystemList = "SystemList";
// The empty text every text function returns when it has nothing; a constant, so it outlives
// every list.
constexpr const char* kEmpty = "";

// Library-wide state, created when the library loads. An open list is deliberately not destroyed
// at unload: the host closes it first, and the host's own libraries may already be gone then.
CGroupArray QuanGroupArray;
CSampleListMem* pQuanSampleList = nullptr;
int nQuanFirstSample = 0;
int nQuanLastSample = 0;

int columnOf(const char* field)
{
    return groups::detail::findFieldColumn(CSampleList::m_SampleListDefinition, CSampleList::m_nSLFieldDefs, field);
}

// The text of the current group's cell in column, read from the group's first row.
const char* currentCell(int column)
{
    if (!pQuanSampleList || column < 0 || nQuanFirstSample < 0 || nQuanFirstSample >= pQuanSampleList->GetSize())
        return kEmpty;
    const CSampleListMem& list = *pQuanSampleList;
    return list[nQuanFirstSample][column].GetString().GetString();
}

// Has the host write the open list back to its file. The list was closed without saving when it
// opened, so this is how a change made here reaches the file the host reads next.
int saveOpenList()
{
    if (auto* database = dynamic_cast<CDAOSampleList*>(pQuanSampleList))
        return database->Close(1) ? 1 : 0;
    if (auto* formatted = dynamic_cast<CISAMSampleList*>(pQuanSampleList))
        return formatted->Close(1) ? 1 : 0;
    // A list of another kind has no file behind it: memory is all there is.
    return 1;
}

// Sets the cell in column of every row of the current group, then saves the list.
int setCurrentCells(int column, const char* text)
{
    if (!pQuanSampleList)
        return 0;
    // Copied first: text may be a getter's result, which points into the first row's cell that
    // this overwrites before the other rows are written.
    const CString value(text ? text : kEmpty);
    // A field the host's table lacks cannot hold the text; saying so beats a silent success.
    if (column < 0)
        return 0;
    // Rows outside the list (a group of a list opened earlier) are skipped rather than written
    // to the host's scratch row one by one.
    const int first = nQuanFirstSample < 0 ? 0 : nQuanFirstSample;
    const int last = nQuanLastSample >= pQuanSampleList->GetSize() ? pQuanSampleList->GetSize() - 1 : nQuanLastSample;
    if (first > last)
        return 1;
    for (int row = first; row <= last; ++row)
        (*pQuanSampleList)[row][column].SetString(value.GetString(), CKVVariant::kTypeString);
    return saveOpenList();
}

// The host's dialog hands its numbers back as doubles; one that is not a number or does not fit
// the record's field becomes 0 instead of an undefined conversion.
template <class T> T truncatedTo(double value)
{
    const double whole = std::trunc(value);
    if (!std::isfinite(whole) || whole < static_cast<double>(std::numeric_limits<T>::min()) ||
        whole > static_cast<double>(std::numeric_limits<T>::max()))
        return 0;
    return static_cast<T>(whole);
}

// Type code of a sample list by its extension, compared without regard to case.
int typeCodeOf(const CString& extension)
{
    if (extension.CompareNoCase("OLB") == 0)
        return 3;
    if (extension.CompareNoCase("SDB") == 0)
        return 4;
    if (extension.CompareNoCase("SPL") == 0)
        return 1;
    return 2;
}
} // namespace

namespace groups::detail
{
int findFieldColumn(const tag_SLFIELDDEF* table, int count, const char* name)
{
    for (int i = 0; table && name && i < count; ++i)
        if (table[i].szName && std::strcmp(table[i].szName, name) == 0)
            return i;
    return -1;
}
} // namespace groups::detail

int nQuanGroups = 0;
int nQuanGroup = 0;

int OpenUnknownSampleList(const CString& path, CSampleListMem*& list, const tag_SELECT_DATATYPE& type)
{
    const int code = type.nType;
    if (code < 1 || code > 4)
        return 0;
    int result = 0;
    if (code == 1)
    {
        auto* database = new (std::nothrow) CDAOSampleList(1);
        list = database;
        if (database)
        {
            result = database->Open(path, CFormattedSampleList::m_DefaultType);
            if (result)
                database->Close(0);
        }
    }
    else
    {
        auto* formatted = new (std::nothrow) CISAMSampleList(1);
        list = formatted;
        if (formatted)
        {
            result = code == 2 ? formatted->Open(path, type) : formatted->Load(path);
            if (result)
                formatted->Close(0);
        }
    }
    if (!result)
    {
        delete list;
        list = nullptr;
    }
    return result;
}

int QuanOpenSampleList(const char* path)
{
    // Copied before the open list is closed: a host reopening the current list passes the text
    // of QuanGetCurrentSampleList, which lives in that list and is freed with it.
    const CString file(path ? path : kEmpty);
    QuanCloseSampleList();
    const tag_SELECT_DATATYPE type = {kEmpty, kEmpty, typeCodeOf(GetDefaultExtension(file)), kEmpty, kEmpty};
    if (!OpenUnknownSampleList(file, pQuanSampleList, type))
        return 0;

    tag_HXFILE current;
    GetSystemListValue(kSystemList, "SAMPLES_DB", 0, &current);
    ConvertPathToHxFile(&current, file);
    SetSystemListValue(kSystemList, "SAMPLES_DB", &current, 1);

    try
    {
        if (!GetGroups(QuanGroupArray, pQuanSampleList))
            return 0;
    }
    catch (const std::bad_alloc&)
    {
        // Too many groups to hold: as GetGroups failing, and nothing escapes to the host.
        QuanGroupArray.RemoveAll();
        return 0;
    }
    nQuanGroups = QuanGroupArray.GetSize();
    return nQuanGroups > 0 ? 1 : 0;
}

void QuanCloseSampleList(void)
{
    delete pQuanSampleList;
    pQuanSampleList = nullptr;
}

int QuanChangeGroup(int, int group, int* flag)
{
    // The exported count may have been changed by the host; the array is what can be read.
    if (group < 0 || group >= nQuanGroups || group >= QuanGroupArray.GetSize())
        return 0;
    nQuanGroup = group;
    const CGroup& current = QuanGroupArray[group];
    POSITION pos = current.m_Samples.GetHeadPosition();
    nQuanFirstSample = pos ? current.m_Samples.GetNext(pos) : 0;
    nQuanLastSample = pos ? current.m_Samples.GetNext(pos) : 0;
    if (!flag)
        return 1;
    const CString label = current;
    *flag = nQuanGroups == 1 && label.IsEmpty() ? 1 : 0;
    return 1;
}

int QuanSetTitle(HWND window)
{
    if (!window)
        return 0;
    const int groups = QuanGroupArray.GetSize();
    // A current group beyond the groups (a list with fewer groups opened since the last
    // QuanChangeGroup) has no label to show and no number worth showing.
    const bool known = nQuanGroup >= 0 && nQuanGroup < groups;
    const CString label = known ? CString(QuanGroupArray[nQuanGroup]) : CString();
    CString title;
    if (!label.IsEmpty())
        title.Format("Quantify (Group %d - %s)", nQuanGroup + 1, label.GetString());
    else if (known && groups >= 2)
        title.Format("Quantify (Group %d - Unlabelled)", nQuanGroup + 1);
    else
        title = "Quantify";
    return SetWindowTextA(window, title) ? 1 : 0;
}

const char* QuanGetCurrentMethod(void)
{
    static const int column = columnOf("METH_DB");
    return currentCell(column);
}

const char* QuanGetCurrentCurve(void)
{
    static const int column = columnOf("CURVE_DB");
    return currentCell(column);
}

const char* QuanGetCurrentDump(void)
{
    static const int column = columnOf("DUMP_FILE");
    return currentCell(column);
}

int QuanSetCurrentMethod(const char* text)
{
    static const int column = columnOf("METH_DB");
    return setCurrentCells(column, text);
}

int QuanSetCurrentCurve(const char* text)
{
    static const int column = columnOf("CURVE_DB");
    return setCurrentCells(column, text);
}

int QuanSetCurrentDump(const char* text)
{
    static const int column = columnOf("DUMP_FILE");
    return setCurrentCells(column, text);
}

const char* QuanGetCurrentSampleList(void)
{
    return pQuanSampleList ? pQuanSampleList->GetFileName().GetString() : kEmpty;
}

int QuanIncrimentSample(int* sample)
{
    if (!sample)
        return 0;
    const int n = *sample;
    if (n > nQuanLastSample)
    {
        *sample = nQuanFirstSample + 1;
        return 1;
    }
    *sample = n > nQuanFirstSample ? n + 1 : nQuanFirstSample + 1;
    return 0;
}

int QuanDecrimentSample(int* sample)
{
    if (!sample)
        return 0;
    const int n = *sample;
    if (n <= nQuanFirstSample + 1)
    {
        *sample = nQuanLastSample + 1;
        return 1;
    }
    *sample = n <= nQuanLastSample + 1 ? n - 1 : nQuanLastSample + 1;
    return 0;
}

int ChangeDumpFile(HWND owner, char* buffer)
{
    if (!buffer)
        return 0;
    tag_HXFILE record;
    GetSystemListValue(kSystemList, "QUAN_DUMP_FILE", 0, &record);

    tag_FILE_DIALOG_REQUEST request;
    request.SetTitle("File Open - LIMS Export File");
    request.SetOne(1.0);
    if (!record.FileName().IsEmpty())
    {
        request.SetDirectory(record.Directory());
        request.SetFileName(record.FileName());
        request.SetExtension(record.Extension());
        request.SetFirstNumber(record.FirstNumber());
        request.SetSecondNumber(record.SecondNumber());
    }
    else
    {
        // No file chosen yet: start in the root with every text file; the numbers stay 0.
        request.SetDirectory("\\");
        request.SetFileName("*");
        request.SetExtension("TXT");
    }

    // The platform stand-in has no module state to take an instance handle from; the host's
    // dialog does not need one.
    if (GenGetNormalFile(nullptr, owner, &request) == 0)
    {
        buffer[0] = '\0';
        return 0;
    }
    record.SetFirstNumber(truncatedTo<std::uint16_t>(request.FirstNumber()));
    record.SetSecondNumber(truncatedTo<std::uint32_t>(request.SecondNumber()));
    record.SetChosen(1);
    record.SetDirectory(request.Directory());
    record.SetFileName(request.FileName());
    record.SetExtension(request.Extension());
    SetSystemListValue(kSystemList, "QUAN_DUMP_FILE", &record, 1);
    ConvertHxFileToPath(buffer, MAX_PATH, &record);
    return 1;
}
