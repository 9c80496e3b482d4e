#include "testing/MockHost.h"
#include "kelvane/KelvaneHost.h"
#include "testing/TempDir.h"
#include "results/OptimiseResults.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <streambuf>
#include <string>

namespace
{
namespace fs = std::filesystem;
using ::testing::ByMove;
using ::testing::Return;
using ::testing::StrEq;
using StatusArray = CArray<COptimiseStatus, COptimiseStatus&>;

tag_SCAN_PARAMS scan(tag_IONMODE mode, tag_IONMODEOPT polarity, double parent, double daughter, int cv, int ce)
{
    tag_SCAN_PARAMS params{};
    params.IonMode = mode;
    params.IonModeOpt = polarity;
    params.dParentMass = parent;
    params.dDaughterMass = daughter;
    params.nConeVoltage = cv;
    params.nCollisionEnergy = ce;
    return params;
}

const tag_SCAN_PARAMS kCaffeine = scan(IONMODE_ESP, IONMODEOPT_POSITIVE, 195.088, 138.066, 28, 16);

TEST(OptimiseResults, EachCodeHasItsLine)
{
    struct Case
    {
        tagOPT_RESULT code;
        const char* name;
        tag_SCAN_PARAMS params;
        const char* line;
    };
    const Case cases[] = {
        {OPTRESULT_NO_INFORMATION, "X", scan(IONMODE_ESP, IONMODEOPT_POSITIVE, 300.123, 0, 0, 0),
         "X          No Information Yet (Base mass 300.12)"},
        {OPTRESULT_NOT_REQUIRED, "Caffeine", kCaffeine, "Caffeine   Not Required In This Analysis"},
        {OPTRESULT_ALREADY_PRESENT, "Caffeine", kCaffeine, "Caffeine   Optimisation Already Present"},
        {OPTRESULT_OPTIMISING_CV, "Caffeine", kCaffeine, "Caffeine   In Progress: Optimising CV"},
        {OPTRESULT_SKIPPING_CV, "Caffeine", kCaffeine, "Caffeine   In Progress: Skipping CV"},
        {OPTRESULT_CV_FAILED, "Caffeine", kCaffeine, "Caffeine   Cone Voltage Optimisation Failed"},
        {OPTRESULT_OPTIMISING_CE, "Atenolol", scan(IONMODE_ESP, IONMODEOPT_POSITIVE, 267.169, 0, 34, 0),
         "Atenolol   In Progress: Optimising CE (Parent 267.17, CV 34)"},
        {OPTRESULT_SKIPPING_CE, "Caffeine", kCaffeine, "Caffeine   In Progress: Skipping CE"},
        {OPTRESULT_CE_FAILED, "Caffeine", kCaffeine, "Caffeine   Collision Energy Optimisation Failed"},
        {OPTRESULT_USING_PARENT, "Caffeine", kCaffeine, "Caffeine   Using Mass 195.09 \tESP+\tCV 28"},
        {OPTRESULT_USING_PARENT, "Ibuprofen", scan(IONMODE_APCI, IONMODEOPT_NEGATIVE, 205.1234, 0, 20, 0),
         "Ibuprofen  Using Mass 205.12 \tAPcI-\tCV 20"},
        {OPTRESULT_USING_TRANSITION, "Caffeine", kCaffeine, "Caffeine   Using\t195.09 > 138.07\tESP+\t28\t16"},
        {OPTRESULT_USING_TRANSITION, "Both", scan(IONMODE_ESP, IONMODEOPT_BOTH, 100, 50.005, 5, 7),
         "Both       Using\t100.00 > 50.01\tESP\t5\t7"},
        {OPTRESULT_HEADER, "ignored", kCaffeine, "                \tTransition\tMode\tCV\tCE"},
        {OPTRESULT_CV_FAILED, "Chlorpromazine", kCaffeine, "Chlorpromazine Cone Voltage Optimisation Failed"},
        {OPTRESULT_NOT_REQUIRED, "", kCaffeine, "           Not Required In This Analysis"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.line);
        COptimiseResults log;
        ASSERT_EQ(log.Append(c.code, c.name, c.params), 1);
        ASSERT_EQ(log.CStringArray::GetSize(), 1);
        EXPECT_STREQ(log.CStringArray::GetAt(0), c.line);
        const COptimiseStatus status = log.StatusArray::GetAt(0);
        EXPECT_EQ(status.m_eResult, c.code);
        EXPECT_EQ(status.m_bStarted, 0);
    }
}

TEST(OptimiseResults, CodesOutsideTheTableChangeNothing)
{
    COptimiseResults log;
    ASSERT_EQ(log.Append(OPTRESULT_NOT_REQUIRED, "A", kCaffeine), 1);
    for (const int code : {-1, 12, 1000})
    {
        SCOPED_TRACE(code);
        EXPECT_EQ(log.Append(static_cast<tagOPT_RESULT>(code), "B", kCaffeine), 0);
        EXPECT_EQ(log.Update(0, static_cast<tagOPT_RESULT>(code), "B", kCaffeine), 0);
        EXPECT_EQ(log.CStringArray::GetSize(), 1);
        EXPECT_EQ(log.StatusArray::GetSize(), 1);
        EXPECT_STREQ(log.CStringArray::GetAt(0), "A          Not Required In This Analysis");
    }
}

TEST(OptimiseResults, ProgressIsNeverHiddenByALateNoticeOnceStarted)
{
    COptimiseResults log;
    ASSERT_EQ(log.Append(OPTRESULT_NO_INFORMATION, "A", kCaffeine), 1);
    ASSERT_EQ(log.Append(OPTRESULT_NO_INFORMATION, "B", kCaffeine), 1);
    const auto line = [&](int i) { return CString(log.CStringArray::GetAt(i)); };
    const auto status = [&](int i) { return log.StatusArray::GetAt(i); };

    // Before the optimisation has begun, a notice still rewrites the line.
    EXPECT_EQ(log.Update(1, OPTRESULT_ALREADY_PRESENT, "B", kCaffeine), 1);
    EXPECT_EQ(line(1), "B          Optimisation Already Present");
    EXPECT_EQ(status(1).m_bStarted, 0);

    EXPECT_EQ(log.Update(0, OPTRESULT_OPTIMISING_CV, "A", kCaffeine), 1);
    EXPECT_EQ(status(0).m_bStarted, 1);
    EXPECT_EQ(status(0).m_eResult, OPTRESULT_NO_INFORMATION) << "the code of the Append is kept";
    for (const auto late : {OPTRESULT_NO_INFORMATION, OPTRESULT_NOT_REQUIRED, OPTRESULT_ALREADY_PRESENT})
    {
        SCOPED_TRACE(late);
        EXPECT_EQ(log.Update(0, late, "A", kCaffeine), 1);
        EXPECT_EQ(line(0), "A          In Progress: Optimising CV");
    }
    EXPECT_EQ(log.Update(0, OPTRESULT_USING_TRANSITION, "A", kCaffeine), 1);
    EXPECT_EQ(line(0), "A          Using\t195.09 > 138.07\tESP+\t28\t16");

    // The header code rewrites any line and is no progress.
    EXPECT_EQ(log.Update(1, OPTRESULT_HEADER, "B", kCaffeine), 1);
    EXPECT_EQ(line(1), "                \tTransition\tMode\tCV\tCE");
    EXPECT_EQ(status(1).m_bStarted, 0);
    EXPECT_EQ(status(1).m_eResult, OPTRESULT_NO_INFORMATION);
}

TEST(OptimiseResults, AnIndexNoAppendMadeIsRefused)
{
    COptimiseResults log;
    EXPECT_EQ(log.Update(0, OPTRESULT_OPTIMISING_CV, "A", kCaffeine), 0);
    ASSERT_EQ(log.Append(OPTRESULT_NOT_REQUIRED, "A", kCaffeine), 1);
    EXPECT_EQ(log.Update(1, OPTRESULT_OPTIMISING_CV, "A", kCaffeine), 0);
    EXPECT_EQ(log.Update(-1, OPTRESULT_OPTIMISING_CV, "A", kCaffeine), 0);
    EXPECT_EQ(log.CStringArray::GetSize(), 1);
    EXPECT_EQ(log.StatusArray::GetAt(0).m_bStarted, 0);
}

TEST(OptimiseResults, TextFormIsTheHeaderThenEveryLine)
{
    COptimiseResults log;
    EXPECT_EQ(CString(static_cast<const CString&>(log)), "                \tTransition\tMode\tCV\tCE\n");

    log.Append(OPTRESULT_USING_TRANSITION, "Caffeine", kCaffeine);
    log.Append(OPTRESULT_OPTIMISING_CE, "Atenolol", scan(IONMODE_ESP, IONMODEOPT_POSITIVE, 267.17, 0, 34, 0));
    const CString text = log;
    EXPECT_EQ(text, "                \tTransition\tMode\tCV\tCE\n"
                    "Caffeine   Using\t195.09 > 138.07\tESP+\t28\t16\n"
                    "Atenolol   In Progress: Optimising CE (Parent 267.17, CV 34)\n");

    log.RemoveAll();
    EXPECT_EQ(log.CStringArray::GetSize(), 0);
    EXPECT_EQ(log.StatusArray::GetSize(), 0);
    EXPECT_EQ(CString(static_cast<const CString&>(log)), "                \tTransition\tMode\tCV\tCE\n");
}

TEST(OptimiseStatus, DefaultsAndCopies)
{
    const COptimiseStatus fresh;
    EXPECT_EQ(fresh.m_eResult, OPTRESULT_NOT_REQUIRED);
    EXPECT_EQ(fresh.m_bStarted, 0);
    const COptimiseStatus started(OPTRESULT_CE_FAILED, 1);
    COptimiseStatus copy(started);
    EXPECT_EQ(copy.m_eResult, OPTRESULT_CE_FAILED);
    EXPECT_EQ(copy.m_bStarted, 1);
    copy = fresh;
    EXPECT_EQ(copy.m_eResult, OPTRESULT_NOT_REQUIRED);
    EXPECT_EQ(copy.m_bStarted, 0);
    static_assert(sizeof(COptimiseStatus) == 8, "two 32-bit fields");
}

// ---- Dump through the host ------------------------------------------------------------------------

// A host stream that copies what reaches it into a text the test keeps.
class Recorder : public std::streambuf
{
  public:
    explicit Recorder(std::string& text) : text_(text)
    {
    }

