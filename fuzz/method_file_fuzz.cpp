// libFuzzer target: reads arbitrary bytes as a method file, saves the method and reads it back,
// checking what must always hold: numbers are finite, texts fit their 255-character buffer, a
// saved method reads back with the same integers, and a second save changes nothing more.
#include "host/host.h"
#include "testing/MethodFileHost.h"
#include "method/BrenmoOptions.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant violated: %s\n", what);
        std::abort();
    }
}


// Where the fuzzer's files live: one directory for the whole process, removed at exit.
struct Workspace
{
    Workspace()
    {
        char pattern[] = "/tmp/method_file_fuzz.XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir = pattern;
        platform::setDataDirectory(dir + "/data");
        host::Install(&fuzzHost);
    }
    ~Workspace()
    {
        host::Install(nullptr);
        for (const char* name : {"/input.tym", "/saved.tym", "/again.tym"})
            unlink((dir + name).c_str());
        rmdir((dir + "/data").c_str());
        rmdir(dir.c_str());
    }
    CString path(const char* name) const
    {
        return CString(platform::toHostPath(dir + name));
    }

    std::string dir;
    testkit::MethodFileHost fuzzHost;
};

// The fields of a method that a file holds, as plain values.
struct Snapshot
{
    std::vector<double> doubles;
    std::vector<int> ints;
    std::vector<float> masses;
    std::vector<std::string> texts;
};

Snapshot snapshot(const CBrenmoOptions& o)
{
    Snapshot s;
    s.doubles = {o.m_dConeVoltageMin,        o.m_dConeVoltageMax,       o.m_dConeVoltageStep,
                 o.m_dCollisionEnergyMin,    o.m_dCollisionEnergyMax,   o.m_dCollisionEnergyStep,
                 o.m_dTotalCycleTime,        o.m_dMaxDwellTime,         o.m_dInterModeTime,
                 o.m_dStage1InjectionVolume, o.m_dStage2InjectionVolume};
    s.ints = {static_cast<int>(o.m_eIonModeOpt),
              o.m_bMSMS,
              static_cast<int>(o.m_eWhenToOptimise),
              o.m_nFragmentMinSize,
              o.m_bUseMuxMode,
              o.m_bUseInterlacedInjections,
              o.m_nMuxSprays};
    for (const CAdductGroup* group :
         {static_cast<const CAdductGroup*>(&o.m_Adducts), static_cast<const CAdductGroup*>(&o.m_Losses)})
    {
        for (int i = 0; i < group->m_nAdducts; ++i)
        {
            s.ints.push_back(group->m_ppAdducts[i]->Allowed());
            s.masses.push_back(group->m_ppAdducts[i]->Mass());
            s.texts.push_back(group->m_ppAdducts[i]->m_strName.str());
        }
    }
    for (const CString* text :
         {&o.m_strIonMode, &o.m_strQuanMethodParent, &o.m_strQuanMethodDaughter, &o.m_strParentTuneFile,
          &o.m_strDaughterTuneFile, &o.m_strAcquisitionTuneFile, &o.m_strStage1LCMethod, &o.m_strStage2LCMethod,
          &o.m_strLoopLCMethod, &o.m_strColumnLCMethod})
        s.texts.push_back(text->str());
    return s;
}

// Every value a method file gives is usable: finite numbers, texts within the read buffer.
void checkReadable(const Snapshot& s)
{
    for (double d : s.doubles)
        check(std::isfinite(d), "a double read from a method file is not finite");
    for (float m : s.masses)
        check(std::isfinite(m), "a mass read from a method file is not finite");
    for (const std::string& t : s.texts)
        check(t.size() <= 255, "a text read from a method file is longer than 255 characters");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Workspace workspace;
    workspace.fuzzHost.count = 1 + static_cast<int>(size % 4);
    {
        std::ofstream out(workspace.dir + "/input.tym", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    const Snapshot first = snapshot(CTessalyOptionsSheet::OpenFile(workspace.path("/input.tym")));
    checkReadable(first);

    // Integers are written as they are and read back exactly.
    CBrenmoOptions method;
    method = CTessalyOptionsSheet::OpenFile(workspace.path("/input.tym"));
    const int saved = CTessalyOptionsSheet::SaveFile(workspace.path("/saved.tym"), method);
    const Snapshot second = snapshot(CTessalyOptionsSheet::OpenFile(workspace.path("/saved.tym")));
    checkReadable(second);
    if (saved)
        check(second.ints == first.ints, "integers changed through a save");

    // Doubles and masses are rounded to two decimals by the first save; a second save of what
    // was read back changes nothing.
    method = CTessalyOptionsSheet::OpenFile(workspace.path("/saved.tym"));
    if (saved && CTessalyOptionsSheet::SaveFile(workspace.path("/again.tym"), method))
    {
        const Snapshot third = snapshot(CTessalyOptionsSheet::OpenFile(workspace.path("/again.tym")));
        check(third.ints == second.ints, "integers changed through a second save");
        for (std::size_t i = 0; i < second.doubles.size(); ++i)
        {
            // Beyond 1e250 a value's 253+ digits no longer fit the 255-character read buffer.
            if (std::fabs(second.doubles[i]) < 1e250)
                check(third.doubles[i] == second.doubles[i], "a double changed through a second save");
        }
        check(third.masses == second.masses, "a mass changed through a second save");
    }
    return 0;
}
