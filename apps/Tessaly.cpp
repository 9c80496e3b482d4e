#include "apps/Tessaly.h"

#include "groups/Group.h"
#include "kelvane/FormattedSampleList.h"
#include "kelvane/KelvaneHost.h"
#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace tessaly
{
namespace
{
namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: tessaly [--data-dir DIR] method show FILE.tym\n"
                               "       tessaly [--data-dir DIR] method set FILE.tym Key=Value...\n"
                               "       tessaly [--data-dir DIR] groups LIST.csv\n";

// Input the driver refuses: a one-line message and exit status 2, before anything is written.
struct BadInput : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// A command that ran but could not finish: a one-line message and exit status 1.
struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

void requireFile(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        throw BadInput(path + ": no such file");
    if (!S_ISREG(info.st_mode))
        throw BadInput(path + ": not a regular file");
}

// A scratch directory that is removed with everything in it when the command ends.
class ScratchDirectory
{
  public:
    ScratchDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "tessaly-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw Failure("cannot create a temporary directory in " + fs::temp_directory_path().string());
        path_ = pattern;
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    fs::path operator/(const char* name) const
    {
        return path_ / name;
    }

  private:
    fs::path path_;
};

// The method section of a file as the engine wrote it: its Key=Value lines, in file order.
std::vector<std::string> methodSectionLines(const fs::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw Failure("cannot read back " + file.string());
    // Built by appending: g++ 12 warns falsely (-Wrestrict) about "[" + std::string at -O2.
    std::string header = "[";
    header += CTessalyOptionsSheet::m_strTessalyMethodSection.GetString();
    header += ']';
    std::vector<std::string> lines;
    bool inSection = false;
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[')
            inSection = line == header;
        else if (inSection && !line.empty())
            lines.push_back(line);
    }
    return lines;
}

int methodShow(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 1)
        throw BadInput("method show takes one method file");
    requireFile(args[0]);
    const CBrenmoOptions& options = CTessalyOptionsSheet::OpenFile(platform::toHostPath(args[0]).c_str());

    // Shown exactly as the engine writes a method: saved into a fresh file and read back.
    ScratchDirectory scratch;
    const fs::path copy = scratch / "show.tym";
    if (!CTessalyOptionsSheet::SaveFile(platform::toHostPath(copy.string()).c_str(), options))
        throw Failure("cannot write the method to " + copy.string());
    for (const auto& line : methodSectionLines(copy))
        out << line << '\n';
    return kOk;
}

// The value text of a Key=Value argument, checked against the key's type.
void assignValue(const method::MethodFileKey& key, const std::string& text, CBrenmoOptions& options)
{
    const std::string where = std::string("\"") + key.name + "\": ";
    if (text.find_first_of("\r\n") != std::string::npos)
        throw BadInput(where + "a value cannot hold a line break");
    char* end = nullptr;
    errno = 0;
    switch (key.type)
    {
    case method::MethodKeyType::kString:
        key.setText(options, text.c_str());
        return;
    case method::MethodKeyType::kInt: {
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
            throw BadInput(where + "\"" + text + "\" is not a whole number");
        key.setInt(options, static_cast<int>(value));
        return;
    }
    case method::MethodKeyType::kDouble: {
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(value))
            throw BadInput(where + "\"" + text + "\" is not a number");
        key.setDouble(options, value);
        return;
    }
    }
}

int methodSet(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() < 2)
        throw BadInput("method set takes a method file and at least one Key=Value");
    requireFile(args[0]);
    const CString file = platform::toHostPath(args[0]).c_str();

    // Every change is checked on a copy before the file is touched, so bad input writes nothing.
    CBrenmoOptions options;
    options = CTessalyOptionsSheet::OpenFile(file);
    for (size_t i = 1; i < args.size(); ++i)
    {
        const auto equals = args[i].find('=');
        if (equals == std::string::npos)
            throw BadInput("\"" + args[i] + "\": expected Key=Value");
        const std::string name = args[i].substr(0, equals);
        const method::MethodFileKey* key = method::findMethodFileKey(name.c_str());
        if (!key)
            throw BadInput("\"" + name + "\": not a method key");
        assignValue(*key, args[i].substr(equals + 1), options);
    }
    if (!CTessalyOptionsSheet::SaveFile(file, options))
        throw Failure(args[0] + ": the method could not be written");
    out << "saved " << args[0] << '\n';
    return kOk;
}

int groups(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 1)
        throw BadInput("groups takes one sample list");
    requireFile(args[0]);
    CSampleListMem list;
    kelvane::FormattedListColumns columns;
    std::string error;
    if (!kelvane::readFormattedSampleList(args[0], list, columns, error))
        throw BadInput(error);
    bool hasGroups = false;
    for (const auto& field : columns.fields)
        hasGroups = hasGroups || field == "SAMPLE_GROUP";
    if (!hasGroups)
        throw BadInput(args[0] + ": no SAMPLE_GROUP column");

    CGroupArray groups;
    GetGroups(groups, &list);
    for (int i = 0; i < groups.GetSize(); ++i)
    {
        const CGroup& group = groups[i];
        POSITION pos = group.m_Samples.GetHeadPosition();
        const int first = pos ? group.m_Samples.GetNext(pos) : 0;
        const int last = pos ? group.m_Samples.GetNext(pos) : first;
        const CString label = group;
        out << i << '\t' << first << '\t' << last << '\t' << label.GetString() << '\n';
    }
    return kOk;
}

int dispatch(const std::vector<std::string>& args, std::ostream& out)
{
    std::vector<std::string> rest = args;
    std::string dataDirectory;
    if (rest.size() >= 2 && rest[0] == "--data-dir")
    {
        dataDirectory = rest[1];
        rest.erase(rest.begin(), rest.begin() + 2);
    }
    else if (const char* fromEnvironment = std::getenv("KELVANE_DATA"))
        dataDirectory = fromEnvironment;
    if (rest.empty())
        throw BadInput("no command given (tessaly help lists them)");

    const std::string command = rest[0];
    const std::string sub = rest.size() > 1 ? rest[1] : "";
    kelvane::install(dataDirectory.empty() ? platform::dataDirectory() : dataDirectory);

    if (command == "method" && sub == "show")
        return methodShow({rest.begin() + 2, rest.end()}, out);
    if (command == "method" && sub == "set")
        return methodSet({rest.begin() + 2, rest.end()}, out);
    if (command == "groups")
        return groups({rest.begin() + 1, rest.end()}, out);
    if (command == "help" || command == "--help")
    {
        out << kUsage;
        return kOk;
    }
    throw BadInput("unknown command \"" + command + (command == "method" ? " " + sub : "") +
                   "\" (tessaly help lists them)");
}
} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try
    {
        return dispatch(args, out);
    }
    catch (const BadInput& e)
    {
        err << "tessaly: " << e.what() << '\n';
        return kBadInput;
    }
    catch (const std::exception& e)
    {
        err << "tessaly: " << e.what() << '\n';
        return kFailed;
    }
    catch (...)
    {
        err << "tessaly: unexpected failure\n";
        return kFailed;
    }
}
} // namespace tessaly
