// The run's report (a self-contained HTML page with inline SVG plots) and tessaly export
// transitions end to end on a copy of the example project.
#include "run/RunReport.h"
#include "host/host.h"
#include "kelvane/KelvaneHost.h"
#include "testing/DriverTest.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <regex>
#include <set>

namespace
{
namespace fs = std::filesystem;
using tessaly::CompoundRun;
using tessaly::ResultRow;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Empty when every element is closed in order (void elements and "/>" aside), else what is wrong.
std::string unbalancedTags(const std::string& html)
{
    static const std::set<std::string> kVoid = {"meta", "br", "hr", "img", "input", "link"};
    std::vector<std::string> open;
    for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1))
    {
        const std::size_t end = html.find('>', at);
        if (end == std::string::npos)
            return "a tag that never ends at " + std::to_string(at);
        const std::string tag = html.substr(at + 1, end - at - 1);
        if (tag.starts_with('!') || tag.ends_with('/'))
            continue;
        const bool closing = tag.starts_with('/');
        const std::string name = tag.substr(closing ? 1 : 0, tag.find_first_of(" \n", closing ? 1 : 0) - closing);
        if (kVoid.count(name))
            continue;
        if (!closing)
            open.push_back(name);
        else if (open.empty() || open.back() != name)
            return "</" + name + "> closes <" + (open.empty() ? "nothing" : open.back()) + ">";
        else
            open.pop_back();
    }
    return open.empty() ? "" : "<" + open.back() + "> is never closed";
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A run of six compounds: one whose name is markup and whose curves hold NaN and infinities, one
// MS-only whose optimum sat on the first cone-voltage step, one failed with nothing seen, one of a
// single step where nothing responded, one failed whose candidates were seen but not chosen, and one
// flagged at the edge of a ramp the report does not know.
tessaly::RunReport sampleRun()
{
    tessaly::RunReport run;
    run.method = "/data/Demo.PRO/Methods/Demo & <1>.tym";
    run.compoundList = "/data/Demo.PRO/SampleDB/Compounds.csv";
    run.analysisList = "/data/Demo.PRO/SampleDB/Analysis.csv";
    run.seed = 42;

    CompoundRun markup;
    markup.result = {"<b>&\"x\"", true, 195.088, 138.066, 30, 22, 12345.7, IONMODE_ESP, IONMODEOPT_POSITIVE};
    markup.adduct = "[M+H]+";
    markup.coneVoltages = {15, 20, 25, 30, 35};
    markup.parentCurves = {{"[M+H]+ 195.088", 195.088, {10, 200, 800, 1200, 900}},
                           {"[M+Na]+ 217.070", 217.070, {5, kNaN, 300, kInf, 100}},
                           {"[M+NH4]+ 212.114 'a'", 212.114, {0, 0, 50, -kInf, 20}}};
    markup.chosenParent = 0;
    markup.chosenConeStep = 3;
    markup.collisionEnergies = {10, 14, 18, 22, 26};
    markup.productCurve = {"product 138.066", 138.066, {100, 400, 900, 1300, 700}};
    markup.chosenEnergyStep = 3;
    run.compounds.push_back(markup);

    CompoundRun edge;
    edge.result = {"Paracetamol", true, 152.071, 0.0, 15, 0, 800.0, IONMODE_ESP, IONMODEOPT_POSITIVE};
    edge.adduct = "[M+H]+";
    edge.atEdge = "cv";
    edge.coneVoltages = {15, 20, 25};
    edge.parentCurves = {{"[M+H]+ 152.071", 152.071, {800, 500, 100}}};
    edge.chosenParent = 0;
    edge.chosenConeStep = 0;
    run.compounds.push_back(edge);

    CompoundRun failed;
    failed.result = {"Ibuprofen"};
    failed.coneVoltages = {15, 20, 25};
    run.compounds.push_back(failed);

    CompoundRun single;
    single.result = {"Single", true, 100.0, 50.0, 40, 10, 0.0, IONMODE_APCI, IONMODEOPT_NEGATIVE};
    single.adduct = "[M-H]-";
    single.coneVoltages = {40};
    single.parentCurves = {{"[M-H]- 100.000", 100.0, {0}}};
    single.chosenParent = 0;
    single.chosenConeStep = 0;
    single.collisionEnergies = {10};
    single.productCurve = {"product 50.000", 50.0, {kNaN}};
    single.chosenEnergyStep = 0;
    run.compounds.push_back(single);

    CompoundRun unchosen;
    unchosen.result = {"Unchosen"};
    unchosen.coneVoltages = {15, 20};
    unchosen.parentCurves = {{"[M+H]+ 300.000", 300.0, {3, 4}}};
    run.compounds.push_back(unchosen);

    CompoundRun unknownEdge = edge;
    unknownEdge.result.compound = "Odd edge";
    unknownEdge.atEdge = "rf";
    run.compounds.push_back(unknownEdge);

    run.groups = {{"PLASMA & <co>",
                   "/data/Demo.PRO/MethDB/Analysis_PLASMA.mdb",
                   {{"<b>&\"x\"", 5, "195.088 > 138.066", 1.8, 0.3, 0.0, 5.0, true},
                    {"Single", 1, "100.000 > 50.000", 2.5, 2.5, 0.0, 5.0, false}}},
                  {"", "/data/Demo.PRO/MethDB/Analysis.mdb", {}}};
    return run;
}

