// _splitpath as the C runtime does it, with each part cut to its buffer so that a long path can
// never overrun the fixed-size buffers the engine passes.
#include "platform/SplitPath.h"

#include "platform/Ascii.h"

#include <cstring>

namespace
{
// Copies length bytes of text into out (when there is an out), cut to size - 1 and terminated.
void copyPart(char* out, int size, const char* text, size_t length)
{
    if (!out)
        return;
    const size_t room = static_cast<size_t>(size - 1);
    const size_t n = length < room ? length : room;
    std::memcpy(out, text, n);
    out[n] = '\0';
}
} // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext)
{
    if (!path)
        path = "";

    const size_t driveLength = platform::detail::hasDriveLetter(path) ? 2 : 0;
    copyPart(drive, _MAX_DRIVE, path, driveLength);
    path += driveLength;

    // The directory runs to the last separator; the extension starts at the last dot after it.
    const char* name = path;
    const char* dot = nullptr;
    for (const char* p = path; *p; ++p)
    {
        if (*p == '\\' || *p == '/')
        {
            name = p + 1;
            dot = nullptr;
        }
        else if (*p == '.')
            dot = p;
    }
    const char* end = name + std::strlen(name);
    if (!dot)
        dot = end;
    copyPart(dir, _MAX_DIR, path, static_cast<size_t>(name - path));
    copyPart(fname, _MAX_FNAME, name, static_cast<size_t>(dot - name));
    copyPart(ext, _MAX_EXT, dot, static_cast<size_t>(end - dot));
}
