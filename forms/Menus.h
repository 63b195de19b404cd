// The menu part of the form layer in one include: items, shortcuts, main and popup menus.
#pragma once

#include "forms/MainMenu.h"
#include "forms/Menu.h"
#include "forms/MenuItem.h"
#include "forms/PopupMenu.h"
#include "forms/ShortCut.h"