  protected:
    int_type overflow(int_type ch) override
    {
        if (!traits_type::eq_int_type(ch, traits_type::eof()))
            text_ += traits_type::to_char_type(ch);
        return traits_type::not_eof(ch);
    }

  private:
    std::string& text_;
};

struct RecordingStream : std::ostream
{
    explicit RecordingStream(std::string& text) : std::ostream(nullptr), recorder(text)
    {
        rdbuf(&recorder);
    }
    Recorder recorder;
};

TEST(OptimiseResultsDump, WritesTheTextFormToTheFixedPathOpenedForOutput)
{
    host::MockHost mock;
    host::ScopedHost installed(mock);
    std::string written;
    EXPECT_CALL(mock, OpenOutputStream(StrEq("c:\\temp\\Tessaly Current Optimisation Results.txt"), std::ios_base::out,
                                       ofstreamS::kDefaultProtection))
        .WillOnce(Return(ByMove(std::unique_ptr<std::ostream>(new RecordingStream(written)))));
    COptimiseResults log;
    log.Append(OPTRESULT_CV_FAILED, "Caffeine", kCaffeine);
    EXPECT_EQ(COptimiseResults::GetFilename(), "c:\\temp\\Tessaly Current Optimisation Results.txt");
    EXPECT_EQ(log.Dump(), 1);
    EXPECT_EQ(written, "                \tTransition\tMode\tCV\tCE\nCaffeine   Cone Voltage Optimisation Failed\n");
}

// A stream whose every write fails, as on a full disk.
class FullDisk : public std::streambuf
{
  protected:
    int_type overflow(int_type) override
    {
        return traits_type::eof();
    }
};

struct FailingStream : std::ostream
{
    FailingStream() : std::ostream(&full)
    {
    }
    FullDisk full;
};

TEST(OptimiseResultsDump, ReportsAFileThatCannotBeOpenedOrWritten)
{
    host::MockHost mock;
    host::ScopedHost installed(mock);
    COptimiseResults log;
    log.Append(OPTRESULT_CV_FAILED, "Caffeine", kCaffeine);

    // The host refuses the file, as when c:\temp is missing.
    EXPECT_CALL(mock, OpenOutputStream(testing::_, testing::_, testing::_)).WillOnce(Return(ByMove(nullptr)));
    EXPECT_EQ(log.Dump(), 0);

    // The host opens the file but the text does not reach it: not reported as written.
    EXPECT_CALL(mock, OpenOutputStream(testing::_, testing::_, testing::_))
        .WillOnce(Return(ByMove(std::unique_ptr<std::ostream>(new FailingStream))));
    EXPECT_EQ(log.Dump(), 0);
    EXPECT_EQ(log.CStringArray::GetSize(), 1);
}

// The real stand-in on a fresh data directory.
class OptimiseResultsFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }
    std::string logPath() const
    {
        return dir_.file("temp/Tessaly Current Optimisation Results.txt");
    }

    testkit::TempDir dir_;
};

