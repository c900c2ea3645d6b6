#include "view/FindBar.h"

#include <string.h>
#include <wchar.h>

#include "model/Geometry.h"
#include "model/FindMatch.h"
#include "view/Scroll.h"
#include "view/Selection.h"

enum {
    FindBarControlId = 27,
    // No longer text can be part of a name or a target.
    FieldCapacity = TileTextCapacity,
    FieldWidth = 260,
    Padding = 4,
    Spacing = 8
};

static const wchar_t FindBarClassName[] = L"VantrelFindBar";
// The bar's name for screen readers, which list it after the tiles.
static const wchar_t FindBarName[] = L"Find bar";
static const wchar_t StateProperty[] = L"Vantrel.FindBar";
// The label before the field; screen readers take it as the field's name.
static const wchar_t FieldLabel[] = L"Find a tile";
static const wchar_t NoMatchText[] = L"No match";
static const COLORREF NoMatchColor = RGB(255, 214, 214);

// What a window's bar needs between messages; made with the bar, freed with it.
struct FindBarState {
    HWND window;          // the main window served
    HWND bar;             // the strip holding the three controls below
    HWND label;
    HWND field;
    HWND count;
    WNDPROC fieldProc;    // the edit control's own procedure
    int height;
    bool open;
    bool active;          // open with a text in the field: the matches below mean something
    int matchCount;
    unsigned char matches[MaxRows * MaxColumns];
    unsigned char previous[MaxRows * MaxColumns];
};

static FindBarState* BarState(HWND window)
{
    return window != NULL ? (FindBarState*)GetPropW(window, StateProperty) : NULL;
}

HWND FindBarField(HWND window)
{
    FindBarState* state = BarState(window);
    return state != NULL ? state->field : NULL;
}

HWND FindBarCount(HWND window)
{
    FindBarState* state = BarState(window);
    return state != NULL ? state->count : NULL;
}

HWND OpenFindBarWindow(HWND window)
{
    FindBarState* state = BarState(window);
    return state != NULL && state->open ? state->bar : NULL;
}

bool FindBarIsOpen(HWND window)
{
    FindBarState* state = BarState(window);
    return state != NULL && state->open;
}

const unsigned char* FindBarMatches(HWND window)
{
    FindBarState* state = BarState(window);
    return state != NULL && state->open && state->active ? state->matches : NULL;
}

static bool SelectionIsInUse(void)
{
    return AppSettings.selectedRow >= 1 && AppSettings.selectedRow <= AppSettings.rows &&
           AppSettings.selectedColumn >= 1 && AppSettings.selectedColumn <= AppSettings.columns;
}

static bool SelectionIsMatch(const FindBarState* state)
{
    return state->active && SelectionIsInUse() &&
           state->matches[MatchIndex(AppSettings.selectedRow, AppSettings.selectedColumn)];
}

// The selected match's place among the matches in reading order, from 1; 0 when the selection
// is on no match.
static int MatchPlace(const FindBarState* state)
{
    if (!SelectionIsMatch(state))
        return 0;
    int place = 0;
    for (int row = 1; row <= AppSettings.selectedRow; row++) {
        int last = row < AppSettings.selectedRow ? AppSettings.columns : AppSettings.selectedColumn;
        for (int column = 1; column <= last; column++)
            place += state->matches[MatchIndex(row, column)];
    }
    return place;
}

static void ShowCount(FindBarState* state)
{
    wchar_t text[64] = L"";
    if (state->active && state->matchCount == 0)
        wcsncpy_s(text, _countof(text), NoMatchText, _TRUNCATE);
    else if (state->active && MatchPlace(state) > 0)
        swprintf_s(text, _countof(text), L"%d of %d", MatchPlace(state), state->matchCount);
    else if (state->active)
        swprintf_s(text, _countof(text), L"%d matches", state->matchCount);
    wchar_t shown[64] = L"";
    GetWindowTextW(state->count, shown, _countof(shown));
    if (wcscmp(shown, text) != 0)
        SetWindowTextW(state->count, text);
}

// Moves the selection to the nearest match, shows it above the bar and tells screen readers.
static void GoToMatch(FindBarState* state, int step, bool fromItself)
{
    int row = AppSettings.selectedRow;
    int column = AppSettings.selectedColumn;
    if (StepToMatch(state->matches, &row, &column, step, fromItself) != 0)
        return;
    SelectAndShowAbove(row, column, state->height);
}

// Repaints the tiles in view whose match changed, as one rectangle.
static void InvalidateChangedTiles(FindBarState* state)
{
    RECT client;
    if (!GetClientRect(state->window, &client)) {
        InvalidateRect(state->window, NULL, FALSE);
        return;
    }
    int scrollH = ReadScrollPosition(SB_HORZ);
    int scrollV = ReadScrollPosition(SB_VERT);
    RECT changed = {};
    for (int row = 1; row <= AppSettings.rows; row++) {
        for (int column = 1; column <= AppSettings.columns; column++) {
            int index = MatchIndex(row, column);
            RECT r;
            if (state->matches[index] != state->previous[index] && TileRectAt(row, column, scrollH, scrollV, &r) == 0 &&
                IntersectRect(&r, &r, &client))
                UnionRect(&changed, &changed, &r);
        }
    }
    if (!IsRectEmpty(&changed))
        InvalidateRect(state->window, &changed, FALSE);
}

