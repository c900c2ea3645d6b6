#include "commands/AccessibleAction.h"

#include "model/Geometry.h"
#include "view/Accessible.h"
#include "view/GridBusy.h"
#include "view/Selection.h"

void OnTileAccessibleAction(HWND window, WPARAM child)
{
    TakePendingAccessibleAction();
    // Accepted only with nothing open and nothing else on its way, and posted messages come
    // before input: the grid is as free now. Should it not be, Return would go elsewhere.
    int row, column;
    if (TileOfChildId((long)child, &row, &column) != 0 || GridIsBusy(window))
        return;
    SelectAndShowTile(row, column);
    // The same path as Return on the selected tile.
    SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
}