TEST(RunReport, IsOneSelfContainedEscapedPageWithEveryCurveAndOptimum)
{
    const std::string html = tessaly::writeReportHtml(sampleRun());
    // Kept beside the test program, in the build folder, so a person can open it and look.
    std::ofstream(fs::read_symlink("/proc/self/exe").parent_path() / "report-sample.html") << html;

    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n"));
    EXPECT_EQ(unbalancedTags(html), "");
    // Nothing is fetched: no scripts, no links, no references to other files.
    for (const char* outside : {"<script", "<link", "<img", "src=", "href=\"http", "url(", "@import"})
        EXPECT_EQ(count(html, outside), 0u) << outside;
    // Non-finite responses never reach the page (they would make a browser drop the shape).
    EXPECT_FALSE(std::regex_search(html, std::regex(R"(\b(nan|inf)\b)", std::regex::icase)));
    // Plots: both of the first compound, the second's cone voltage only (MS only), both of the
    // single-step one, the candidates of the failed compound that were seen, and the last one's.
    EXPECT_EQ(count(html, "<svg"), 7u);

    // Every text from the run is escaped.
    EXPECT_EQ(count(html, "<b>"), 0u);
    EXPECT_EQ(count(html, "<co>"), 0u);
    EXPECT_GE(count(html, "&lt;b&gt;&amp;&quot;x&quot;"), 3u); // summary, card, final method
    EXPECT_GE(count(html, "PLASMA &amp; &lt;co&gt;"), 1u);
    EXPECT_GE(count(html, "Demo &amp; &lt;1&gt;.tym"), 1u);
    EXPECT_GE(count(html, "212.114 &#39;a&#39;"), 2u); // legend and the curve's tooltip

    // Every curve, the optima, and why a plot is missing.
    for (const char* label : {"[M+H]+ 195.088", "[M+Na]+ 217.070", "product 138.066", "[M+H]+ 152.071",
                              "[M-H]- 100.000", "product 50.000", "[M+H]+ 300.000"})
        EXPECT_GE(count(html, label), 2u) << label; // legend and tooltip
    struct Case
    {
        const char* text;
        std::size_t times;
    };
    const Case cases[] = {
        {">CV 30 V</text>", 1},
        {">CE 22 eV</text>", 1},
        {">CV 15 V</text>", 2},
        {">CV 40 V</text>", 1},
        {">CE 10 eV</text>", 1},
        {"<circle cx=", 36},        // one point per step of each curve and a ring at each of 6 optima
        {"r=\"7\"", 6},             // rings; the unchosen failed compound has none
        {"every response is 0", 2}, // the single-step compound's cone and energy plots
        {"optimum at the first step of the cone-voltage ramp; the true optimum may lie outside it", 2},
        {"optimum at the first or last step of a ramp (rf); the true optimum may lie outside it", 2},
        {"No plot: MS only", 2},
        {"No plot: no candidate ion was seen at any cone-voltage step, so the optimisation failed.", 1},
        {"No ion was chosen: the optimisation failed.", 1},
        {"<tr class=\"failed\">", 2},
        {"<tr class=\"reference\">", 1},
        {"Unlabelled group", 1},
        {"The method has no records.", 1},
        {"0.00 &#8211; 5.00", 2},
        {"<td>195.088</td><td>138.066</td><td>30</td><td>22</td><td>12345.7</td><td>ESP</td><td>+</td>", 1},
        {"<td>APcI</td><td>-</td>", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(count(html, c.text), c.times) << c.text;
}

// The example project copied to C:\Projects\Demo.PRO; group 1 of its analysis list (PLASMA) holds
// rows 1 to 4, and its method's stage-2 LC method runs 5 minutes, so a fresh final method gives
// each record the window 2.5 of a range 0 to 5: not narrowed.
class TessalyExport : public tests::DriverTest
{
  protected:
    void SetUp() override
    {
        fs::create_directories(path("Projects"));
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", project_, fs::copy_options::recursive);
    }
    // Writes group 1's final method from results_ beside base; returns its path.
    std::string finalMethod(const std::string& base) const
    {
        const Result r = tessaly({"final", "--method", project_ + "/Methods/Demo.tym", "--analysis",
                                  project_ + "/SampleDB/Analysis.csv", "--group", "1", "--compounds", results_,
                                  "--base-quan-method", base});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out.substr(6, r.out.find('\n') - 6);
    }
    // Narrows record of the method database at file by hand, as a run does once it has seen the
    // compound elute.
    void narrow(const std::string& file, int record, float expected, float window) const
    {
        kelvane::install(dir_.path());
        tag_HXFILE name;
        std::string host = "Z:" + file; // the POSIX root is the host's drive Z:
        std::replace(host.begin(), host.end(), '/', '\\');
        ASSERT_TRUE(ConvertPathToHxFile(&name, host.c_str()));
        tag_METHOD_RECORD r;
        ASSERT_TRUE(MethodGetRecord(&name, record, &r));
        r.SetExpectedTime(expected);
        r.SetTimeWindow(window);
        ASSERT_EQ(MethodWriteRecord(&name, record, &r, 0, 0), record);
    }
    Result exportTo(const std::string& out, std::vector<std::string> more) const
    {
        std::vector<std::string> args = {"export", "transitions", out};
        args.insert(args.end(), more.begin(), more.end());
        return tessaly(args);
    }

    static constexpr const char* kHeader = "compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy"
                                           "\tresponse\tion_mode\tpolarity\n";
    static constexpr const char* kCsvHeader =
        "Molecule List Name,Precursor Name,Precursor m/z,Precursor Adduct,Precursor Charge,Product m/z,"
        "Product Charge,Explicit Collision Energy,Cone Voltage,Explicit Retention Time,"
        "Explicit Retention Time Window\r\n";
    const std::string project_ = path("Projects/Demo.PRO");
    // Rows 2 and 3 of group 1 are in the final methods; a later ok row of row 2's compound is not
    // its first; the MS-only negative row, the row whose name needs quoting and the row whose list
    // mass is far from its parent are in no final method.
    const std::string results_ = write(
        "results.tsv", std::string(kHeader) + "Calibration standard 1 ng/mL\tok\t195.0877\t138.066\t30\t22\t5\tESP\t+\n"
                                              "Calibration standard 10 ng/mL\tok\t174.052\t110.06\t25\t38\t4\tESP\t+\n"
                                              "Quality control low\tfailed\t\t\t\t\t\t\t\n"
                                              "Patient 1\tok\t205.1234\t\t20\t0\t3\tESP\t-\n"
                                              "Drug \"X\", salt\tok\t300.1\t150.05\t20\t15\t2\tAPcI\t+\n"
                                              "Patient 2\tok\t500\t250\t35\t30\t1\tESP\t+\n"
                                              "Calibration standard 1 ng/mL\tok\t1\t1\t1\t10\t9\tESP\t+\n");
    // Masses as the compound list gives them: a formula (caffeine) and numbers.
    const std::string list_ = write("Compounds.csv", "FILE_NAME,FILE_TEXT,MASS\n"
                                                     "C1,Calibration standard 1 ng/mL,C8H10N4O2\n"
                                                     "C2,Calibration standard 10 ng/mL,151.063\n"
                                                     "C3,Patient 1,206.1307\n"
                                                     "C4,Patient 2,300\n");
};

TEST_F(TessalyExport, WritesOneTransitionPerListHoldingTheCompound)
{
    const std::string plasma = finalMethod(project_ + "/MethDB/Analysis.mdb");
    const std::string other = finalMethod(path("Other.mdb"));
    ASSERT_EQ(plasma, project_ + "/MethDB/Analysis_PLASMA.mdb");
    narrow(plasma, 1, 1.82f, 0.3f);

    const std::string csv = path("out.csv");
    const Result r = exportTo(csv, {"--compounds", results_, "--list", list_, "--final", plasma, "--final", other});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "wrote " + csv + " (7 transitions)\n");
    EXPECT_EQ(read(csv), std::string(kCsvHeader) +
                             "Analysis_PLASMA,Calibration standard 1 ng/mL,195.0880,[M+H]+,1,138.0660,1,22.0,30.0,1.8,"
                             "0.6\r\n"
                             "Other_PLASMA,Calibration standard 1 ng/mL,195.0880,[M+H]+,1,138.0660,1,22.0,30.0,,\r\n"
                             "Analysis_PLASMA,Calibration standard 10 ng/mL,174.0520,[M+Na]+,1,110.0600,1,38.0,25.0,,"
                             "\r\n"
                             "Other_PLASMA,Calibration standard 10 ng/mL,174.0520,[M+Na]+,1,110.0600,1,38.0,25.0,,\r\n"
                             "Brenmo,Patient 1,205.1230,[M-H]-,-1,205.1230,-1,,20.0,,\r\n"
                             "Brenmo,\"Drug \"\"X\"\", salt\",300.1000,,1,150.0500,1,15.0,20.0,,\r\n"
                             "Brenmo,Patient 2,500.0000,,1,250.0000,1,30.0,35.0,,\r\n");
}

// Names a spreadsheet would run as formulas: one as the results table writes it (marked), two as a
// person typed them, and a final method whose file name is one. Each is matched by its own name
// (the list's masses give the adducts) and written as text; the numbers stay numbers.
TEST_F(TessalyExport, WritesFormulaNamesAsText)
{
    const std::string formulaList = finalMethod(path("=List.mdb"));
    ASSERT_EQ(formulaList, path("=List_PLASMA.mdb"));
    const std::string results =
        write("formulas.tsv", std::string(kHeader) +
                                  "Calibration standard 1 ng/mL\tok\t195.0877\t138.066\t30\t22\t5\tESP\t+\n"
                                  "'=HYPERLINK(\"http://x\",\"y\")\tok\t195.0877\t138.066\t30\t22\t5\tESP\t+\n"
                                  "-2+3\tok\t174.052\t110.06\t25\t38\t4\tESP\t+\n"
                                  "@SUM(1+1)\tok\t205.1234\t\t20\t0\t3\tESP\t-\n");
    const std::string list = write("Formulas.csv", "FILE_NAME,FILE_TEXT,MASS\n"
                                                   "C1,Calibration standard 1 ng/mL,C8H10N4O2\n"
                                                   "C2,\"=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",194.0804\n"
                                                   "C3,-2+3,151.063\n"
                                                   "C4,@SUM(1+1),206.1307\n");

    const std::string csv = path("out.csv");
    const Result r = exportTo(csv, {"--compounds", results, "--list", list, "--final", formulaList});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read(csv), std::string(kCsvHeader) +
                             "'=List_PLASMA,Calibration standard 1 ng/mL,195.0880,[M+H]+,1,138.0660,1,22.0,30.0,,\r\n"
                             "Brenmo,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",195.0880,[M+H]+,1,138.0660,1,22.0,"
                             "30.0,,\r\n"
                             "Brenmo,'-2+3,174.0520,[M+Na]+,1,110.0600,1,38.0,25.0,,\r\n"
                             "Brenmo,'@SUM(1+1),205.1230,[M-H]-,-1,205.1230,-1,,20.0,,\r\n");
}

