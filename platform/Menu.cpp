// Menu resources and CMenu. The registry lives beside the dialog templates' so clearing the
// resources clears both.
#include "platform/Menu.h"

#include "platform/DialogTemplateDetail.h"

namespace platform
{
const MenuItem* MenuTemplate::findCommand(UINT commandId) const
{
    // A pop-up nests at most a few levels, so plain recursion over a small stack is fine.
    struct Search
    {
        static const MenuItem* in(const std::vector<MenuItem>& items, UINT wanted)
        {
            for (const MenuItem& item : items)
            {
                if (!item.popup.empty())
                {
                    if (const MenuItem* found = in(item.popup, wanted))
                        return found;
                }
                else if (!item.separator && item.id == wanted)
                    return &item;
            }
            return nullptr;
        }
    };
    return commandId == 0 ? nullptr : Search::in(items, commandId);
}

bool registerMenuTemplate(MenuTemplate menu)
{
    auto& menus = detail::menuResources();
    if (menu.id == 0 || menus.count(menu.id))
        return false;
    const UINT id = menu.id;
    menus.emplace(id, std::move(menu));
    return true;
}

const MenuTemplate* findMenuTemplate(UINT id)
{
    const auto& menus = detail::menuResources();
    const auto found = menus.find(id);
    return found == menus.end() ? nullptr : &found->second;
}
} // namespace platform

namespace
{
UINT_PTR nextMenuHandle = 0x20000;
} // namespace

CMenu::CMenu() = default;

CMenu::~CMenu() = default;

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    if (handle_ || !platform::findMenuTemplate(nIDResource))
        return FALSE;
    id_ = nIDResource;
    handle_ = reinterpret_cast<HMENU>(nextMenuHandle);
    nextMenuHandle += 4;
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!handle_)
        return FALSE;
    handle_ = nullptr;
    id_ = 0;
    return TRUE;
}

HMENU CMenu::GetSafeHmenu() const
{
    return handle_;
}

const platform::MenuTemplate* CMenu::menuTemplate() const
{
    return handle_ ? platform::findMenuTemplate(id_) : nullptr;
}
