#include "platform/UserInterface.h"
#include "testing/ScriptedUserInterface.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace
{
// A reinterpret of a made-up number: the window functions pass owners through untouched.
HWND windowNumber(std::uintptr_t n)
{
    return reinterpret_cast<HWND>(n);
}

TEST(UserInterface, ServicesAnswerInOrderAndScopesRestoreThePreviousOne)
{
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_YESNO), IDOK) << "without a service";
    EXPECT_EQ(SetWindowTextA(nullptr, "title"), TRUE);
    testkit::ScriptedUserInterface outer;
    outer.answer(IDYES);
    outer.answerOtherwise(IDCANCEL);
    {
        testkit::ScriptedUserInterface inner;
        inner.answerOtherwise(IDRETRY);
        EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_RETRYCANCEL), IDRETRY);
    }
    EXPECT_EQ(MessageBoxA(windowNumber(7), "Keep it?", "Tessaly", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_ICONSTOP), IDCANCEL);
    EXPECT_EQ(SetWindowTextA(windowNumber(9), "Group 2"), TRUE);

    ASSERT_EQ(outer.messages().size(), 2u);
    EXPECT_EQ(outer.messages()[0].owner, windowNumber(7));
    EXPECT_EQ(outer.messages()[0].text, "Keep it?");
    EXPECT_EQ(outer.messages()[0].caption, "Tessaly");
    EXPECT_EQ(outer.messages()[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(outer.messages()[1].text, "") << "null texts reach the service as empty ones";
    ASSERT_EQ(outer.windowTexts().size(), 1u);
    EXPECT_EQ(outer.windowTexts()[0].window, windowNumber(9));
    EXPECT_EQ(outer.windowTexts()[0].text, "Group 2");
    EXPECT_EQ(platform::installUserInterface(nullptr), &outer);
    EXPECT_EQ(platform::installUserInterface(&outer), nullptr);
}

// A service that throws must not carry the exception through the C functions.
class ThrowingUserInterface final : public platform::UserInterface
{
  public:
    int showMessageBox(HWND, const char*, const char*, UINT) override
    {
        throw std::runtime_error("no display");
    }
    bool setWindowText(HWND, const char*) override
    {
        throw std::runtime_error("no display");
    }
};

TEST(UserInterface, AFailingServiceGivesTheFailureResults)
{
    ThrowingUserInterface failing;
    platform::ScopedUserInterface installed(failing);
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), 0);
    EXPECT_EQ(SetWindowTextA(nullptr, "x"), FALSE);
}
} // namespace
