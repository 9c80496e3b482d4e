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
    // Methods a run cannot use: values out of range, and a file that holds no method.
    const std::string r = write("ranges.tym", "[Tessaly Options]\nCone Voltage Step=-5\nCollision Energy Max=250\n");
    const std::string g = write("page.tym", "<html><body>[Tessaly Options]</body></html>\n");
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
        {"negative seed", {"run", "--method", m, "--compounds", l, "--seed", "-1"},
         "run: --seed: \"-1\" is not a seed from 0 to 9223372036854775807"},
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
        // A directory where a file belongs, and a file where a directory does.
        {"show a directory", {"method", "show", p}, p + ": not a regular file"},
        {"groups of a directory", {"groups", p}, p + ": not a regular file"},
        {"quan of a directory", {"quan", p}, p + ": not a regular file"},
        {"convert a directory", {"samplelist", "convert", p, path("out.csv")}, p + ": not a regular file"},
        {"convert into a missing folder", {"samplelist", "convert", l, path("no/out.csv")},
         path("no") + ": no such directory"},
        {"convert into a file's folder", {"samplelist", "convert", l, l + "/out.csv"}, l + ": not a directory"},
        {"tune of a directory", {"tune", "show", p}, p + ": not a regular file"},
        {"raw data in a file", {"raw", "show", m}, m + ": not a directory"},
        {"optimise with a directory as method", {"optimise", "parent", p, "--method", p, "--mass", "300"},
         p + ": not a regular file"},
        {"optimise a folder without raw data", {"optimise", "parent", p, "--method", m, "--mass", "300"},
         p + ": holds no mzML file"},
        {"optimise with values out of range", {"optimise", "parent", p, "--method", r, "--mass", "300"},
         r + ": \"Cone Voltage Step\" is -5, below 0; " + r + ": \"Collision Energy Max\" is 250, above 200"},
        {"optimise with no method", {"optimise", "daughter", p, "--method", g, "--mass", "300", "--parent", "301",
                                     "--cone-voltage", "20"},
         g + ": holds none of the method's keys"},
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

// A file that gives none of the method's keys a value reads as the defaults. show still prints
// them, exactly as for a method of defaults, but says so on the error stream; a file with one key
// is a method.
TEST_F(TessalyDriver, ShowWarnsOfAFileThatHoldsNoMethod)
{
    const Result defaults = tessaly({"method", "show", write("defaults.tym", "[Tessaly Options]\nMSMS=1\n")});
    ASSERT_EQ(defaults.status, 0);
    ASSERT_EQ(defaults.err, "");
    // Which files hold no method is validate's test (TessalyValidate); here, what show does with one.
    const std::string file =
        write("garbage.tym", "<!DOCTYPE html>\n<html><body>[Tessaly Options]\nCone Voltage Min=20</body></html>\n");
    const auto before = snapshot();
    const Result r = tessaly({"method", "show", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, defaults.out);
    EXPECT_EQ(r.err, "warning: " + file + ": holds none of the method's keys; showing the defaults\n");
    EXPECT_EQ(snapshot(), before) << "show wrote a file";
    // Names compare without regard to case, as the engine reads them.
    const Result one = tessaly({"method", "show", write("one.tym", "[tessaly options]\n cone voltage min = 20\n")});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.err, "");
    EXPECT_NE(one.out.find("Cone Voltage Min=20.00\n"), std::string::npos) << one.out;
}

// An input the user may not read is bad input (exit status 2, one line, nothing written), not a
// method of defaults or a failure. The driver runs as an ordinary user (nobody when the test
// runs as root, whom permission bits do not bind) on inputs with no permissions at all.
TEST_F(TessalyDriver, AnInputTheUserMayNotReadIsBadInput)
{
    const std::string method = write("ok.tym", "[Tessaly Options]\nCone Voltage Min=20\n");
    const std::string m = write("u.tym", "[Tessaly Options]\nCone Voltage Min=20\n");
    const std::string c = write("u.csv", "FILE_NAME,SAMPLE_GROUP\nS1,A\n"), s = path("u.spl");
    ASSERT_EQ(tessaly({"samplelist", "convert", c, s}).status, 0);
    const std::string t = write("u.ipr", "[Tune]\nIon Mode=ESP\n");
    const std::string raw = path("R.RAW"), listless = path("U.RAW"), p = path("P.PRO");
    for (const std::string& folder : {raw, listless, p})
        std::filesystem::create_directories(folder);
    const std::string mzml = write("R.RAW/a.mzML", "<mzML/>");
    for (const std::string& file : {m, c, s, t, mzml, listless})
        ASSERT_EQ(::chmod(file.c_str(), 0), 0) << file;
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0);
    testkit::openToEveryone(dir_.path());

    struct Case { const char* name; std::vector<std::string> args; std::string message; };
    const std::string unreadable = m + ": cannot be read: permission denied";
    const Case cases[] = {
        {"method show", {"method", "show", m}, unreadable},
        {"method set", {"method", "set", m, "MSMS=0"}, unreadable},
        {"method validate", {"method", "validate", m, "--project", p}, unreadable},
        {"method move", {"method", "move", m, "--project", p}, unreadable},
        {"optimise's method", {"optimise", "parent", raw, "--method", m, "--mass", "300"}, unreadable},
        {"optimise's raw data", {"optimise", "parent", listless, "--method", method, "--mass", "300"},
         listless + ": cannot be listed (Permission denied)"},
        {"groups", {"groups", c}, c + ": Permission denied"},
        {"groups of a database", {"groups", s}, s + ": unable to open database file"},
        {"quan", {"quan", c}, c + ": Permission denied"},
        {"convert", {"samplelist", "convert", s, path("out.csv")}, s + ": unable to open database file"},
        {"tune show", {"tune", "show", t}, "u.ipr: cannot read the tune file"},
        {"tune load", {"tune", "load", t}, "u.ipr: cannot read the tune file"},
        {"raw show", {"raw", "show", raw}, mzml + ": cannot be read"},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        const auto before = snapshot();
        const int seen = testkit::runUnprivileged([&] {
            const Result r = tessaly(k.args);
            return r.out.empty() && r.err == "tessaly: " + k.message + "\n" ? r.status : 100 + r.status;
        });
        EXPECT_EQ(seen, 2) << "exit status seen by the user; 100 and above: not the one-line message";
        EXPECT_EQ(snapshot(), before) << "a refused command wrote a file";
    }
}
} // namespace