// EN_CHANGE: the matches of the new text, the picture and the selection that follow them.
static void OnFieldChanged(FindBarState* state)
{
    if (!state->open)
        return;
    wchar_t text[FieldCapacity] = L"";
    GetWindowTextW(state->field, text, _countof(text));
    bool wasActive = state->active;
    bool hadNoMatch = wasActive && state->matchCount == 0;
    memcpy(state->previous, state->matches, sizeof(state->matches));
    state->matchCount = FindMatchingTiles(text, state->matches);
    state->active = text[0] != L'\0';
    if (state->active != wasActive)
        InvalidateRect(state->window, NULL, FALSE);
    else if (state->active)
        InvalidateChangedTiles(state);
    if (state->matchCount > 0)
        GoToMatch(state, 1, true);
    if (hadNoMatch != (state->active && state->matchCount == 0))
        InvalidateRect(state->field, NULL, TRUE);   // its colour tells of no match
    ShowCount(state);
}

static void CloseBar(FindBarState* state)
{
    if (!state->open)
        return;
    HWND focus = GetFocus();
    bool hadKeyboard = focus == state->bar || IsChild(state->bar, focus);
    bool wasActive = state->active;
    state->open = false;
    state->active = false;
    state->matchCount = 0;
    ShowWindow(state->bar, SW_HIDE);
    SetWindowTextW(state->field, L"");   // the text typed is not kept
    SetWindowTextW(state->count, L"");
    if (wasActive)
        InvalidateRect(state->window, NULL, FALSE);
    if (hadKeyboard)
        SetFocus(state->window);
}

void CloseFindBar(HWND window)
{
    FindBarState* state = BarState(window);
    if (state != NULL)
        CloseBar(state);
}

// Enter: closes the bar and runs the selected match through Return's own path, so that it runs
// exactly as Return runs a tile. With no match selected, nothing happens.
static void RunSelectedMatch(FindBarState* state)
{
    if (!SelectionIsMatch(state))
        return;
    HWND window = state->window;
    CloseBar(state);
    SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
}

static void StepMatch(FindBarState* state, int step)
{
    if (!state->active || state->matchCount == 0)
        return;
    GoToMatch(state, step, false);
    ShowCount(state);
}

// The field's own keys; true when the key was taken here.
static bool OnFieldKey(FindBarState* state, WPARAM key)
{
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    switch (key) {
    case VK_RETURN: RunSelectedMatch(state); return true;
    case VK_ESCAPE: CloseBar(state); return true;
    case VK_DOWN:   StepMatch(state, 1); return true;
    case VK_UP:     StepMatch(state, -1); return true;
    case VK_F3:     StepMatch(state, shift ? -1 : 1); return true;
    default:        return false;
    }
}

