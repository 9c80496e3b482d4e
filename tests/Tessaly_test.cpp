// The command-line host driver end to end, on the host stand-in over a temporary data directory.
#include "testing/DriverTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
namespace fs = std::filesystem;

using TessalyDriver = tests::DriverTest;

// Every key of a method set to a value other than its default, and how `method show` prints it.
struct KeyValue
{
    const char* set;
    const char* shown;
};
const KeyValue kEveryKey[] = {
    {"Cone Voltage Min=12.5", "Cone Voltage Min=12.50"},
    {"Cone Voltage Max=61.236", "Cone Voltage Max=61.24"},
    {"Cone Voltage Step=2", "Cone Voltage Step=2.00"},
    {"Collision Energy Min=5", "Collision Energy Min=5.00"},
    {"Collision Energy Max=45.5", "Collision Energy Max=45.50"},
    {"Collision Energy Step=0", "Collision Energy Step=0.00"},
    {"Ion Mode=APcI", "Ion Mode=APcI"},
    {"Ion Mode Options=1", "Ion Mode Options=1"},
    {"MSMS=0", "MSMS=0"},
    {"When To Optimise=1", "When To Optimise=1"},
    {"Quan Method Parent=C:\\P.PRO\\MethDB\\parent.mdb", "Quan Method Parent=C:\\P.PRO\\MethDB\\parent.mdb"},
    {"Quan Method Daughter=C:\\P.PRO\\MethDB\\daughter.mdb", "Quan Method Daughter=C:\\P.PRO\\MethDB\\daughter.mdb"},
    {"Fragment Min Size=75", "Fragment Min Size=75"},
    {"Total Cycle Time=1.5", "Total Cycle Time=1.50"},
    {"Max Dwell Time=0.1", "Max Dwell Time=0.10"},
    {"Inter Mode Time=0.05", "Inter Mode Time=0.05"},
    {"Parent Tune File=C:\\P.PRO\\Tune\\ms.ipr", "Parent Tune File=C:\\P.PRO\\Tune\\ms.ipr"},
    {"Daughter Tune File=C:\\P.PRO\\Tune\\msms.ipr", "Daughter Tune File=C:\\P.PRO\\Tune\\msms.ipr"},
    {"Acquisition Tune File=C:\\P.PRO\\Tune\\acq.ipr", "Acquisition Tune File=C:\\P.PRO\\Tune\\acq.ipr"},
    {"Adduct Neg Hydrogen=0", "Adduct Neg Hydrogen=0"},
    {"Adduct Pos Hydrogen=0", "Adduct Pos Hydrogen=0"},
    {"Adduct Pos Sodium=1", "Adduct Pos Sodium=1"},
    {"Adduct Pos Ammonia=1", "Adduct Pos Ammonia=1"},
    {"Adduct Neg User1=1", "Adduct Neg User1=1"},
    {"Adduct Neg User1 Mass=35.5", "Adduct Neg User1 Mass=35.50"},
    {"Adduct Neg User2=1", "Adduct Neg User2=1"},
    {"Adduct Neg User2 Mass=59.01", "Adduct Neg User2 Mass=59.01"},
    {"Adduct Pos User3=1", "Adduct Pos User3=1"},
    {"Adduct Pos User3 Mass=41.03", "Adduct Pos User3 Mass=41.03"},
    {"Adduct Pos User4=1", "Adduct Pos User4=1"},
    {"Adduct Pos User4 Mass=3.5", "Adduct Pos User4 Mass=3.50"},
    {"Adduct Pos User5=1", "Adduct Pos User5=1"},
    {"Adduct Pos User5 Mass=100", "Adduct Pos User5 Mass=100.00"},
    {"Stage1 LC Method=C:\\P.PRO\\Acqudb\\loop.ilm", "Stage1 LC Method=C:\\P.PRO\\Acqudb\\loop.ilm"},
    {"Stage1 Injection Volume=10", "Stage1 Injection Volume=10.00"},
    {"Stage2 LC Method=C:\\P.PRO\\Acqudb\\column.ilm", "Stage2 LC Method=C:\\P.PRO\\Acqudb\\column.ilm"},
    {"Stage2 Injection Volume=2.5", "Stage2 Injection Volume=2.50"},
    {"Loop LC Method=C:\\P.PRO\\Acqudb\\valve-loop.ilm", "Loop LC Method=C:\\P.PRO\\Acqudb\\valve-loop.ilm"},
    {"Column LC Method=C:\\P.PRO\\Acqudb\\valve-col.ilm", "Column LC Method=C:\\P.PRO\\Acqudb\\valve-col.ilm"},
    {"Disallow Loss of Water=1", "Disallow Loss of Water=1"},
    {"Disallow Loss of Carbon Dioxide=1", "Disallow Loss of Carbon Dioxide=1"},
    {"Disallow User1 Loss=1", "Disallow User1 Loss=1"},
    {"User1 Loss Mass=17.03", "User1 Loss Mass=17.03"},
    {"Disallow User2 Loss=1", "Disallow User2 Loss=1"},
    {"User2 Loss Mass=28", "User2 Loss Mass=28.00"},
    {"Disallow User3 Loss=1", "Disallow User3 Loss=1"},
    {"User3 Loss Mass=46.005", "User3 Loss Mass=46.01"},
    {"Use MUX Mode=1", "Use MUX Mode=1"},
    {"Use Interlaced Injections=1", "Use Interlaced Injections=1"},
    {"MUX Sprays=4", "MUX Sprays=4"},
};

