#include "apps/ConsoleUserInterface.h"

#include <cstring>

namespace tessaly
{
ConsoleUserInterface::ConsoleUserInterface(std::ostream& err) : err_(err)
{
}

int ConsoleUserInterface::showMessageBox(HWND, const char* text, const char* caption, UINT)
{
    if (*caption)
        err_ << caption << ": ";
    err_ << text;
    const size_t length = std::strlen(text);
    if (length == 0 || text[length - 1] != '\n')
        err_ << '\n';
    err_.flush();
    return IDOK;
}

bool ConsoleUserInterface::setWindowText(HWND, const char*)
{
    return true;
}
} // namespace tessaly
