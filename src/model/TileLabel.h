// The label rule shared by tile names on screen and default names from the shell.
#pragma once
#include <stddef.h>

enum { TileLabelLength = 2 * 12 };

// Writes the shown form of a text into out (capacity at least TileLabelLength + 1):
// the first 24 characters, without a final ".exe" in any letter case, with only the
// first character upper-cased. Returns the label's length.
int MakeTileLabel(const wchar_t* text, wchar_t* out, size_t capacity);
