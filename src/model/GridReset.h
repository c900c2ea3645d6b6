// Everything the model holds back to its start: the tiles, the settings and the history of
// changes. Apart from TileGrid, which the history itself is built on.
#pragma once

// Puts every tile and setting at its start value, with tile (1, 1) selected, and forgets the
// history of changes.
void ResetGridAndSettings(void);