TEST_F(TessalyExport, RefusesBeforeWritingAnything)
{
    const std::string csv = path("out.csv");
    const std::string noOk = write("failed.tsv", std::string(kHeader) + "Ibuprofen\tfailed\t\t\t\t\t\t\t\n");
    const std::string bad = write("bad.tsv", std::string(kHeader) + "Caffeine\tok\tabc\t\t1\t1\t1\tESP\t+\n");
    struct Case
    {
        std::vector<std::string> args;
        std::string message;
        int status;
    };
    const Case cases[] = {
        {{"--compounds", path("none.tsv")}, path("none.tsv") + ": no such file", 2},
        {{"--compounds", noOk}, noOk + ": no compound with status ok, so there is no transition to export", 2},
        {{"--compounds", bad}, bad + ":2: \"parent_mz\" is \"abc\", not a number above 0", 2},
        {{"--compounds", results_, "--final", results_}, results_ + ": not a method database", 2},
        {{"--compounds", results_, "--final", path("Projects")}, path("Projects") + ": not a regular file", 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args = {"export", "transitions", csv};
        args.insert(args.end(), c.args.begin(), c.args.end());
        expectRefused(args, c.message, c.status);
    }
    // The list over one of its inputs (export transitions R.tsv --compounds R.tsv).
    expectRefused({"export", "transitions", results_, "--compounds", results_},
                  results_ + ": the transition list would overwrite the input " + results_ + "; choose another file");
    // A list that cannot be written is a failure of the command, not bad input; nothing is left.
    const std::string missing = path("no/such/folder/out.csv");
    expectRefused({"export", "transitions", missing, "--compounds", results_},
                  missing + ": cannot be written (No such file or directory)", 1);
}
} // namespace