static LRESULT CALLBACK FieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    FindBarState* state = (FindBarState*)GetWindowLongPtrW(field, GWLP_USERDATA);
    switch (message) {
    case WM_KEYDOWN:
        if (OnFieldKey(state, wParam))
            return 0;
        break;
    case WM_CHAR:
        // Return and Esc did their work as keys: their characters would only beep.
        if (wParam == L'\r' || wParam == L'\n' || wParam == VK_ESCAPE)
            return 0;
        if (wParam == FindKeyCharacter) {
            SendMessageW(field, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    }
    return CallWindowProcW(state->fieldProc, field, message, wParam, lParam);
}

static LRESULT CALLBACK FindBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    FindBarState* state = (FindBarState*)GetWindowLongPtrW(bar, GWLP_USERDATA);
    switch (message) {
    case WM_COMMAND:
        if (state != NULL && (HWND)lParam == state->field && HIWORD(wParam) == EN_CHANGE) {
            OnFieldChanged(state);
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
        if (state != NULL && state->active && state->matchCount == 0) {
            HDC dc = (HDC)wParam;
            SetBkColor(dc, NoMatchColor);
            SetDCBrushColor(dc, NoMatchColor);
            return (LRESULT)GetStockObject(DC_BRUSH);
        }
        break;
    case WM_NCDESTROY:
        // The controls are gone already; the main window still stands.
        if (state != NULL) {
            if (BarState(state->window) == state)
                RemovePropW(state->window, StateProperty);
            SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
            HeapFree(GetProcessHeap(), 0, state);
        }
        break;
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

static bool RegisterBarClass(HINSTANCE instance)
{
    WNDCLASSEXW barClass = {};
    barClass.cbSize = sizeof(barClass);
    if (GetClassInfoExW(instance, FindBarClassName, &barClass))
        return true;
    barClass.cbSize = sizeof(barClass);
    barClass.lpfnWndProc = FindBarProc;
    barClass.hInstance = instance;
    barClass.hCursor = LoadCursorW(NULL, IDC_ARROW);
    barClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    barClass.lpszClassName = FindBarClassName;
    return RegisterClassExW(&barClass) != 0;
}

static HWND MakeControl(FindBarState* state, DWORD extendedStyle, const wchar_t* className, const wchar_t* text,
                        DWORD style, int x, int y, int width, int height)
{
    HWND control = CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   state->bar, NULL, (HINSTANCE)GetWindowLongPtrW(state->bar, GWLP_HINSTANCE), NULL);
    if (control != NULL)
        SendMessageW(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return control;
}

// The label, the field and the count, laid out for the dialog font: created in this order,
// so that the label is the one before the field, where screen readers look for its name.
static bool MakeControls(FindBarState* state)
{
    HDC dc = GetDC(state->bar);
    HGDIOBJ originalFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SIZE label = {}, count = {};
    GetTextExtentPoint32W(dc, FieldLabel, (int)wcslen(FieldLabel), &label);
    GetTextExtentPoint32W(dc, L"0000 matches", 12, &count);
    SelectObject(dc, originalFont);
    ReleaseDC(state->bar, dc);

    int fieldHeight = metrics.tmHeight + 8;   // the text and the sunken edge round it
    state->height = fieldHeight + 2 * Padding;
    int textTop = Padding + (fieldHeight - metrics.tmHeight) / 2;
    int x = Spacing;
    state->label = MakeControl(state, 0, L"STATIC", FieldLabel, SS_LEFT | SS_NOPREFIX, x, textTop, label.cx,
                               metrics.tmHeight);
    x += label.cx + Spacing;
    state->field = MakeControl(state, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, x, Padding, FieldWidth,
                               fieldHeight);
    x += FieldWidth + Spacing;
    state->count = MakeControl(state, 0, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, x, textTop, count.cx + Spacing,
                               metrics.tmHeight);
    if (state->label == NULL || state->field == NULL || state->count == NULL)
        return false;
    SendMessageW(state->field, EM_LIMITTEXT, FieldCapacity - 1, 0);
    SetWindowLongPtrW(state->field, GWLP_USERDATA, (LONG_PTR)state);
    state->fieldProc = (WNDPROC)SetWindowLongPtrW(state->field, GWLP_WNDPROC, (LONG_PTR)FieldProc);
    return state->fieldProc != NULL;
}

// The window's bar, made hidden on first use.
static FindBarState* MakeBar(HWND window)
{
    FindBarState* state = BarState(window);
    if (state != NULL)
        return state;
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE);
    if (!RegisterBarClass(instance))
        return NULL;
    state = (FindBarState*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FindBarState));
    if (state == NULL)
        return NULL;
    state->window = window;
    state->bar = CreateWindowExW(0, FindBarClassName, FindBarName, WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, window,
                                 (HMENU)(INT_PTR)FindBarControlId, instance, NULL);
    if (state->bar == NULL) {
        HeapFree(GetProcessHeap(), 0, state);
        return NULL;
    }
    // From here on the bar frees the state when it goes.
    SetWindowLongPtrW(state->bar, GWLP_USERDATA, (LONG_PTR)state);
    if (!SetPropW(window, StateProperty, state) || !MakeControls(state)) {
        DestroyWindow(state->bar);
        return NULL;
    }
    return state;
}

// Puts the bar on the bottom edge and has it drawn whole: bits copied from where it stood would
// bring along whatever the window's new size left there (pieces of a scroll bar, black gaps).
static void PlaceBar(FindBarState* state)
{
    RECT client;
    if (!GetClientRect(state->window, &client))
        return;
    SetWindowPos(state->bar, HWND_TOP, 0, client.bottom - state->height, client.right, state->height,
                 SWP_NOACTIVATE | SWP_NOCOPYBITS);
    RedrawWindow(state->bar, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void OpenFindBar(HWND window)
{
    FindBarState* state = MakeBar(window);
    if (state == NULL)
        return;
    if (!state->open) {
        state->open = true;
        PlaceBar(state);
        ShowWindow(state->bar, SW_SHOWNA);
    }
    SetFocus(state->field);
    SendMessageW(state->field, EM_SETSEL, 0, -1);
}

void UpdateFindBarOn(HWND window, UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_DROPFILES:
        CloseFindBar(window);
        break;
    case WM_SIZE:
        if (FindBarState* state = BarState(window))
            if (state->open)
                PlaceBar(state);
        break;
    }
}

LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    FindBarState* state = BarState(window);
    if (state != NULL && state->open && LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) {
        SetFocus(state->field);
        return 0;
    }
    return DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
}
