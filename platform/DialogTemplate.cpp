// The process-wide template and string tables and the label helpers.
#include "platform/DialogTemplate.h"

#include "platform/Ascii.h"
#include "platform/DialogTemplateDetail.h"

#include <map>
#include <memory>
#include <set>

namespace platform
{
namespace
{
struct Resources
{
    // Templates are held by pointer so the ones handed out stay put while others are added.
    std::vector<std::unique_ptr<DialogTemplate>> templates;
    std::map<UINT, std::string> strings;
};

Resources& resources()
{
    static Resources table;
    return table;
}
} // namespace

const DialogControl* DialogTemplate::findControl(int controlId) const
{
    if (controlId <= 0)
        return nullptr;
    for (const DialogControl& control : controls)
        if (control.id == controlId)
            return &control;
    return nullptr;
}

char mnemonicOf(std::string_view label)
{
    char mnemonic = 0;
    for (size_t i = 0; i < label.size(); ++i)
    {
        if (label[i] != '&')
            continue;
        if (i + 1 < label.size() && label[i + 1] == '&')
        {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        // With several markers the last one counts, as the platform underlines it.
        mnemonic = i + 1 < label.size() ? label[i + 1] : 0;
    }
    return mnemonic;
}

std::string plainLabel(std::string_view label)
{
    std::string shown;
    for (size_t i = 0; i < label.size(); ++i)
    {
        if (label[i] != '&')
            shown += label[i];
        else if (i + 1 < label.size() && label[i + 1] == '&')
            shown += label[++i];
    }
    return shown;
}

bool registerDialogTemplate(DialogTemplate dialogTemplate)
{
    if (dialogTemplate.name.empty() || findDialogTemplate(dialogTemplate.name) ||
        (dialogTemplate.id != 0 && findDialogTemplate(dialogTemplate.id)))
        return false;
    std::set<int> ids;
    for (const DialogControl& control : dialogTemplate.controls)
        if (control.id > 0 && !ids.insert(control.id).second)
            return false;
    resources().templates.push_back(std::make_unique<DialogTemplate>(std::move(dialogTemplate)));
    return true;
}

const DialogTemplate* findDialogTemplate(std::string_view name)
{
    for (const auto& entry : resources().templates)
        if (detail::equalsNoCase(entry->name, name))
            return entry.get();
    return nullptr;
}

const DialogTemplate* findDialogTemplate(UINT id)
{
    if (id == 0)
        return nullptr;
    for (const auto& entry : resources().templates)
        if (entry->id == id)
            return entry.get();
    return nullptr;
}

std::map<UINT, MenuTemplate>& detail::menuResources()
{
    static std::map<UINT, MenuTemplate> menus;
    return menus;
}

void clearDialogResources()
{
    resources().templates.clear();
    resources().strings.clear();
    detail::menuResources().clear();
}

void registerStringResource(UINT id, std::string text)
{
    resources().strings[id] = std::move(text);
}

std::string loadStringResource(UINT id)
{
    const auto found = resources().strings.find(id);
    return found == resources().strings.end() ? std::string() : found->second;
}
} // namespace platform
