// Project paths of a method: the project key of a path, moving a method's files into another
// project, and the two path helpers of the file dialogs (doubled backslashes, a new method's name).
#include "host/host.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/FileDialog.h"
#include "platform/SplitPath.h"

#include <cstring>

namespace
{
// The suffix that marks a project directory.
constexpr const char* kProjectSuffix = ".PRO";
constexpr int kProjectSuffixLength = 4;

// The project key of path, and whether the path lies in a project. The key is the upper-cased
// drive and directory up to the project directory's ".PRO", or the whole upper-cased drive and
// directory when there is none.
//
// Only a ".PRO" that ends a directory name marks a project: "C:\My.Programs\Study.PRO\" lies in
// the project C:\MY.PROGRAMS\STUDY, not in "C:\MY" (a match inside a name would make a move cut
// the path in the middle of that name).
CString projectKey(const CString& path, bool& found)
{
    CString upper = path;
    upper.MakeUpper();

    char drive[_MAX_DRIVE] = {};
    char directory[_MAX_DIR] = {};
    _splitpath(upper.GetString(), drive, directory, nullptr, nullptr);
    CString location = drive;
    location += directory;

    // The directory part ends in a separator, so a ".PRO" that ends a name is followed by one.
    for (int at = location.Find(kProjectSuffix); at >= 0; at = location.Find(kProjectSuffix, at + 1))
    {
        const char next = at + kProjectSuffixLength < location.GetLength() ? location[at + kProjectSuffixLength] : '\0';
        if (next != '\\' && next != '/')
            continue;
        // A ".PRO" at the very start names no project directory before it.
        found = at > 0;
        return found ? location.Left(at) : location;
    }
    found = false;
    return location;
}
} // namespace

void CTessalyOptionsSheet::GetProject(CString& strPath)
{
    bool found = false;
    strPath = projectKey(strPath, found);
}

void CTessalyOptionsSheet::ChangeDirectoryInString(CString& strPath, const CString& strProject)
{
    bool found = false;
    const CString key = projectKey(strPath, found);
    if (!found)
        return;
    // Upper-casing keeps the length and the drive and directory are a prefix of the path, so the
    // key's length plus ".PRO" is also where the project directory ends in the path itself.
    CString moved = strProject;
    moved += strPath.Mid(key.GetLength() + kProjectSuffixLength);
    strPath = moved;
}

void CTessalyOptionsSheet::SetProjectPaths(const CString& strProject, CBrenmoOptions& options)
{
    options.m_strProject = strProject;
    CString* const paths[] = {
        &options.m_strAcquisitionTuneFile, &options.m_strDaughterTuneFile,   &options.m_strParentTuneFile,
        &options.m_strBaseQuanMethod,      &options.m_strQuanMethodDaughter, &options.m_strQuanMethodParent,
        &options.m_strStage1LCMethod,      &options.m_strStage2LCMethod,     &options.m_strLoopLCMethod,
        &options.m_strColumnLCMethod,      &options.m_strQuanCalibration,    &options.m_strLimsExportFile,
    };
    for (CString* path : paths)
        ChangeDirectoryInString(*path, strProject);
}

void CTessalyOptionsSheet::RemoveDoubleSlashes(char* text)
{
    if (!text)
        return;
    std::size_t length = std::strlen(text);
    if (length < 3)
        return;
    // From the end towards the start, so each removal moves only text already cleaned. Index 1
    // is the lowest one removed: the pair at 0 and 1 (a network path's) is never merged.
    for (std::size_t i = length - 1; i >= 2; --i)
    {
        if (text[i - 1] == '\\' && text[i] == '\\')
        {
            std::memmove(text + i, text + i + 1, length - i); // the terminator moves too
            --length;
        }
    }
}

void CTessalyOptionsSheet::CreateDefaultName(CString& strName)
{
    // A host without a method database leaves the record zeroed, which gives the bare name.
    tag_HXFILE file;
    GetSystemListValue("SystemList", "METHOD_DB", 0, &file);
    file.SetFileName("Untitled");
    file.SetExtension(m_strTessalyMethodExtension.GetString());

    char path[MAX_PATH] = {};
    ConvertHxFileToPath(path, MAX_PATH, &file);
    path[MAX_PATH - 1] = '\0'; // whatever the host wrote, the text ends inside the buffer
    RemoveDoubleSlashes(path);
    strName = path;
}

int CTessalyOptionsSheet::SelectMethodFile(CString& strFile)
{
    CString initial = strFile;
    if (initial.IsEmpty())
        CreateDefaultName(initial);
    CFileDialog dialog(TRUE, m_strTessalyMethodExtension.GetString(), initial.GetString(),
                       OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_LONGNAMES, m_strTessalyMethodFilter.GetString(),
                       nullptr);
    dialog.m_ofn.lpstrTitle = "Tessaly Method";
    if (dialog.DoModal() != IDOK)
        return 0;
    strFile = dialog.GetPathName();
    return 1;
}
