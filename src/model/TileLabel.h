// The label rule shared by tile names on screen and default names from the shell.
#pragma once
#include <stddef.h>

enum { TileLabelLength = 2 * 12 };

// Writes the shown form of a text into out (capacity at least TileLabelLength + 1):
// the first 24 characters, without a final ".exe" in any letter case, with only the
// first character upper-cased. Returns the label's length.
int MakeTileLabel(const wchar_t* text, wchar_t* out, size_t capacity);

// A tile's name as one text, for its tooltip and for screen readers: every character of it,
// the first line (12 characters) and the rest joined by one blank where the first line ended
// in blanks (a second line of its own, as the dialogs store it), directly where it runs on (a
// name of one piece, cut where the tile breaks it), trailing blanks dropped. Returns the
// length; a longer text is cut to capacity - 1.
int TileWholeName(const wchar_t* name, wchar_t* out, size_t capacity);
