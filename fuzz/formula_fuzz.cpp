// libFuzzer target: takes arbitrary bytes as a compound's mass text and turns it into a mass
// through the engine and the host stand-in's isotope model, checking what must always hold: the
// formula path gives a finite mass that is not negative (0.0 when there is none), and a text that
// the model accepts once gives the same mass again.
#include "analysis/MassStrings.h"
#include "kelvane/KelvaneHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "invariant violated: %s\n", what), std::abort();
}

// The stand-in installed on one data directory for the whole process, removed at exit.
struct Workspace
{
    Workspace()
    {
        if (!kelvane::install(temp.path()))
            std::abort();
    }
    ~Workspace()
    {
        kelvane::uninstall();
    }
    testkit::TempDir temp{"formula_fuzz"};
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Workspace workspace;
    // A mass text is a C string: it ends at its first zero byte, as the host hands it over.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CString mass_text(text.c_str());
    const bool numeric = std::atof(mass_text.GetString()) != 0.0;
    const double mass = ConvertStringToMass(mass_text);
    if (numeric)
        return 0;
    check(std::isfinite(mass), "a formula's mass is finite");
    check(mass >= 0.0, "a formula's mass is not negative");
    check(ConvertStringToMass(mass_text) == mass, "the same formula gives the same mass");
    return 0;
}
