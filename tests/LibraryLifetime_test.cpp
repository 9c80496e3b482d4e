// libbrenmo.so loaded, used and unloaded the way the host does it: the library-wide objects are
// built at load and torn down at unload (twice over, so a second load starts clean), and the
// exported data and functions are reachable by their names.
#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "tests/DynamicSymbols.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace
{
// The address of the exported name whose demangled form is name.
void* symbol(void* library, const std::set<std::string>& mangled, const std::string& name)
{
    for (const auto& m : mangled)
        if (tests::demangle(m) == name)
            return dlsym(library, m.c_str());
    return nullptr;
}

TEST(LibraryLifetime, LoadsServesAndUnloadsTwice)
{
    const std::set<std::string> mangled = tests::definedDynamicSymbols(BRENMO_LIBRARY);
    for (int round = 1; round <= 2; ++round)
    {
        SCOPED_TRACE(round);
        void* library = dlopen(BRENMO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();

        const auto* ionModes = static_cast<const char* const*>(dlsym(library, "IONMODE_STRINGS"));
        ASSERT_NE(ionModes, nullptr);
        EXPECT_STREQ(ionModes[1], "APcI");

        // Static texts set up while the library loaded.
        const auto* section =
            static_cast<const CString*>(symbol(library, mangled, "CTessalyOptionsSheet::m_strTessalyMethodSection"));
        ASSERT_NE(section, nullptr);
        EXPECT_STREQ(section->GetString(), "Tessaly Options");

        // The one options record of OpenFile, built at its first call in this load.
        using OpenFile = CBrenmoOptions& (*)(const CString&);
        const auto open =
            reinterpret_cast<OpenFile>(symbol(library, mangled, "CTessalyOptionsSheet::OpenFile(CString const&)"));
        ASSERT_NE(open, nullptr);
        const CBrenmoOptions& options = open(CString(""));
        EXPECT_EQ(options.m_dConeVoltageMax, 50.0);
        EXPECT_STREQ(options.m_strIonMode.GetString(), "ESP");

        EXPECT_EQ(dlclose(library), 0) << dlerror();
        // Really unloaded, so the next round's load builds every library-wide object anew.
        void* still = dlopen(BRENMO_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
        EXPECT_EQ(still, nullptr) << "libbrenmo.so stayed loaded after its last dlclose";
        if (still)
            dlclose(still);
    }
}
} // namespace
