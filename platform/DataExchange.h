// The framework's dialog data exchange and validation: moving a field to its control and back,
// checking ranges, and telling the user in the framework's own words when a value is not right.
#pragma once

#include "platform/Dialog.h"

/// One run of a window's data exchange. A failing step tells the user, puts the focus in its
/// control and calls Fail, which ends the run; UpdateData then returns FALSE.
class PLATFORM_API CDataExchange
{
  public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    /// TRUE when values go from the controls to the fields (and are validated).
    BOOL m_bSaveAndValidate;
    /// The window whose controls are exchanged.
    CWnd* m_pDlgWnd;

    /// Names control nIDC as the one the next validation refers to and returns its handle. A
    /// control that does not exist fails the exchange (without a message).
    HWND PrepareCtrl(int nIDC);
    /// As PrepareCtrl, for an edit.
    HWND PrepareEditCtrl(int nIDC);
    /// Ends the exchange as failed: shows nothing itself, puts the focus back in the last prepared
    /// control (without telling the control it takes the focus from, so two boxes that both check
    /// on leaving cannot pass the focus back and forth) and returns to UpdateData.
    [[noreturn]] void Fail();

    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

/// An edit's text and a number. Showing writes integers as %d, doubles as "%.*g" with DBL_DIG
/// digits and floats with FLT_DIG. Taking accepts blanks around the number and nothing else beside
/// it: decimal digits with an optional sign (integers) or with an optional fraction and exponent
/// (doubles and floats); text that is not such a number, or that is out of the type's range, is
/// refused with "Please enter an integer." or "Please enter a number.".
PLATFORM_API void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
PLATFORM_API void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
PLATFORM_API void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
PLATFORM_API void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
/// Makes rControl the window of control nIDC (SubclassDlgItem) the first time, while rControl
/// has no window; later exchanges leave it. A control that cannot be taken over fails the
/// exchange (without a message).
PLATFORM_API void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
/// A check box's state (BST_UNCHECKED or BST_CHECKED).
PLATFORM_API void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
/// The index of the checked button of the radio set that starts at nIDC; -1 when none.
PLATFORM_API void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
/// A drop-down list's selected text; showing selects the first item that begins with value.
PLATFORM_API void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);

/// When taking, refuses a value outside minVal to maxVal with "Please enter an integer between %1
/// and %2." (or "a number", with the limits written as DDX_Text writes them).
PLATFORM_API void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
PLATFORM_API void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
PLATFORM_API void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal);

namespace platform::detail
{
/// How Fail ends an exchange; UpdateData catches it, so it never leaves the dialog layer.
struct DataExchangeFailure
{
};

/// An integer as DDX_Text takes it; false for anything else.
PLATFORM_API bool parseDialogInt(const char* text, int& value);
/// A number as DDX_Text takes it; false for anything else, including overflow.
PLATFORM_API bool parseDialogDouble(const char* text, double& value);
} // namespace platform::detail