TEST_F(TessalyDriver, SetThenShowRoundTripsEveryKey)
{
    const std::string method = write("m.tym", "[Tessaly Options]\n");
    std::vector<std::string> args = {"method", "set", method};
    std::string expected;
    for (const auto& kv : kEveryKey)
    {
        args.push_back(kv.set);
        expected += std::string(kv.shown) + "\n";
    }
    const Result set = tessaly(args);
    ASSERT_EQ(set.status, 0) << set.err;

    const Result shown = tessaly({"method", "show", method});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, expected);
}

TEST_F(TessalyDriver, ShowsTheDefaultsOfAMethodWithoutKeys)
{
    const Result r = tessaly({"method", "show", write("empty.tym", "")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Cone Voltage Min=10.00\nCone Voltage Max=50.00\nCone Voltage Step=6.00\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nIon Mode=ESP\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nMUX Sprays=1\n"), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 50);
}

TEST_F(TessalyDriver, RefusesBadInputAndWritesNothing)
{
    const std::string original = "; keep me\n[Tessaly Options]\nCone Voltage Min=20.00\n";
    const std::string method = write("keep.tym", original);
    const std::string missing = (root_ / "missing.tym").string();
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {"missing file", {"method", "show", missing}, missing + ": no such file"},
        {"missing file to set", {"method", "set", missing, "MSMS=0"}, missing + ": no such file"},
        {"unknown key",
         {"method", "set", method, "MSMS=0", "Cone Voltage Middle=3"},
         "\"Cone Voltage Middle\": not a method key"},
        {"not a number",
         {"method", "set", method, "Cone Voltage Max=fifty"},
         "\"Cone Voltage Max\": \"fifty\" is not a number"},
        {"not finite",
         {"method", "set", method, "Cone Voltage Max=inf"},
         "\"Cone Voltage Max\": \"inf\" is not a number"},
        {"not a whole number",
         {"method", "set", method, "MUX Sprays=2.5"},
         "\"MUX Sprays\": \"2.5\" is not a whole number"},
        {"int out of range",
         {"method", "set", method, "MSMS=99999999999"},
         "\"MSMS\": \"99999999999\" is not a whole number"},
        {"empty number", {"method", "set", method, "MSMS="}, "\"MSMS\": \"\" is not a whole number"},
        {"no equals sign", {"method", "set", method, "MSMS"}, "\"MSMS\": expected Key=Value"},
        {"unknown command", {"methods"}, "unknown command \"methods\" (tessaly help lists them)"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        expectOneLineError(tessaly(c.args), c.error);
        EXPECT_EQ(read(method), original);
        EXPECT_FALSE(fs::exists(missing));
    }
}

TEST_F(TessalyDriver, SettingOneKeyKeepsTheRestOfTheFile)
{
    const std::string method = write("other.tym", "; comment\n[Other]\nA=1\n[Tessaly Options]\nCone Voltage Min=20\n");
    ASSERT_EQ(tessaly({"method", "set", method, "ion mode options=1"}).status, 0);
    const std::string text = read(method);
    EXPECT_NE(text.find("; comment\n[Other]\nA=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Cone Voltage Min=20.00"), std::string::npos) << text;
    EXPECT_NE(text.find("Ion Mode Options=1"), std::string::npos) << text;
}

TEST_F(TessalyDriver, PrintsTheSampleGroupsOfAList)
{
    const std::string list = write("list.csv", "FILE_NAME,Sample_Group,Comment\n"
                                               "s1,A,x\ns2,a,\ns3,\"A,\",\ns4,B,\ns5,,\ns6,,\ns7,\"b; a\",\ns8,A|B,\n");
    const Result r = tessaly({"groups", list});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\t0\t2\tA\n1\t3\t3\tB\n2\t4\t5\t\n3\t6\t7\tA B\n");
}

TEST_F(TessalyDriver, RefusesListsItCannotGroup)
{
    const std::string noColumn = write("nocol.csv", "FILE_NAME,FILE_TEXT\na,b\n");
    const std::string broken = write("broken.csv", "FILE_NAME,SAMPLE_GROUP\n\"open,A\n");
    expectOneLineError(tessaly({"groups", noColumn}), noColumn + ": no SAMPLE_GROUP column");
    expectOneLineError(tessaly({"groups", broken}), broken + ": line 2: quoted field has no closing quote");
}
} // namespace
