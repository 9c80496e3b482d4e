// Method files: the section, extension, filter and title texts, and the reading and writing of
// the 50 method keys through the platform's profile functions.
#include "method/TessalyOptionsSheet.h"

#include "host/host.h"
#include "method/MethodFileKeys.h"
#include "platform/Profile.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

CString CTessalyOptionsSheet::m_strTessalyMethodSection = "Tessaly Options";
CString CTessalyOptionsSheet::m_strTessalyMethodExtension = "tym";
// Built from the extension, which is defined (and so initialised) just above.
CString CTessalyOptionsSheet::m_strTessalyMethodFilter =
    "Tessaly Methods (*." + m_strTessalyMethodExtension + ")|*." + m_strTessalyMethodExtension + "||";
CString CTessalyOptionsSheet::m_strTitle = "Tessaly Method Editor";

namespace
{
// The profile reader fills a 256-byte buffer, so a value is cut to 255 characters.
constexpr int kValueBuffer = 256;

// ftoa promises at least 64 bytes, but a double of up to 1.8e308 at two decimals takes 313
// characters plus sign and terminator, so it gets room for any value.
constexpr int kNumberBuffer = 400;

// The number of decimals every double of a method file is written with.
constexpr int kDecimals = 2;

// The integer value of text as atoi reads it (blanks, sign, leading digits; no digits give 0).
// atoi itself is undefined for values outside the int range, which a user's file may hold, so
// the value saturates to the range's ends instead.
int parseInt(const char* text)
{
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// The value of text as atof reads it, except that a text giving no finite number ("nan", "inf",
// a value beyond the double range) reads as 0 like any other text that is no number: a NaN or
// an infinity in a method would make every ramp and window computed from it meaningless.
double parseDouble(const char* text)
{
    const double value = std::strtod(text, nullptr);
    return std::isfinite(value) ? value : 0.0;
}

// The host's two-decimal rendering of value. The buffer is zeroed and terminated afresh, so a
// host that writes nothing or returns null leaves the empty text.
CString formatDouble(double value)
{
    char buffer[kNumberBuffer] = {};
    ftoa(value, buffer, kDecimals);
    buffer[kNumberBuffer - 1] = '\0';
    return CString(buffer);
}

} // namespace

CBrenmoOptions& CTessalyOptionsSheet::OpenFile(const CString& strFile)
{
    // The one library-wide record: built at the first call, destroyed when the library unloads.
    static CBrenmoOptions options;

    if (strFile.IsEmpty())
    {
        const CBrenmoOptions defaults;
        options = defaults;
        return options;
    }

    // The 50 reads are one read of the method: the file is checked once and parsed at most once.
    const platform::ProfileReadBatch batch;
    // The MUX defaults follow the inlet the host has: asked once, just before the first MUX key.
    int sampleCount = 0;
    bool askedHost = false;
    for (const auto& key : method::kMethodFileKeys)
    {
        switch (key.type)
        {
        case method::MethodKeyType::kDouble: {
            double value = 0.0;
            ReadFromFile(strFile, value, key.name, key.numberDefault);
            key.setDouble(options, value);
            break;
        }
        case method::MethodKeyType::kInt: {
            if (key.hostDefault != method::HostDefault::kNone && !askedHost)
            {
                sampleCount = GetTotalSimultaneousSamples();
                askedHost = true;
            }
            int byDefault = static_cast<int>(key.numberDefault);
            if (key.hostDefault == method::HostDefault::kMuxWhenShared)
                byDefault = sampleCount != 1 ? 1 : 0;
            else if (key.hostDefault == method::HostDefault::kSampleCount)
                byDefault = sampleCount;
            int value = 0;
            ReadFromFile(strFile, value, key.name, byDefault);
            key.setInt(options, value);
            break;
        }
        case method::MethodKeyType::kString: {
            CString value;
            ReadFromFile(strFile, value, key.name, key.textDefault);
            key.setText(options, value);
            break;
        }
        }
    }
    return options;
}

int CTessalyOptionsSheet::SaveFile(const CString& strFile, const CBrenmoOptions& options)
{
    // Every key is attempted even after a failed write; one failure fails the save. The keys form
    // one write of the method: the file is replaced once, with all of them, not once per key.
    platform::ProfileWriteBatch batch;
    int result = 1;
    for (const auto& key : method::kMethodFileKeys)
    {
        int written = 0;
        switch (key.type)
        {
        case method::MethodKeyType::kDouble:
            written = WriteToFile(strFile, key.name, key.getDouble(options));
            break;
        case method::MethodKeyType::kInt:
            written = WriteToFile(strFile, key.name, key.getInt(options));
            break;
        case method::MethodKeyType::kString:
            written = WriteToFile(strFile, key.name, key.getText(options));
            break;
        }
        if (!written)
            result = 0;
    }
    if (!batch.commit())
        result = 0;
    return result;
}

int CTessalyOptionsSheet::WriteToFile(const CString& strFile, const CString& strKey, const CString& strValue)
{
    return WritePrivateProfileStringA(m_strTessalyMethodSection, strKey, strValue, strFile);
}

int CTessalyOptionsSheet::WriteToFile(const CString& strFile, const CString& strKey, int nValue)
{
    CString text;
    text.Format("%d", nValue);
    return WriteToFile(strFile, strKey, text);
}

int CTessalyOptionsSheet::WriteToFile(const CString& strFile, const CString& strKey, double dValue)
{
    return WriteToFile(strFile, strKey, formatDouble(dValue));
}

int CTessalyOptionsSheet::ReadFromFile(const CString& strFile, CString& strValue, const CString& strKey,
                                       const CString& strDefault)
{
    char buffer[kValueBuffer] = {};
    GetPrivateProfileStringA(m_strTessalyMethodSection, strKey, strDefault, buffer, kValueBuffer, strFile);
    buffer[kValueBuffer - 1] = '\0';
    if (buffer[0] != '\0')
    {
        strValue = buffer;
        return 1;
    }
    // An empty value in the file counts as absent.
    strValue = strDefault;
    return 0;
}

int CTessalyOptionsSheet::ReadFromFile(const CString& strFile, int& nValue, const CString& strKey, int nDefault)
{
    CString defaultText;
    defaultText.Format("%d", nDefault);
    CString text;
    if (ReadFromFile(strFile, text, strKey, defaultText))
    {
        nValue = parseInt(text);
        return 1;
    }
    nValue = nDefault;
    return 0;
}

int CTessalyOptionsSheet::ReadFromFile(const CString& strFile, double& dValue, const CString& strKey, double dDefault)
{
    CString text;
    if (ReadFromFile(strFile, text, strKey, formatDouble(dDefault)))
    {
        dValue = parseDouble(text);
        return 1;
    }
    dValue = dDefault;
    return 0;
}