TEST_F(OptimiseResultsFileTest, ADumpReplacesTheLogWholeWhileAReaderKeepsTheOldOne)
{
    COptimiseResults log;
    log.Append(OPTRESULT_NO_INFORMATION, "Caffeine", kCaffeine);
    log.Append(OPTRESULT_NO_INFORMATION, "Atenolol", kCaffeine);
    ASSERT_EQ(log.Dump(), 1);
    const std::string first = CString(log).GetString();
    EXPECT_EQ(testkit::readText(logPath()), first);

    std::ifstream reader(logPath(), std::ios::binary);
    ASSERT_TRUE(reader.is_open());
    log.Update(0, OPTRESULT_USING_TRANSITION, "Caffeine", kCaffeine);
    log.Update(1, OPTRESULT_OPTIMISING_CV, "Atenolol", kCaffeine);
    ASSERT_EQ(log.Dump(), 1);
    const std::string second = CString(log).GetString();
    ASSERT_NE(first, second);

    std::stringstream seenByReader;
    seenByReader << reader.rdbuf();
    EXPECT_EQ(seenByReader.str(), first);
    EXPECT_EQ(testkit::readText(logPath()), second);
}

TEST_F(OptimiseResultsFileTest, AFailedDumpLeavesTheLogForTheNextTry)
{
    // c:\temp taken by a plain file: the log cannot be created there.
    testkit::writeText(dir_.file("temp"), "in the way");
    COptimiseResults log;
    log.Append(OPTRESULT_OPTIMISING_CV, "Caffeine", kCaffeine);
    EXPECT_EQ(log.Dump(), 0);

    fs::remove(dir_.file("temp"));
    EXPECT_EQ(log.Dump(), 1);
    EXPECT_EQ(testkit::readText(logPath()),
              "                \tTransition\tMode\tCV\tCE\nCaffeine   In Progress: Optimising CV\n");
}
} // namespace
