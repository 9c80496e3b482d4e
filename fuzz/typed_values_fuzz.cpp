// Fuzzes what a person types into the method editor. Each input line is typed into one box of
// the active page (the line's first byte picks the box and, now and then, another page or a click)
// and the box is left, so the page takes its values. Whatever is typed, nothing crashes, a refusal
// is a message, and every value a page has taken lies in the range its box allows.
#include "method/TessalyOptionsSheet.h"
#include "testing/DialogDriver.h"
#include "ui/OptionsPages.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "typed_values_fuzz: %s\n", what), std::abort();
}

// The controls of a page that a person can act on: enabled writable edits and buttons.
std::vector<CWnd*> reachable(CWnd& page, bool edits)
{
    std::vector<CWnd*> found;
    for (CWnd* control : page.controls())
    {
        const platform::DialogControl* entry = control->controlTemplate();
        if (!entry || !control->IsWindowEnabled())
            continue;
        const bool edit = entry->kind == platform::ControlKind::kEdit;
        const bool button = entry->kind == platform::ControlKind::kCheckBox ||
                            entry->kind == platform::ControlKind::kRadioButton;
        if (edits ? edit : button)
            found.push_back(control);
    }
    return found;
}

void checkRanges(const CTessalyOptionsSheet& sheet)
{
    const CTessalyOptionsPage1& optimisation = *sheet.m_pOptimisationPage;
    check(optimisation.m_dConeVoltageMin >= 0 && optimisation.m_dConeVoltageMin <= optimisation.m_dConeVoltageMax &&
              optimisation.m_dConeVoltageMax <= 200,
          "cone voltage taken outside 0 <= min <= max <= 200");
    check(optimisation.m_dCollisionEnergyMin >= 0 &&
              optimisation.m_dCollisionEnergyMin <= optimisation.m_dCollisionEnergyMax &&
              optimisation.m_dCollisionEnergyMax <= 200,
          "collision energy taken outside 0 <= min <= max <= 200");
    check(optimisation.m_nFragmentMinSize >= 50 && optimisation.m_nFragmentMinSize <= 999,
          "fragment size taken outside 50 to 999");
    const CTessalyOptionsPage2& acquisition = *sheet.m_pAcquisitionPage;
    check(acquisition.m_fMaxDwellTime >= 0.02f && acquisition.m_fMaxDwellTime <= 1.0f, "dwell time out of range");
    check(acquisition.m_fTotalCycleTime >= 0.1f && acquisition.m_fTotalCycleTime <= 5.0f, "cycle time out of range");
    check(acquisition.m_fInterModeTime >= 0.05f && acquisition.m_fInterModeTime <= 0.5f, "mode delay out of range");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Stands for the person: every message box answered No (so nothing is ever saved) and every
    // file dialog cancelled.
    testkit::DialogDriver person;
    person.messages().answerOtherwise(IDNO);

    CTessalyOptionsSheet sheet(CString(), 2, nullptr);
    check(sheet.Create() != FALSE, "the editor could not be created");

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (int line = 0; start < input.size() && line < 64; ++line)
    {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        const std::string text = input.substr(start, end - start);
        start = end + 1;
        if (text.empty())
            continue;
        const unsigned char choice = static_cast<unsigned char>(text[0]);
        CPropertyPage* page = sheet.GetActivePage();
        check(page != nullptr, "no active page");
        if (choice % 8 == 0)
        {
            // Another tab; a page holding a bad value may keep the person on it.
            sheet.SetActivePage(static_cast<int>(choice / 8) % sheet.GetPageCount());
            continue;
        }
        if (choice % 8 == 1)
        {
            const std::vector<CWnd*> buttons = reachable(*page, false);
            if (!buttons.empty())
                buttons[(choice / 8) % buttons.size()]->click();
            continue;
        }
        const std::vector<CWnd*> edits = reachable(*page, true);
        if (edits.empty())
            continue;
        CWnd* box = edits[(choice / 8) % edits.size()];
        box->SetFocus();
        box->typeText(text.c_str() + 1);
        // Leaving the box runs its page's check; a refusal puts the focus back in it.
        CWnd* next = edits[(choice / 8 + 1) % edits.size()];
        if (next != box)
            next->SetFocus();
        checkRanges(sheet);
    }
    // Nothing typed may reach a file: closing asks, and the person says No.
    sheet.DestroyWindow();
    checkRanges(sheet);
    return 0;
}
