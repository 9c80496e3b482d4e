// tessaly samplelist convert: a sample list between the stand-in's two forms, CSV and the
// SQLite database .spl.
#include "apps/Commands.h"
#include "kelvane/SampleListFiles.h"

#include <filesystem>
#include <memory>

namespace tessaly
{
namespace
{
int convert(const std::string& in, const std::string& to, std::ostream& out)
{
    requireFile(in);
    std::error_code ec;
    if (std::filesystem::exists(to, ec))
        throw BadInput(to + ": already exists; not replaced");
    // A folder that is missing makes the path wrong, which is bad input, not a failed write.
    const std::string folder = std::filesystem::path(to).parent_path().string();
    requireDirectory(folder.empty() ? "." : folder);

    kelvane::CsvTable table;
    std::string error;
    if (!kelvane::readSampleListTable(in, kelvane::sampleListFormatOf(in), table, error))
        throw BadInput(error);
    if (!kelvane::writeSampleListTable(to, kelvane::sampleListFormatOf(to), table, error))
        throw Failure(error);
    out << in << ": " << table.rows.size() << " rows written to " << to << '\n';
    return kOk;
}
} // namespace

void addSampleListCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* samplelist = tessaly.add_subcommand("samplelist", "sample-list files");
    CLI::App* command =
        samplelist->add_subcommand("convert", "converts a sample list between CSV and .spl (by extension)");
    auto files = std::make_shared<std::pair<std::string, std::string>>();
    command->add_option("IN", files->first, "the list to read")->required();
    command->add_option("OUT", files->second, "the list to write; must not exist")->required();
    onParsed(*command, action, [files](std::ostream& out) { return convert(files->first, files->second, out); });
}
} // namespace tessaly
