// The command-line host driver end to end, on the host stand-in over a temporary data directory:
// method files, sample groups, help, and every command's refusal of bad input.
#include "testing/DriverTest.h"
#include "testing/Unprivileged.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
using TessalyDriver = tests::DriverTest;

TEST_F(TessalyDriver, SetSavesThroughTheOptionsRecordAndShowPrintsWhatWasSaved)
{
    const std::string method = write("m.tym", "; comment\n[Other]\nA=1\n[Tessaly Options]\nCone Voltage Min=20\n");
    const Result set = tessaly({"method", "set", method, "Cone Voltage Max=61.236", "ion mode options=1",
                                "Parent Tune File=C:\\P.PRO\\Tune\\ms.ipr", "MUX Sprays=4"});
    EXPECT_EQ(set.out, "saved " + method + "\n");
    std::string saved = read(method);
    std::erase(saved, '\r');
    EXPECT_EQ(saved.rfind("; comment\n[Other]\nA=1\n[Tessaly Options]\nCone Voltage Min=20.00\n", 0), 0u) << saved;

    // Every key, in the order and form the engine saved them.
    const Result shown = tessaly({"method", "show", method});
    EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 50);
    EXPECT_EQ(saved.substr(saved.find("Cone Voltage Min")), shown.out);
    for (const char* line : {"Cone Voltage Max=61.24\n", "\nIon Mode=ESP\n", "Ion Mode Options=1\n",
                             "Parent Tune File=C:\\P.PRO\\Tune\\ms.ipr\n", "MUX Sprays=4\n"})
        EXPECT_NE(shown.out.find(line), std::string::npos) << line;
}

TEST_F(TessalyDriver, GroupsAreCountedFromOneWithTheirRowsFromOne)
{
    const std::string list = write("list.csv", "FILE_NAME,Sample_Group,Comment\n"
                                               "s1,A,x\ns2,a,\ns3,\"A,\",\ns4,B,\ns5,,\ns6,,\ns7,\"b; a\",\ns8,A|B,\n");
    const Result r = tessaly({"groups", list});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\t1\t3\tA\n2\t4\t4\tB\n3\t5\t6\t\n4\t7\t8\tA B\n");
}

