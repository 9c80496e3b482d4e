// The host's sample-list classes: rows of cells under the host's field table, read from and
// written to their files through the installed host.
#include "host/DispatchDetail.h"
#include "host/host.h"

#include <cstring>

using host::Host;
using host::detail::dispatch;

namespace
{
// Reads a list file through the host. A failed read leaves no rows behind, whatever the host did
// before it failed, so a caller never works on half a list.
int readRows(CSampleListMem& list, host::SampleListKind kind, const char* path, const tag_SELECT_DATATYPE& type)
{
    const int result = dispatch([&](Host& h) { return h.ReadSampleList(list, kind, path, type); });
    if (!result)
        list.RemoveAllRows();
    return result;
}
} // namespace

CSampleListRow::CSampleListRow() : cells_(static_cast<size_t>(CSampleList::m_nSLFieldDefs))
{
}

const CKVVariant& CSampleListRow::operator[](int field) const
{
    static const CKVVariant empty;
    if (field < 0 || field >= GetSize())
        return empty;
    return cells_[static_cast<size_t>(field)];
}

CKVVariant& CSampleListRow::operator[](int field)
{
    if (field < 0 || field >= GetSize())
    {
        scratch_ = CKVVariant();
        return scratch_;
    }
    return cells_[static_cast<size_t>(field)];
}

CSampleListMem::CSampleListMem() = default;
CSampleListMem::~CSampleListMem() = default;

const CSampleListRow& CSampleListMem::operator[](int row) const
{
    static const CSampleListRow empty;
    if (row < 0 || row >= GetSize())
        return empty;
    return rows_[static_cast<size_t>(row)];
}

CSampleListRow& CSampleListMem::operator[](int row)
{
    if (row < 0 || row >= GetSize())
    {
        scratch_ = CSampleListRow();
        return scratch_;
    }
    return rows_[static_cast<size_t>(row)];
}

int CSampleListMem::AddRow()
{
    rows_.emplace_back();
    return GetSize() - 1;
}

// The fields of an LC-MS sample list as the host defines them, in column order.
const tag_SLFIELDDEF CSampleList::m_SampleListDefinition[] = {
    {"FILE_NAME", "File Name", 255},
    {"FILE_TEXT", "File Text", 255},
    {"MS_FILE", "MS File", 255},
    {"MS_TUNE_FILE", "MS Tune File", 255},
    {"INLET_FILE", "Inlet File", 255},
    {"BOTTLE", "Bottle", 32},
    {"INJ_VOL", "Inject Volume", 32},
    {"TYPE", "Type", 32},
    {"CONC_A", "Conc A", 32},
    {"METH_DB", "Quan Method", 255},
    {"CURVE_DB", "Quan Curve", 255},
    {"DUMP_FILE", "LIMS Export File", 255},
    {"SAMPLE_GROUP", "Sample Group", 255},
    {"QUAN_REF", "Quan Reference", 32},
    {"SPARE_1", "Spare 1", 255},
    {"SPARE_2", "Spare 2", 255},
    {"SPARE_3", "Spare 3", 255},
    {"SPARE_4", "Spare 4", 255},
    {"SPARE_5", "Spare 5", 255},
    {"COMPOUND", "Compound", 255},
    {"MASS", "Mass or Formula", 255},
    {"ION_MODE", "Ion Mode", 32}, // "ESP" or "APcI"; empty: the method's
    {"POLARITY", "Polarity", 32}, // "+", "-" or "+/-" for both; empty: the method's
};
const int CSampleList::m_nSLFieldDefs =
    static_cast<int>(sizeof(CSampleList::m_SampleListDefinition) / sizeof(CSampleList::m_SampleListDefinition[0]));

int CSampleList::GetFieldIndex(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < m_nSLFieldDefs; ++i)
        if (std::strcmp(m_SampleListDefinition[i].szName, name) == 0)
            return i;
    return -1;
}

const tag_SELECT_DATATYPE CFormattedSampleList::m_DefaultType = {"Kelvane 3.x (*.SPL)|*.spl|", "spl", 1, "", ""};

CDAOSampleList::CDAOSampleList(int)
{
}

int CDAOSampleList::Open(const CString& path, const tag_SELECT_DATATYPE& type)
{
    SetFileName(path);
    return readRows(*this, host::SampleListKind::kDatabase, path, type);
}

int CDAOSampleList::Close(int save)
{
    if (!save)
        return 1;
    return dispatch([&](Host& h) { return h.WriteSampleList(*this, host::SampleListKind::kDatabase); });
}

CISAMSampleList::CISAMSampleList(int)
{
}

int CISAMSampleList::Open(const CString& path, const tag_SELECT_DATATYPE& type)
{
    SetFileName(path);
    return readRows(*this, host::SampleListKind::kFormatted, path, type);
}

int CISAMSampleList::Load(const char* path)
{
    SetFileName(path);
    return readRows(*this, host::SampleListKind::kLoaded, path ? path : "", CFormattedSampleList::m_DefaultType);
}

int CISAMSampleList::Close(int save)
{
    if (!save)
        return 1;
    return dispatch([&](Host& h) { return h.WriteSampleList(*this, host::SampleListKind::kFormatted); });
}
