// The keyboard: the selection keys, scrolling keys, Return and Space as clicks on the
// selected tile, and the search by a name's first letter.
#pragma once
#include <windows.h>

// What a key does.
enum KeyActionKind {
    KeyNothing,
    KeyClick,           // message: WM_LBUTTONDOWN or WM_RBUTTONDOWN at the selected tile
    KeyScroll,          // message: WM_HSCROLL or WM_VSCROLL with code
    KeyFirstTile,       // Home
    KeyLastTile,        // End
    KeyMoveSelection    // rowStep or columnStep is -1 or +1
};

struct KeyAction {
    KeyActionKind kind;
    UINT message;
    int code;
    int rowStep;
    int columnStep;
};

// The action of a virtual key with the modifiers held. Shift wins over Ctrl.
KeyAction KeyActionFor(int virtualKey, bool shift, bool control);

// The character a tile's name offers to the letter search: its first character after
// leading blanks and tabs, but never past the last one; 0 for an empty name.
wchar_t LetterCandidate(const wchar_t* name);

// Case folding of the letter search: a-z to A-Z, everything else unchanged.
wchar_t FoldLetter(wchar_t c);

// The next tile in reading order after (row, column) within rows x columns, wrapping
// from the last tile to (1, 1); a position outside the grid goes to (1, 1).
void NextInReadingOrder(int* row, int* column, int rows, int columns);

// Selects the next tile, after the selection in reading order, whose name begins with
// ch. 1 when one was found (selection moved or already there), 0 when none was found
// and the window was flashed once.
int FindTileByLetter(wchar_t ch);

// Flashes the window once: nothing was found, nothing is there to take back.
void FlashWindowOnce(void);

// WM_KEYDOWN and WM_CHAR. Every character but carriage return goes to the letter search,
// except Ctrl+F's, which opens the find bar.
void OnKeyDown(HWND window, WPARAM virtualKey);
void OnChar(HWND window, WPARAM character);