TEST_F(TessalyDriver, HelpDescribesACommandAndItsOptions)
{
    const Result r = tessaly({"quan", "--help"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("--set-method"), std::string::npos) << r.out;
    const Result version = tessaly({"--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, "tessaly " BRENMO_VERSION "\n");
}

TEST_F(TessalyDriver, RefusesBadInputWithOneLineAndWritesNothing)
{
    // A method, a list, a broken list, a text file, a file in the way, a project, a missing path.
    const std::string m = write("keep.tym", "; keep me\n[Tessaly Options]\nCone Voltage Min=20.00\n");
    const std::string l = write("d.csv", "FILE_NAME,SAMPLE_GROUP\nS1,Plasma\nS2,Urine\nS3,\n");
    const std::string b = write("broken.csv", "FILE_NAME,SAMPLE_GROUP\n\"open,A\n");
    const std::string t = write("notes.mdb", "not a database");
    const std::string e = write("exists.spl", "x");
    const std::string n = write("none.csv", "FILE_NAME,SAMPLE_GROUP\n");
    const std::string p = path("P.PRO"), x = path("missing.tym");
    std::filesystem::create_directory(p);
    struct Case { const char* name; std::vector<std::string> args; std::string message; int status = 2; };
    const std::string help = " (tessaly --help lists them)", stage1 = "methoddb stage1: --";
    const Case cases[] = {
        {"no command", {}, "no command given" + help},
        {"unknown command", {"methods"}, "unknown command \"methods\"" + help},
        {"stray word", {"a", "groups", l}, "unknown command \"a\"" + help},
        {"command word alone", {"method"}, "method: expected show, set, validate or move (tessaly method --help)"},
        {"unknown word", {"tune", "unload"},
         "tune: unknown subcommand \"unload\"; expected show or load (tessaly tune --help)"},
        {"no file", {"method", "show"}, "method show: FILE is required"},
        {"two files", {"method", "show", m, m}, "method show: The following argument was not expected: " + m},
        {"missing file", {"method", "set", x, "MSMS=0"}, x + ": no such file"},
        {"unknown key", {"method", "set", m, "MSMS=0", "Cone Voltage Mid=3"}, "\"Cone Voltage Mid\": not a method key"},
        {"not a number", {"method", "set", m, "MSMS=0", "Ion Mode=APcI", "Inter Mode Time=x"},
         "\"Inter Mode Time\": \"x\" is not a number"},
        {"not finite", {"method", "set", m, "Inter Mode Time=inf"}, "\"Inter Mode Time\": \"inf\" is not a number"},
        {"not whole", {"method", "set", m, "MUX Sprays=2.5"}, "\"MUX Sprays\": \"2.5\" is not a whole number"},
        {"beyond int", {"method", "set", m, "MSMS=99999999999"}, "\"MSMS\": \"99999999999\" is not a whole number"},
        {"empty number", {"method", "set", m, "MSMS="}, "\"MSMS\": \"\" is not a whole number"},
        {"no equals sign", {"method", "set", m, "MSMS"}, "\"MSMS\": expected Key=Value"},
        {"line break", {"method", "set", m, "Ion Mode=ESP\n[X]"}, "\"Ion Mode\": a value cannot hold a line break"},
        {"no project", {"method", "validate", m}, "method validate: --project is required"},
        {"project is a file", {"method", "validate", m, "--project", m}, m + ": not a directory"},
        {"missing project", {"method", "move", m, "--project", x}, x + ": no such directory"},
        {"run option on move", {"method", "move", m, "--project", p, "--unattended"},
         "method move: The following argument was not expected: --unattended"},
        {"broken list", {"groups", b}, b + ": line 2: quoted field has no closing quote"},
        {"no such group", {"quan", l, "--group", "4", "--set-method", "m"},
         l + ": there is no group 4 (the list has 3)"},
        {"group 0", {"quan", l, "--group", "0", "--set-method", "m"},
         "quan: --group: \"0\" is not a group number (from 1)"},
        {"method without group", {"quan", l, "--set-method", "m"}, "quan: --set-method requires --group"},
        {"answer without dialog", {"quan", l, "--dialog-answer", "a"},
         "quan: --dialog-answer requires --choose-dump-file"},
        {"not a list", {"quan", e}, e + ": no table SampleList"},
        {"convert onto a file", {"samplelist", "convert", l, e}, e + ": already exists; not replaced"},
        {"not a method database", {"methoddb", "show", t}, t + ": not a method database", 1},
        {"steps not a number", {"methoddb", "stage1", x, "--mass", "1", "--steps", "two", "--span", "1"},
         stage1 + "steps: \"two\" is not a whole number"},
        {"span not above 0", {"methoddb", "stage1", x, "--mass", "1", "--steps", "2", "--span", "0"},
         stage1 + "span: \"0\" is not a time span above 0"},
        {"missing tune", {"tune", "load", x}, x + ": no such file"},
        {"not a tune", {"tune", "load", t}, "notes.mdb: \"Ion Mode\" is missing, expected ESP or APcI"},
        {"method for no samples", {"quan", n, "--group", "1", "--set-method", "m"},
         n + ": no samples, so no group to set a method for"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        expectRefused(c.args, c.message, c.status);
    }
}

// A path is taken as the kernel takes it, through symbolic links, and one the host cannot name
// as the same file is refused: a backslash, the host's separator, in a name; a new name that the
// host, finding names without regard to case, would take for an existing file.
TEST_F(TessalyDriver, ActsOnTheFileNamedAndNoOther)
{
    const std::string kept = "[Tessaly Options]\nCone Voltage Min=20.00\n";
    for (const char* file : {"bs/a/b.tym", "bs/a\\b.tym", "sl/real/m.tym", "sl/other/m.tym", "sl/real/sub/x", "q/a/l"})
        std::filesystem::create_directories(std::filesystem::path(path(file)).parent_path()), write(file, kept);
    const std::string list = write("q/a/l.csv", "FILE_NAME,SAMPLE_GROUP\nS1,A\n");
    write("q/a\\l.csv", "FILE_NAME,SAMPLE_GROUP\nS1,A\n");
    std::filesystem::create_directory_symlink("../real/sub", path("sl/other/link"));
    tessaly({"methoddb", "stage1", path("m.mdb"), "--mass", "300", "--steps", "2", "--span", "4"});
    const std::string backslash = ": the host cannot name a file whose path holds a backslash";
    expectRefused({"method", "set", path("bs/a\\b.tym"), "Cone Voltage Min=30"}, path("bs/a\\b.tym") + backslash);
    expectRefused({"quan", path("q/a\\l.csv"), "--group", "1", "--set-method", "C:\\x.mdb"},
                  path("q/a\\l.csv") + backslash);
    expectRefused({"methoddb", "stage1", path("M.mdb"), "--mass", "1", "--steps", "2", "--span", "4"},
                  path("M.mdb") + ": the host would take this for " + path("m.mdb"));

    const std::string linked = path("sl/other/link/../m.tym");
    const Result r = tessaly({"method", "set", linked, "Cone Voltage Min=30"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(read(path("sl/real/m.tym")).find("Cone Voltage Min=30.00"), std::string::npos);
    EXPECT_EQ(read(path("sl/other/m.tym")), kept);
}

// Permission bits do not bind root, so the driver runs as an ordinary user (nobody when the test
// runs as root) on a read-only method in a folder everyone may write: replacing the file by a
// rename would succeed there, and must not be how a protected file gets written.
TEST_F(TessalyDriver, ProtectedMethodFileIsRefusedAndKept)
{
    const std::string method = write("ro.tym", "[Tessaly Options]\r\nCone Voltage Min=20.00\r\n");
    ASSERT_EQ(::chmod(method.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0);
    testkit::openToEveryone(dir_.path());
    const std::string before = snapshot().at(method);
    const int seen = testkit::runUnprivileged([&] {
        const Result r = tessaly({"method", "set", method, "Cone Voltage Min=30"});
        const bool oneLine = r.out.empty() && r.err == "tessaly: " + method + ": the method could not be written\n";
        return oneLine ? r.status : 100 + r.status;
    });
    EXPECT_EQ(seen, 1) << "exit status seen by the user; 100 and above: not the one-line message";
    EXPECT_EQ(snapshot().at(method), before) << "owner, mode and bytes";
}
} // namespace
