#include "model/GridReset.h"

#include "model/TileGrid.h"
#include "model/TileHistory.h"

void ResetGridAndSettings(void)
{
    ClearTileHistory();
    ResetTilesAndSettings();
}
