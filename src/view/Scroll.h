// Scrolling: the window's scroll bars hold the view's position, in pixels. Every change
// of the bars is made here; the position is read back through ReadScrollPosition.
#pragma once
#include <windows.h>

// nMax of one scroll bar for a content extent and a client extent: the largest position
// then leaves margin + 1 pixels beyond the content. At least 1, so the bar can hide.
int ScrollRangeMax(int contentExtent, int clientExtent, int margin, int tileGap);

// The position a WM_HSCROLL / WM_VSCROLL request code asks for, before the bar clamps it.
int RequestedScrollPosition(int code, const SCROLLINFO* info);

// Whether a wheel message becomes a scroll request, and which: 1 with *message and *code
// set, or 0 for none (a delta within +-119, a held button, an unknown modifier).
int WheelScrollRequest(int delta, int keyState, UINT* message, int* code);

// The smallest new position that shows a tile span [offset, offset + TileSize) (offset in
// client coordinates at the current position) within a view of viewExtent pixels.
// Returns the current position when the span is fully visible.
int IntoViewPosition(int offset, int viewExtent, int position);

// WM_SIZE: records client and window size and sets both scroll ranges.
void OnSize(HWND window, LPARAM lParam);

// Recomputes the scroll ranges for the current client size, as a WM_SIZE would; for
// changes of the grid size.
void UpdateScrollRanges(void);

// The grid size in AppSettings changed (the grid-size dialog, or a step taken back or done
// again): a selection left outside comes in to the nearest tile and is shown, tiles the run has
// never shown get their icons looked up, and the content size, the scroll ranges, the picture
// and screen readers follow.
void ShowGridSize(void);

// WM_HSCROLL (bar SB_HORZ) and WM_VSCROLL (SB_VERT).
void OnScroll(HWND window, int bar, WPARAM wParam);

// WM_MOUSEWHEEL: one scroll request per notch; falls back to DefWindowProcW while
// wheel scrolling is off.
LRESULT OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam);

// Moves the view along one bar by a number of pixels (negative: back), as far as the bar lets
// it, and repaints when it moved. Returns how far it moved.
int ScrollByPixels(HWND window, int bar, int pixels);

// Bring a whole row or column into view with the smallest move. 1 when the row or
// column lies outside the grid in use (nothing done), else 0.
int ScrollRowIntoView(int row);
int ScrollColumnIntoView(int column);

// Brings a whole tile into view, row first, with the smallest moves, in a view whose bottom
// `covered` pixels are hidden (by the find bar); a row that the largest position cannot lift
// above them ends as far up as it goes. What the move uncovers is painted with the next
// picture, once for both bars. 1 for a tile outside the grid in use (nothing done), else 0.
int ScrollTileIntoViewAbove(int row, int column, int covered);

// A scroll moves the pixels still in view and paints only the strip it uncovers; while
// something is drawn over the grid that does not move with it (a carried tile's picture), it
// repaints the whole client instead.
void ScrollRepaintsWhole(bool whole);

// Puts the saved scroll positions on the bars once, after the window is shown; the bars
// clamp them to their ranges.
void RestoreScrollPositions(void);
