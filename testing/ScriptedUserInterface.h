// A user-interface service for tests: it records every message box and window text the code
// under test shows, and answers message boxes with the buttons a test has queued.
#pragma once

#include "platform/UserInterface.h"

#include <deque>
#include <string>
#include <vector>

namespace testkit
{
/// Records what was shown and answers as told. It installs itself while it lives, so a test
/// declares one and every MessageBoxA and SetWindowTextA of the code under test reaches it.
class ScriptedUserInterface final : public platform::UserInterface
{
  public:
    /// One message box as it was asked for.
    struct Message
    {
        HWND owner;
        std::string text;
        std::string caption;
        UINT type;
    };
    /// One window text as it was set.
    struct WindowText
    {
        HWND window;
        std::string text;
    };

    ScriptedUserInterface() : previous_(platform::installUserInterface(this))
    {
    }
    ~ScriptedUserInterface() override
    {
        platform::installUserInterface(previous_);
    }
    ScriptedUserInterface(const ScriptedUserInterface&) = delete;
    ScriptedUserInterface& operator=(const ScriptedUserInterface&) = delete;

    /// Queues button as the answer to the next message box not yet answered.
    void answer(int button)
    {
        answers_.push_back(button);
    }
    /// The answer given when no queued answer is left (IDOK unless set).
    void answerOtherwise(int button)
    {
        otherwise_ = button;
    }

    /// Message boxes shown so far, in order.
    const std::vector<Message>& messages() const
    {
        return messages_;
    }
    /// Window texts set so far, in order.
    const std::vector<WindowText>& windowTexts() const
    {
        return windowTexts_;
    }

    int showMessageBox(HWND owner, const char* text, const char* caption, UINT type) override
    {
        messages_.push_back({owner, text, caption, type});
        if (answers_.empty())
            return otherwise_;
        const int button = answers_.front();
        answers_.pop_front();
        return button;
    }
    bool setWindowText(HWND window, const char* text) override
    {
        windowTexts_.push_back({window, text});
        return true;
    }

  private:
    platform::UserInterface* previous_;
    std::deque<int> answers_;
    int otherwise_ = IDOK;
    std::vector<Message> messages_;
    std::vector<WindowText> windowTexts_;
};
} // namespace testkit
