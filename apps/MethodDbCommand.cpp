// tessaly methoddb ...: quan method databases as the host sees them, and the stage-1 quan method
// the engine writes into one.
#include "apps/Commands.h"
#include "run/WorkFolder.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/MethodDatabase.h"
#include "method/BrenmoOptions.h"
#include "methodgen/Stage1QuanMethod.h"
#include "platform/SafeText.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <sys/stat.h>

namespace tessaly
{
namespace
{
std::string fixed(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}
} // namespace

int showMethodDatabase(const std::string& posixPath, std::ostream& out)
{
    requireReadableFile(posixPath);
    tag_HXFILE name;
    if (!ConvertPathToHxFile(&name, asHostPath(posixPath).c_str()))
        throw BadInput(posixPath + ": path too long for the host");
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(name);
    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
        throw Failure(posixPath + ": not a method database");
    // Closed on every way out; a database opened to read has nothing to store, so the close cannot fail.
    struct Closer
    {
        tag_METHOD_DB_DESCRIPTOR& descriptor;
        ~Closer()
        {
            DmDB3Close(&descriptor);
        }
    } closer{descriptor};
    // The host reads only the records it can count on; a database whose count, numbering or
    // records disagree is reported rather than shown in part, as if it were whole.
    if (const std::string fault = kelvane::methodDatabaseFault(posixPath); !fault.empty())
        throw Failure(posixPath + ": " + platform::printableText(fault));
    const int count = descriptor.RecordCount();
    // Printed only once every record has read, so a failure leaves no partial method on the output.
    std::ostringstream shown;
    shown << "Record\tCompound\tFunction\tMass\tExpected Time\tWindow\tRange Start\tRange End\tUse Reference"
             "\tReference Record\n";
    bool usesReference = false;
    std::string reference; // "NAME (record R)" of the record the others point to
    for (int i = 1; i <= count; ++i)
    {
        tag_METHOD_RECORD r;
        if (!MethodGetRecord(&name, i, &r))
            throw Failure(posixPath + ": record " + std::to_string(i) + " cannot be read");
        // Names come from whoever wrote the file: no control character reaches the terminal.
        const std::string compound = platform::printableText(r.CompoundName().str());
        shown << i << '\t' << compound << '\t' << r.FunctionNumber() << '\t'
              << platform::printableText(r.MassText().str()) << '\t' << fixed(r.ExpectedTime()) << '\t'
              << fixed(r.TimeWindow()) << '\t' << fixed(r.RangeStart()) << '\t' << fixed(r.RangeEnd()) << '\t'
              << r.UseReference() << '\t' << r.ReferenceRecord() << '\n';
        if (r.UseReference() == 1)
        {
            usesReference = true;
            // The reference's own record uses the reference but points to no record.
            if (r.ReferenceRecord() == 0 && reference.empty())
                reference = compound + " (record " + std::to_string(i) + ")";
        }
    }
    if (usesReference)
        shown << "Reference compound: " << (reference.empty() ? "none of the records" : reference) << '\n';
    out << shown.str();
    return kOk;
}

namespace
{
struct Stage1Options
{
    std::string database;
    std::string mass;
    int steps = 0;
    float span = 0.0f;
    std::string templatePath;
    bool force = false;
};

int stage1(const Stage1Options& o, std::ostream& out)
{
    if (!o.templatePath.empty())
        requireFile(o.templatePath);
    // The method's record 1 is copied from the template, so writing over the template would lose
    // it whatever --force says; any other file is written over only when asked.
    refuseOutputOverInput(o.database, "the stage-1 quan method", {o.templatePath});
    struct stat existing;
    if (!o.force && ::lstat(o.database.c_str(), &existing) == 0)
        throw BadInput(o.database + ": exists already; give --force to write the stage-1 quan method over it");
    // A missing folder makes the path wrong, which is bad input, not a failed write.
    const std::string folder = std::filesystem::path(o.database).parent_path().string();
    requireDirectory(folder.empty() ? "." : folder);
    // Writing the method names it in the host's system list, which a run in the same data
    // directory relies on: one at a time.
    const DataDirectoryLock lock(platform::dataDirectory(), false, nullptr);
    CBrenmoOptions options;
    options.m_pInstrument = &standIn().instrument();
    options.m_fStage1QuanValue = o.span;
    const CString database(asHostPath(o.database));
    const CString templateHost(o.templatePath.empty() ? std::string() : asHostPath(o.templatePath));
    if (!CreateStage1QuanMethod(database, o.mass.c_str(), 1, options, templateHost, o.steps))
        throw Failure(o.database + ": the stage-1 quan method could not be written");
    return showMethodDatabase(o.database, out);
}
} // namespace

CLI::Validator timeSpan()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const double value = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0.0 || value > 1e6)
                return "\"" + text + "\" is not a time span above 0";
            return "";
        },
        "");
}

void addMethodDbCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* methoddb = tessaly.add_subcommand("methoddb", "quan method databases (.mdb)");

    CLI::App* command = methoddb->add_subcommand("show", "prints every record of a quan method database");
    auto file = std::make_shared<std::string>();
    command->add_option("FILE", *file, "method database")->required();
    onParsed(*command, action, [file](std::ostream& out) { return showMethodDatabase(*file, out); });

    command = methoddb->add_subcommand(
        "stage1", "writes the stage-1 quan method of an optimisation injection into FILE and prints it");
    auto o = std::make_shared<Stage1Options>();
    command->add_option("FILE", o->database, "method database to write")->required();
    command->add_option("--mass", o->mass, "the mass text of every function")
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) { return text.empty() || text.size() > 80 ? "must be 1 to 80 characters" : ""; },
            ""));
    command->add_option("--steps", o->steps, "number of functions (1 to 8 are written)")
        ->required()
        ->check(wholeNumber(-1000000, 1000000));
    command->add_option("--span", o->span, "time span of every function")->required()->check(timeSpan());
    command->add_option("--template", o->templatePath, "quan method whose record 1 every function copies");
    command->add_flag("--force", o->force, "write over FILE when it exists");
    onParsed(*command, action, [o](std::ostream& out) { return stage1(*o, out); });
}
} // namespace tessaly
