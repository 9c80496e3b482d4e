// Method and file naming. Only CreateMethodName, CreateUniqueQuanName and CreateLoopAcqFileName
// look at the disk, and only through the file utilities; the other functions work on text alone.
#include "methodgen/MethodNames.h"

#include "fileutil/FileUtil.h"
#include "groups/Group.h"
#include "host/host.h"
#include "platform/Ascii.h"
#include "platform/SplitPath.h"

#include <cstring>
#include <string_view>

namespace methodgen::detail
{
namespace
{
// Where the acquisition methods of a run live inside the project directory. The host looks the
// directory up without regard to case, so the two spellings the names use find the same one.
constexpr const char* kGroupMethodFolder = "Acqudb";
// Final quan methods made from a sample list go to this folder beside the list when it exists.
constexpr const char* kMethDbFolder = "\\..\\methdb";
constexpr const char* kLoopAcqPrefix = "TEMPACQ";

// The working values of CreateUniqueQuanName, sized as the host's path splitter fills them. They
// live for the whole process, and each call overwrites them; result keeps the last name handed out.
struct QuanNameState
{
    char drive[_MAX_DRIVE];
    char directory[_MAX_DIR];
    char title[_MAX_FNAME];
    CString result;
};

QuanNameState& quanNameState()
{
    static QuanNameState state{};
    return state;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

void cleanBytes(char* text, std::size_t length)
{
    // Letters are recognised as ASCII only: the host's code page decides what a byte above 127
    // means, and a file-name part must come out the same whatever the locale of the process.
    for (std::size_t i = 0; i < length; ++i)
    {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        text[i] = (digit || platform::detail::isLetter(c)) ? platform::detail::foldCase(c) : '_';
    }
}

// The file title of a sample list path: the file name (after the last separator, or after a
// drive with no directory) up to its last full stop. A name without a full stop gives the empty
// title, and a full stop in a directory name is never taken.
CString listTitle(const CString& list)
{
    const std::string_view text(list.GetString());
    std::size_t nameStart = 0;
    if (const std::size_t separator = text.find_last_of("\\/"); separator != std::string_view::npos)
        nameStart = separator + 1;
    else if (platform::detail::hasDriveLetter(text))
        nameStart = 2;
    const std::string_view name = text.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? CString() : CString(name.substr(0, dot));
}

// Splits source into the state's drive, directory and title, with the directory ready to have
// "\name" appended: no trailing separator, and "." when source names no directory, so a bare
// name stays beside the current directory instead of moving to the root. False when source does
// not fit the host's path length or a part was cut by the splitter's buffers: a cut directory
// would be another directory.
bool splitInto(QuanNameState& state, const CString& source)
{
    if (source.GetLength() >= MAX_PATH)
        return false;
    char extension[_MAX_EXT];
    _splitpath(source, state.drive, state.directory, state.title, extension);
    const std::size_t whole =
        std::strlen(state.drive) + std::strlen(state.directory) + std::strlen(state.title) + std::strlen(extension);
    // Also unequal when source holds a zero byte, which would end the host's name early.
    if (whole != static_cast<std::size_t>(source.GetLength()))
        return false;
    if (state.directory[0] == '\0')
    {
        std::strcpy(state.directory, ".");
        return true;
    }
    RemoveTrailingSlash(state.directory);
    // A root directory keeps its one separator through RemoveTrailingSlash; the name's own
    // separator stands for it, so "C:\" + "\title" is not doubled.
    if (isSeparator(state.directory[0]) && state.directory[1] == '\0')
        state.directory[0] = '\0';
    return true;
}
} // namespace

// A group name may hold a slash or backslash (they do not separate names in a group expression).
CString compactLabel(const CGroup& group)
{
    CString label;
    for (POSITION pos = group.m_Items.GetHeadPosition(); pos;)
        label += static_cast<const CString>(group.m_Items.GetNext(pos));
    label.Replace('\\', '_');
    label.Replace('/', '_');
    return label;
}
} // namespace methodgen::detail

BRENMO_API int RemovePunctuation(char* text)
{
    if (text)
        methodgen::detail::cleanBytes(text, std::strlen(text));
    return 1;
}

BRENMO_API int RemovePunctuation(CString& text)
{
    // The whole length, zero bytes included, so nothing after an embedded zero is lost or left
    // unclean; a zero byte is not a letter or digit and becomes "_" like any other.
    const int length = text.GetLength();
    methodgen::detail::cleanBytes(text.GetBuffer(length), static_cast<std::size_t>(length));
    text.ReleaseBuffer(length);
    return 1;
}

BRENMO_API CString GetCompoundMethod(const CString& dir, CString compound, int msms)
{
    RemovePunctuation(compound);
    CString name;
    name.Format("%s\\AcquDB\\%s_%s.mdb", dir.GetString(), msms ? "MSMS" : "MS", compound.GetString());
    return name;
}

BRENMO_API CString CreateMethodName(const CBrenmoOptions& options, const CString& prefix, const int& group)
{
    using namespace methodgen::detail;
    const CGroupArray& groups = options.m_GroupArrays[0];
    // Computed wide: a large offset plus a large group number must not wrap into a valid index.
    const long long index = static_cast<long long>(options.m_nGroupOffset) + group;
    if (index < 0 || index >= groups.GetSize())
        return CString();

    const CString& list = options.m_bAnalysisAndQuantitation ? options.m_strAnalysisList : options.m_strCompoundList;
    const CString stem = prefix + listTitle(list) + "_" + compactLabel(groups[static_cast<int>(index)]);
    // The project is stored with a trailing backslash; the folder is joined with exactly one.
    // Without a project there is no place for the method (the drive's root is not one).
    CString folder = options.m_strProject;
    if (folder.IsEmpty())
        return CString();
    if (!isSeparator(folder[folder.GetLength() - 1]))
        folder += '\\';
    folder += kGroupMethodFolder;
    CString name = folder + "\\" + stem + ".mdb";
    // Only a run that acquires needs a method database of its own; an optimisation-only run may
    // reuse the name it made before.
    if (options.m_bAnalysisAndQuantitation && FileExists(name))
        name = CreateUniqueNameInDir(folder, stem + "_", "mdb", 1);
    return name;
}

BRENMO_API CString CreateUniqueQuanName(const CString& path, const CString& sampleList)
{
    using namespace methodgen::detail;
    QuanNameState& state = quanNameState();
    state.result.Empty();

    if (!path.IsEmpty())
    {
        if (!splitInto(state, path))
            return state.result;
    }
    else if (!sampleList.IsEmpty())
    {
        if (!splitInto(state, sampleList))
            return state.result;
        const CString methDb = CString(state.drive) + state.directory + kMethDbFolder;
        if (DirectoryExists(methDb))
        {
            // The folder exists but its name would not fit the directory buffer: refuse rather
            // than put the method anywhere else.
            if (std::strlen(state.directory) + std::strlen(kMethDbFolder) >= sizeof state.directory)
                return state.result;
            std::strcat(state.directory, kMethDbFolder);
        }
    }
    else
        return state.result;

    CString directory;
    directory.Format("%s%s", state.drive, state.directory);
    state.result = CreateUniqueNameInDir(directory, state.title, "mdb", 1);
    return state.result;
}

BRENMO_API CString CreateLoopAcqFileName(int loop)
{
    char temp[MAX_PATH];
    const DWORD length = CFileAccess::GetTempPathSA(MAX_PATH, temp);
    // 0 is failure; a length that does not fit is the size the host would have needed.
    if (length == 0 || length >= static_cast<DWORD>(MAX_PATH))
        return CString();
    RemoveTrailingSlash(temp);

    const CString name = CreateAcqFileName(methodgen::detail::kLoopAcqPrefix, temp, loop);
    if (name.IsEmpty())
        return name;
    // DeleteTempDirs erases the acquisition when the run ends.
    AddToTempDirs(name);
    return name;
}
