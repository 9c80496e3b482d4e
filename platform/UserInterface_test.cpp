#include "platform/UserInterface.h"
#include "testing/ScriptedUserInterface.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace
{
TEST(UserInterface, ServicesAnswerAndScopesRestoreThePreviousOne)
{
    EXPECT_EQ(SetWindowTextA(nullptr, "title"), TRUE) << "without a service";
    testkit::ScriptedUserInterface outer;
    {
        testkit::ScriptedUserInterface inner;
        inner.answerOtherwise(IDRETRY);
        EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_RETRYCANCEL), IDRETRY);
    }
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, "Tessaly", MB_YESNO), IDOK);
    ASSERT_EQ(outer.messages().size(), 1u) << "the outer service answers again";
    EXPECT_EQ(outer.messages()[0].text, "") << "a null text is passed as an empty one";
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
