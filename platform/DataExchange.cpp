// Data exchange and validation in the framework's manner: its number syntax, its number formats
// and its standard messages.
#include "platform/DataExchange.h"

#include "platform/UserInterface.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace platform::detail
{
namespace
{
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text between the surrounding blanks.
std::string trimmed(const char* text)
{
    std::string value = text ? text : "";
    size_t first = 0;
    while (first < value.size() && isBlank(value[first]))
        ++first;
    size_t last = value.size();
    while (last > first && isBlank(value[last - 1]))
        --last;
    return value.substr(first, last - first);
}

// Skips digits from index; returns how many.
size_t skipDigits(const std::string& text, size_t& index)
{
    const size_t start = index;
    while (index < text.size() && isDigit(text[index]))
        ++index;
    return index - start;
}
} // namespace

bool parseDialogInt(const char* text, int& value)
{
    const std::string number = trimmed(text);
    size_t index = number.empty() || (number[0] != '+' && number[0] != '-') ? 0 : 1;
    if (skipDigits(number, index) == 0 || index != number.size())
        return false;
    errno = 0;
    const long long parsed = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseDialogDouble(const char* text, double& value)
{
    // The syntax is checked here rather than left to strtod, which would also take "inf", "nan"
    // and hexadecimal numbers that the platform's dialogs refuse.
    const std::string number = trimmed(text);
    size_t index = number.empty() || (number[0] != '+' && number[0] != '-') ? 0 : 1;
    size_t digits = skipDigits(number, index);
    if (index < number.size() && number[index] == '.')
    {
        ++index;
        digits += skipDigits(number, index);
    }
    if (digits == 0)
        return false;
    if (index < number.size() && (number[index] == 'e' || number[index] == 'E'))
    {
        ++index;
        if (index < number.size() && (number[index] == '+' || number[index] == '-'))
            ++index;
        if (skipDigits(number, index) == 0)
            return false;
    }
    if (index != number.size())
        return false;
    const double parsed = std::strtod(number.c_str(), nullptr);
    // Underflow gives a tiny number or zero, which is kept; overflow has no value to keep.
    if (std::isinf(parsed))
        return false;
    value = parsed;
    return true;
}
} // namespace platform::detail

namespace
{
constexpr const char* kParseInt = "Please enter an integer.";
constexpr const char* kParseReal = "Please enter a number.";

[[noreturn]] void failWith(CDataExchange* pDX, const std::string& message)
{
    MessageBoxA(pDX->m_pDlgWnd ? pDX->m_pDlgWnd->GetSafeHwnd() : nullptr, message.c_str(), "", MB_ICONEXCLAMATION);
    pDX->Fail();
}

CString textOf(CDataExchange* pDX, int nIDC)
{
    CString text;
    pDX->m_pDlgWnd->GetDlgItemText(nIDC, text);
    return text;
}

CString realText(double value, int digits)
{
    CString text;
    text.Format("%.*g", digits, value);
    return text;
}

void exchangeReal(CDataExchange* pDX, int nIDC, double& value, int digits, double limit)
{
    pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate)
    {
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, realText(value, digits));
        return;
    }
    double parsed = 0;
    if (!platform::detail::parseDialogDouble(textOf(pDX, nIDC), parsed) || std::fabs(parsed) > limit)
        failWith(pDX, kParseReal);
    value = parsed;
}

// The range message: the framework's text with %1 and %2 replaced by the limits.
[[noreturn]] void failRange(CDataExchange* pDX, bool integer, const CString& low, const CString& high)
{
    std::string message =
        integer ? "Please enter an integer between %1 and %2." : "Please enter a number between %1 and %2.";
    message.replace(message.find("%1"), 2, low.GetString());
    message.replace(message.find("%2"), 2, high.GetString());
    failWith(pDX, message);
}
} // namespace

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    if (!control)
        throw platform::detail::DataExchangeFailure();
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return control->GetSafeHwnd();
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    const HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    if (CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(m_idLastControl) : nullptr)
        if (control->IsWindowEnabled())
            platform::detail::focusQuietly(control);
    throw platform::detail::DataExchangeFailure();
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate)
    {
        CString text;
        text.Format("%d", value);
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, text);
        return;
    }
    int parsed = 0;
    if (!platform::detail::parseDialogInt(textOf(pDX, nIDC), parsed))
        failWith(pDX, kParseInt);
    value = parsed;
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    exchangeReal(pDX, nIDC, value, DBL_DIG, DBL_MAX);
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    double wide = value;
    exchangeReal(pDX, nIDC, wide, FLT_DIG, FLT_MAX);
    value = static_cast<float>(wide);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = textOf(pDX, nIDC);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(pDX->m_pDlgWnd->IsDlgButtonChecked(nIDC));
    else
        pDX->m_pDlgWnd->CheckDlgButton(nIDC, static_cast<UINT>(value));
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    pDX->PrepareCtrl(nIDC);
    const std::vector<CWnd*> set = platform::detail::radioSetStartingAt(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    if (pDX->m_bSaveAndValidate)
    {
        value = -1;
        for (size_t i = 0; i < set.size(); ++i)
            if (set[i]->GetCheck() == BST_CHECKED)
            {
                value = static_cast<int>(i);
                break;
            }
        return;
    }
    for (size_t i = 0; i < set.size(); ++i)
        set[i]->SetCheck(static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    pDX->PrepareCtrl(nIDC);
    CWnd* list = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate)
        list->GetWindowText(value);
    else
        list->SelectString(-1, value);
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString low, high;
    low.Format("%d", minVal);
    high.Format("%d", maxVal);
    failRange(pDX, true, low, high);
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    failRange(pDX, false, realText(minVal, DBL_DIG), realText(maxVal, DBL_DIG));
}

void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    failRange(pDX, false, realText(minVal, FLT_DIG), realText(maxVal, FLT_DIG));
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.GetSafeHwnd())
        return;
    pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd))
        pDX->Fail();
}
