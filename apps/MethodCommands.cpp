// tessaly method ...: showing and editing optimisation method files.
#include "apps/Commands.h"
#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace tessaly
{
namespace fs = std::filesystem;

namespace
{
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

} // namespace

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

namespace
{
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

} // namespace

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

} // namespace tessaly
