// Drives the dialog layer as a person would, for tests: types into boxes, leaves them, ticks,
// presses buttons and chooses in lists, answers message boxes and file dialogs from a script, and
// records what was shown.
#pragma once

#include "platform/Dialog.h"
#include "platform/FileDialog.h"
#include "platform/Menu.h"
#include "testing/ScriptedUserInterface.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testkit
{
/// Stands for the user while it lives: it installs itself as the dialog service and a scripted
/// user interface, runs the queued actions when a dialog goes modal, and answers file dialogs
/// with the queued paths (cancel when none is left).
class DialogDriver final : public platform::DialogService
{
  public:
    DialogDriver() : previous_(platform::installDialogService(this))
    {
    }
    ~DialogDriver() override
    {
        platform::installDialogService(previous_);
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    /// What the next modal dialog or sheet gets done to it; a dialog with nothing queued is left
    /// open and so ends cancelled.
    void whenModal(std::function<void(CWnd&)> actions)
    {
        modal_.push_back(std::move(actions));
    }
    /// The next file dialog chooses path.
    void chooseFile(std::string path)
    {
        files_.emplace_back(std::move(path));
    }
    /// The next file dialog is cancelled.
    void cancelFile()
    {
        files_.emplace_back(std::nullopt);
    }
    /// The file dialogs asked for so far, in order (each refusal and retry counts).
    const std::vector<platform::FileDialogRequest>& fileRequests() const
    {
        return fileRequests_;
    }
    /// The message boxes: queue answers and read what was shown.
    ScriptedUserInterface& messages()
    {
        return ui_;
    }

    /// Puts the focus in control id of dialog and types text into it (replacing its text). False
    /// when the control is missing, disabled or read-only.
    static bool type(CWnd& dialog, int id, const char* text)
    {
        CWnd* control = dialog.GetDlgItem(id);
        if (!control || !control->IsWindowEnabled())
            return false;
        control->SetFocus();
        return control->typeText(text);
    }
    /// Leaves the focused box for control id (as Tab or a click there does), so the box tells its
    /// dialog it lost the focus. False when the control cannot take the focus.
    static bool moveFocusTo(CWnd& dialog, int id)
    {
        CWnd* control = dialog.GetDlgItem(id);
        if (!control || !control->GetSafeHwnd() || !control->IsWindowEnabled())
            return false;
        control->SetFocus();
        return true;
    }
    /// Types text into box id and leaves it for control next.
    static bool enter(CWnd& dialog, int id, const char* text, int next)
    {
        return type(dialog, id, text) && moveFocusTo(dialog, next);
    }
    /// Sets a check box to ticked (or not) by clicking it when it differs. False when disabled.
    static bool tick(CWnd& dialog, int id, bool ticked = true)
    {
        CWnd* box = dialog.GetDlgItem(id);
        if (!box || !box->IsWindowEnabled())
            return false;
        return (box->GetCheck() == BST_CHECKED) == ticked || box->click();
    }
    /// Clicks button id (push button, check box or radio button).
    static bool press(CWnd& dialog, int id)
    {
        CWnd* button = dialog.GetDlgItem(id);
        return button && button->click();
    }
    /// Chooses the item with exactly text in drop-down list id.
    static bool choose(CWnd& dialog, int id, const char* text)
    {
        CWnd* list = dialog.GetDlgItem(id);
        if (!list)
            return false;
        for (int i = 0; i < list->GetCount(); ++i)
        {
            CString item;
            list->GetLBText(i, item);
            if (item == text)
                return list->chooseItem(i);
        }
        return false;
    }
    /// Chooses menu command id of window, as a click on the item does. False when the window has
    /// no menu or its menu has no such command.
    static bool command(CWnd& window, UINT id)
    {
        const CMenu* menu = window.GetMenu();
        const platform::MenuTemplate* items = menu ? menu->menuTemplate() : nullptr;
        if (!items || !items->findCommand(id))
            return false;
        window.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0));
        return true;
    }
    /// The text of control id; empty when it is missing.
    static std::string text(const CWnd& dialog, int id)
    {
        CString value;
        dialog.GetDlgItemText(id, value);
        return value.GetString();
    }

    void runModal(CWnd& dialog) override
    {
        if (modal_.empty())
            return;
        auto actions = std::move(modal_.front());
        modal_.pop_front();
        actions(dialog);
    }
    bool chooseFile(const platform::FileDialogRequest& request, std::string& path) override
    {
        fileRequests_.push_back(request);
        if (files_.empty() || !files_.front())
        {
            if (!files_.empty())
                files_.pop_front();
            return false;
        }
        path = *files_.front();
        files_.pop_front();
        return true;
    }

  private:
    platform::DialogService* previous_;
    ScriptedUserInterface ui_;
    std::deque<std::function<void(CWnd&)>> modal_;
    std::deque<std::optional<std::string>> files_;
    std::vector<platform::FileDialogRequest> fileRequests_;
};
} // namespace testkit
