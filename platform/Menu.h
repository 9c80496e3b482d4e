// Menus as data, like dialog templates: a menu resource lists its items, and CMenu loads one to
// attach to a window. The headless layer keeps only the structure; a window-system backend shows
// it, and a test sends its commands.
#pragma once

#include "platform/DialogTemplate.h"
#include "platform/Export.h"
#include "platform/WinTypes.h"

#include <string>
#include <vector>

namespace platform
{
/// One item: a command (label with "&" mnemonic, the shortcut text after a tab, and its id), a
/// separator, or a pop-up holding further items.
struct MenuItem
{
    std::string label;
    UINT id = 0;
    bool separator = false;
    std::vector<MenuItem> popup;
};

/// A menu resource: its id and its top-level items.
struct PLATFORM_API MenuTemplate
{
    UINT id = 0;
    std::vector<MenuItem> items;

    /// The command item with id, searched through the pop-ups; null when there is none.
    const MenuItem* findCommand(UINT commandId) const;
};

/// Adds a menu resource; refused (false) when the id is 0 or already taken.
PLATFORM_API bool registerMenuTemplate(MenuTemplate menu);
/// The registered menu of that id, or null.
PLATFORM_API const MenuTemplate* findMenuTemplate(UINT id);
} // namespace platform

/// A menu loaded from a resource. Destroying it (or the object) does not take it off a window:
/// the window's owner does that first with SetMenu(nullptr).
class PLATFORM_API CMenu
{
  public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    /// Loads menu resource nIDResource; FALSE when it is missing or a menu is already loaded.
    BOOL LoadMenu(UINT nIDResource);
    /// Lets the menu go; FALSE when none was loaded.
    BOOL DestroyMenu();
    /// A handle of the loaded menu (never reused); null when none is loaded.
    HMENU GetSafeHmenu() const;
    /// The loaded resource; null when none is loaded.
    const platform::MenuTemplate* menuTemplate() const;

  private:
    HMENU handle_ = nullptr;
    UINT id_ = 0;
};
