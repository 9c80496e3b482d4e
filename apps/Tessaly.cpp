#include "apps/Tessaly.h"

#include "apps/Commands.h"
#include "kelvane/KelvaneHost.h"
#include "platform/WinPath.h"

#include <cstdlib>
#include <string_view>

namespace tessaly
{
namespace
{
constexpr const char* kUsage = "usage: tessaly [--data-dir DIR] method show FILE.tym\n"
                               "       tessaly [--data-dir DIR] method set FILE.tym Key=Value...\n"
                               "       tessaly [--data-dir DIR] groups LIST.csv\n";

// The driver's commands: one or two command words, then the command's own arguments.
struct Entry
{
    std::string_view words;
    Command run;
};
constexpr Entry kCommands[] = {
    {"method show", methodShow},
    {"method set", methodSet},
    {"groups", groups},
};

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

    if (rest[0] == "help" || rest[0] == "--help")
    {
        out << kUsage;
        return kOk;
    }
    kelvane::install(dataDirectory.empty() ? platform::dataDirectory() : dataDirectory);

    const std::string oneWord = rest[0];
    const std::string twoWords = rest.size() > 1 ? rest[0] + " " + rest[1] : oneWord;
    for (const auto& entry : kCommands)
    {
        if (rest.size() > 1 && entry.words == twoWords)
            return entry.run({rest.begin() + 2, rest.end()}, out);
        if (entry.words == oneWord)
            return entry.run({rest.begin() + 1, rest.end()}, out);
    }
    throw BadInput("unknown command \"" + twoWords + "\" (tessaly help lists them)");
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
