// The menu table, kept by the resource registry so clearing the resources clears menus too.
#pragma once

#include "platform/Menu.h"

#include <map>

namespace platform::detail
{
/// The registered menus by id; a map, so the ones handed out stay put while others are added.
std::map<UINT, MenuTemplate>& menuResources();
} // namespace platform::detail
