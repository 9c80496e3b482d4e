#include "ui/TessalyMessageBox.h"

int TessalyMessageBox(const CBrenmoOptions& options, HWND owner, CString text, CString caption, UINT type)
{
    if (options.m_bRunUnattended)
        return IDOK;
    return MessageBoxA(owner, text, caption, type);
}
