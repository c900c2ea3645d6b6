// Whether the grid may be acted on now: the rule that a screen reader's actions, the tooltip and
// a drop all follow.
#pragma once
#include <windows.h>

// True while no tile may be acted on, as neither the keyboard nor the mouse could reach the
// grid: the window disabled, a menu open, the window being moved or sized, a tile carried (the
// window holds the mouse), or a dialog or box of this thread shown, whatever its owner.
bool GridIsBusy(HWND window);
