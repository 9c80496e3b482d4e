#include "host/host.h"

#include <cassert>

namespace host
{
namespace
{
// Used when no host is installed: every operation reports its failure result.
Host& nullHost()
{
    static Host none;
    return none;
}

Host* installed = nullptr;
} // namespace

Host::~Host() = default;
} // namespace host

CHostInstrument::~CHostInstrument() = default;

namespace host
{

char* Host::ftoa(double, char* buffer, int)
{
    if (buffer)
        buffer[0] = '\0';
    return buffer;
}

int Host::GetTotalSimultaneousSamples()
{
    return 1;
}

int Host::ConvertPathToHxFile(tag_HXFILE&, const char*)
{
    return 0;
}

int Host::ConvertHxFileToPath(char* out, int limit, const tag_HXFILE&)
{
    if (out && limit > 0)
        out[0] = '\0';
    return 0;
}

int Host::GetSystemListValue(const char*, const char*, int, tag_HXFILE&)
{
    return 0;
}

int Host::SetSystemListValue(const char*, const char*, const tag_HXFILE&, int)
{
    return 0;
}

int Host::ReadSampleList(CSampleListMem& list, SampleListKind, const char*, const tag_SELECT_DATATYPE&)
{
    list.RemoveAllRows();
    return 0;
}

int Host::WriteSampleList(const CSampleListMem&, SampleListKind)
{
    return 0;
}

Host* Install(Host* host)
{
    Host* previous = installed;
    installed = host;
    return previous;
}

Host& Current()
{
    return installed ? *installed : nullHost();
}
} // namespace host

char* ftoa(double value, char* buffer, int precision)
{
    return host::Current().ftoa(value, buffer, precision);
}

int GetTotalSimultaneousSamples()
{
    return host::Current().GetTotalSimultaneousSamples();
}

int ConvertPathToHxFile(tag_HXFILE* out, const char* path)
{
    return out ? host::Current().ConvertPathToHxFile(*out, path ? path : "") : 0;
}

int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE* in)
{
    if (!in)
    {
        if (out && limit > 0)
            out[0] = '\0';
        return 0;
    }
    return host::Current().ConvertHxFileToPath(out, limit, *in);
}

int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE* out)
{
    return out ? host::Current().GetSystemListValue(section, key, flags, *out) : 0;
}

int SetSystemListValue(const char* section, const char* key, const tag_HXFILE* value, int flags)
{
    return value ? host::Current().SetSystemListValue(section, key, *value, flags) : 0;
}

// ---- Sample lists ----------------------------------------------------------------------------

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
    assert(row >= 0 && row < GetSize());
    return rows_[static_cast<size_t>(row)];
}

CSampleListRow& CSampleListMem::operator[](int row)
{
    assert(row >= 0 && row < GetSize());
    return rows_[static_cast<size_t>(row)];
}

int CSampleListMem::AddRow()
{
    rows_.emplace_back();
    return GetSize() - 1;
}

// The fields of an LC-MS sample list as the host defines them, in column order.
const tag_SLFIELDDEF CSampleList::m_SampleListDefinition[] = {
    {"FILE_NAME", "File Name", 255},     {"FILE_TEXT", "File Text", 255},   {"MS_FILE", "MS File", 255},
    {"MS_TUNE_FILE", "MS Tune File", 255}, {"INLET_FILE", "Inlet File", 255}, {"BOTTLE", "Bottle", 32},
    {"INJ_VOL", "Inject Volume", 32},    {"TYPE", "Type", 32},              {"CONC_A", "Conc A", 32},
    {"METH_DB", "Quan Method", 255},     {"CURVE_DB", "Quan Curve", 255},   {"DUMP_FILE", "LIMS Export File", 255},
    {"SAMPLE_GROUP", "Sample Group", 255}, {"QUAN_REF", "Quan Reference", 32}, {"SPARE_1", "Spare 1", 255},
    {"SPARE_2", "Spare 2", 255},         {"SPARE_3", "Spare 3", 255},       {"COMPOUND", "Compound", 255},
    {"MASS", "Mass or Formula", 255},
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
    return host::Current().ReadSampleList(*this, host::SampleListKind::kDatabase, path, type);
}

int CDAOSampleList::Close(int save)
{
    return save ? host::Current().WriteSampleList(*this, host::SampleListKind::kDatabase) : 1;
}

CISAMSampleList::CISAMSampleList(int)
{
}

int CISAMSampleList::Open(const CString& path, const tag_SELECT_DATATYPE& type)
{
    SetFileName(path);
    return host::Current().ReadSampleList(*this, host::SampleListKind::kFormatted, path, type);
}

int CISAMSampleList::Load(const char* path)
{
    SetFileName(path);
    return host::Current().ReadSampleList(*this, host::SampleListKind::kLoaded, path ? path : "",
                                          CFormattedSampleList::m_DefaultType);
}

int CISAMSampleList::Close(int save)
{
    return save ? host::Current().WriteSampleList(*this, host::SampleListKind::kFormatted) : 1;
}
