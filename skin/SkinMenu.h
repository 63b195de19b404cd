// The skinned menus in one include: the shared look and its helpers, the popup and main
// menus, the menu bar and the frame's link to it.
#pragma once

#include "skin/SkinMainMenu.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenuBarHost.h"
#include "skin/SkinMenuBarLink.h"
#include "skin/SkinMenuLook.h"
#include "skin/SkinPopupMenu.h"
