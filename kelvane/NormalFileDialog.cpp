// The host utility's general file dialog in the stand-in: answered from a path given beforehand
// (by the driver's command line or a test), or else asked of the person (HostDialogs.cpp).
#include "kelvane/KelvaneHost.h"

namespace kelvane
{
short KelvaneHost::GenGetNormalFile(HINSTANCE, HWND owner, tag_FILE_DIALOG_REQUEST& request)
{
    try
    {
        if (!hasNormalFileAnswer_)
            return askForNormalFile(owner, request);
        tag_HXFILE parts;
        if (!ConvertPathToHxFile(parts, normalFileAnswer_.c_str()))
            return 0;
        const CString directory = parts.Directory();
        const CString name = parts.FileName();
        const CString extension = parts.Extension();
        // Checked before anything is written, so an answer that does not fit leaves the request
        // as the caller filled it.
        if (directory.GetLength() >= static_cast<int>(tag_FILE_DIALOG_REQUEST::kDirectoryWidth) ||
            name.GetLength() >= static_cast<int>(tag_FILE_DIALOG_REQUEST::kFileNameWidth) ||
            extension.GetLength() >= static_cast<int>(tag_FILE_DIALOG_REQUEST::kExtensionWidth))
            return 0;
        request.SetDirectory(directory);
        request.SetFileName(name);
        request.SetExtension(extension);
        return 1;
    }
    catch (...)
    {
        return 0;
    }
}

void KelvaneHost::SetNormalFileAnswer(const std::string& hostPath)
{
    normalFileAnswer_ = hostPath;
    hasNormalFileAnswer_ = true;
}

void KelvaneHost::ClearNormalFileAnswer()
{
    normalFileAnswer_.clear();
    hasNormalFileAnswer_ = false;
}
} // namespace kelvane
