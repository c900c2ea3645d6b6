// The find bar: its match rule, its keys through the real window procedures (every key goes
// where the keyboard is), the picture while it is open, and what screen readers get.
#include <gtest/gtest.h>

#include <oleacc.h>

#include "TestSupport.h"
#include "model/FindMatch.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/FindBar.h"
#include "view/Paint.h"
#include "view/Scroll.h"

static const IID IidAccessible = { 0x618736e0, 0x3c3d, 0x11cf, { 0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 } };

TEST(FindMatchTest, NamesAndTargetsContainingTheTextIgnoringCaseAsTheFileSystemDoes)
{
    const struct { const wchar_t *name, *path; int filled; const wchar_t* text; bool match; } cases[] = {
        { L"Notepad", L"C:\\Windows\\notepad.exe", 1, L"NOTE", true },
        { L"Tools", L"C:\\Apps\\Tools\\x.exe", 1, L"\\tools\\", true },      // a part of the target
        { L"Registry    Editor", L"C:\\r.exe", 1, L"y e", true },           // a name over two lines
        { L"Registry    Editor", L"C:\\r.exe", 1, L"y    e", false },       // ... read as one
        { L"Budget 2026 quarterly", L"C:\\b.csv", 1, L"6 q", true },        // one run cut by the tile
        { L"\x00E9t\x00E9", L"C:\\x", 1, L"\x00C9T\x00C9", true },          // beyond ASCII, as file names
        { L"Stra\x00DF" L"e", L"C:\\x", 1, L"STRASSE", false },             // no linguistic rules
        { L"Notes", L"C:\\notes.txt", 0, L"notes", false },                 // an empty tile never matches
        { L"Notes", L"C:\\notes.txt", 1, L"", false },
        { L"Notes", L"C:\\n.txt", 1, L"C:\\n.txt and more", false },        // longer than both texts
    };
    for (const auto& c : cases) {
        Tile tile = {};
        wcscpy_s(tile.name, c.name);
        wcscpy_s(tile.path, c.path);
        tile.filled = c.filled;
        EXPECT_EQ(TileMatchesFind(&tile, c.text, (int)wcslen(c.text)), c.match) << c.name << " / " << c.text;
    }
}

TEST(FindMatchTest, OnlyTheGridInUseCountsAndStepsWrapInReadingOrder)
{
    ResetProgramState();   // 6 x 8
    const std::pair<int, int> places[] = { { 1, 2 }, { 3, 8 }, { 6, 8 }, { 7, 1 }, { 1, 9 } };
    for (const auto& at : places)
        FillTile(TileAt(at.first, at.second), L"C:\\docs\\a.txt", L"Doc", 0);
    static unsigned char matches[MaxRows * MaxColumns];
    ASSERT_EQ(FindMatchingTiles(L"DOCS", matches), 3) << "(7, 1) and (1, 9) lie outside the grid in use";
    EXPECT_EQ(matches[6 * MaxColumns], 0);
    EXPECT_EQ(FindMatchingTiles(L"", matches), 0);
    FindMatchingTiles(L"docs", matches);

    const struct { int row, column, step; bool itself; int toRow, toColumn; } steps[] = {
        { 3, 8, 1, true, 3, 8 }, { 3, 8, 1, false, 6, 8 }, { 6, 8, 1, false, 1, 2 }, { 1, 2, -1, false, 6, 8 },
        { 1, 1, -1, true, 6, 8 }, { 4, 1, -1, false, 3, 8 }, { 7, 1, 1, true, 1, 2 }, { 7, 1, -1, false, 6, 8 },
    };
    for (const auto& s : steps) {
        int row = s.row, column = s.column;
        EXPECT_EQ(StepToMatch(matches, &row, &column, s.step, s.itself), 0);
        EXPECT_EQ(row * 100 + column, s.toRow * 100 + s.toColumn) << s.row << "," << s.column << " step " << s.step;
    }
    FindMatchingTiles(L"nowhere", matches);
    int row = 2, column = 2;
    EXPECT_EQ(StepToMatch(matches, &row, &column, 1, true), 1);
    EXPECT_EQ(row * 100 + column, 202);
}

class FindBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        mark = CopyMarkProgram(folder);
        FillTile(TileAt(1, 1), L"C:\\docs\\budget.csv", L"Budget 2026", 0);
        FillTile(TileAt(2, 3), L"C:\\docs\\notes.txt", L"Notes", 0);
        FillTile(TileAt(5, 2), mark.c_str(), L"Mail", TileKind::Program);
        FillTile(TileAt(7, 1), L"C:\\docs\\far.txt", L"Far", 0);   // outside the grid in use
        MoveSelection(3, 1);
        ASSERT_NE(CreateTestMainWindowWithClient(500, 400), nullptr);
        ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
        SetForegroundWindow(MainWindow);
        PumpMessages();
        ASSERT_EQ(GetFocus(), MainWindow);
    }
    void TearDown() override
    {
        Hold(false);
        DestroyTestMainWindow();
    }
    static void Hold(bool shift)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    // A key as the system delivers it: to the window with the keyboard, its character after it.
    static void Press(WPARAM key, wchar_t character = 0)
    {
        HWND focus = GetFocus();
        SendMessageW(focus, WM_KEYDOWN, key, 0);
        if (character != 0)
            SendMessageW(focus, WM_CHAR, character, 0);
    }
    static void Type(const wchar_t* text)
    {
        for (; *text != 0; text++)
            SendMessageW(GetFocus(), WM_CHAR, *text, 0);
    }
    static std::wstring Count()
    {
        wchar_t text[64] = L"";
        GetWindowTextW(FindBarCount(MainWindow), text, 64);
        return text;
    }
    static int Selected() { return AppSettings.selectedRow * 100 + AppSettings.selectedColumn; }
    TestFolder folder;
    std::wstring mark;
};

TEST_F(FindBarTest, TypingAndTheKeysGoFromMatchToMatchAndEscGivesTheKeyboardBack)
{
    TileEventRecorder recorder;
    TileEvents& tileEvents = recorder.events;
    MessageBoxCatcher boxes;
    Type(L"\x0006");   // Ctrl+F
    ASSERT_TRUE(FindBarIsOpen(MainWindow));
    ASSERT_EQ(GetFocus(), FindBarField(MainWindow));
    tileEvents.clear();

    // The first match at or after (3, 1) wraps to (1, 1); the keys go on, wrapping both ways.
    const struct { WPARAM key; bool shift; const wchar_t* typed; int selected; const wchar_t* count; } steps[] = {
        { 0, false, L"DOCS", 101, L"1 of 2" },   { VK_DOWN, false, NULL, 203, L"2 of 2" },
        { VK_DOWN, false, NULL, 101, L"1 of 2" }, { VK_UP, false, NULL, 203, L"2 of 2" },
        { VK_F3, false, NULL, 101, L"1 of 2" },  { VK_F3, true, NULL, 203, L"2 of 2" },
        { 0, false, L"x", 203, L"No match" },     { VK_DOWN, false, NULL, 203, L"No match" },
        { 0, false, L"\b", 203, L"2 of 2" },     { 0, false, L"\b\b\b\bnot", 203, L"1 of 1" },
    };
    for (const auto& s : steps) {
        Hold(s.shift);
        if (s.key != 0)
            SendMessageW(GetFocus(), WM_KEYDOWN, s.key, 0);
        if (s.typed != NULL)
            Type(s.typed);
        EXPECT_EQ(Selected(), s.selected) << (s.typed ? "typed" : "key ") << s.key;
        EXPECT_EQ(Count(), s.count) << (s.typed ? "typed" : "key ") << s.key;
    }
    Hold(false);
    EXPECT_TRUE(boxes.boxes.empty()) << "no match is told without a box";
    PumpMessages();
    // Selection events for the six moves, and no focus event: the field has the keyboard.
    const std::pair<DWORD, LONG> first = { EVENT_OBJECT_SELECTION, 1 }, second = { EVENT_OBJECT_SELECTION, 11 };
    EXPECT_EQ(tileEvents, (TileEvents{ first, second, first, second, first, second }));

    // The field and the count as a screen reader reads them, through the system's proxies.
    auto accessibleName = [](HWND control) {
        IAccessible* object = NULL;
        VARIANT self = {};
        self.vt = VT_I4;
        BSTR name = NULL;
        if (AccessibleObjectFromWindow(control, (DWORD)OBJID_CLIENT, IidAccessible, (void**)&object) == S_OK) {
            object->get_accName(self, &name);
            object->Release();
        }
        std::wstring text = name != NULL ? name : L"(none)";
        SysFreeString(name);
        return text;
    };
    EXPECT_EQ(accessibleName(FindBarField(MainWindow)), L"Find a tile");
    EXPECT_EQ(accessibleName(FindBarCount(MainWindow)), L"1 of 1");

    // Another program in front and back again: the keyboard returns to the field.
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500, 300, 200, NULL,
                                 NULL, NULL, NULL);
    SetForegroundWindow(other);
    PumpMessages();
    SetForegroundWindow(MainWindow);
    PumpMessages();
    EXPECT_EQ(GetFocus(), FindBarField(MainWindow));
    DestroyWindow(other);

    // Esc closes the bar; the selection stays on the match and the window has the keyboard,
    // which tells screen readers of that tile.
    tileEvents.clear();
    Press(VK_ESCAPE, 0x1B);
    PumpMessages();
    EXPECT_FALSE(FindBarIsOpen(MainWindow));
    EXPECT_EQ(GetFocus(), MainWindow);
    EXPECT_EQ(Selected(), 203);
    EXPECT_EQ(tileEvents, (TileEvents{ { EVENT_OBJECT_FOCUS, 11 } }));

    // With the bar closed the characters keep their meaning: the letter search.
    Type(L"m");
    EXPECT_EQ(Selected(), 502);
    Type(L"\x0006");
    EXPECT_EQ(Count(), L"") << "a bar opened again starts empty";
    EXPECT_EQ(GetWindowTextLengthW(FindBarField(MainWindow)), 0);
}

TEST_F(FindBarTest, EnterRunsTheSelectedMatchOnceAndOnlyAMatch)
{
    Type(L"\x0006zzz");
    Press(VK_RETURN, L'\r');
    EXPECT_TRUE(FindBarIsOpen(MainWindow)) << "no match: nothing to run";
    Type(L"\b\b\bMAIL");
    EXPECT_EQ(Selected(), 502);
    Press(VK_RETURN, L'\r');
    PumpMessages();
    EXPECT_FALSE(FindBarIsOpen(MainWindow));
    EXPECT_EQ(GetFocus(), MainWindow);
    EXPECT_EQ(MarkCount(mark, 1, 500), 1);
}

TEST_F(FindBarTest, MatchesShowAboveTheBarOthersDimmedUntilAClickOnTheGridClosesIt)
{
    DestroyTestMainWindow();
    AppSettings.rows = 20;
    AppSettings.columns = 30;
    FillTile(TileAt(4, 5), L"C:\\docs\\low.txt", L"Low", 0);
    MoveSelection(3, 1);
    ASSERT_NE(CreateTestMainWindowWithClient(500, 400), nullptr);
    ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
    SetForegroundWindow(MainWindow);
    PumpMessages();

    // Row 4 ends 21 pixels below the client: it comes up until it clears the bar.
    Type(L"\x0006low");
    ASSERT_EQ(Selected(), 405);
    RECT tile, bar, client;
    ASSERT_EQ(TileRect(4, 5, &tile), 0);
    GetWindowRect(GetParent(FindBarField(MainWindow)), &bar);
    MapWindowPoints(NULL, MainWindow, (POINT*)&bar, 2);
    GetClientRect(MainWindow, &client);
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(tile.bottom, bar.top) << "the smallest move that shows the whole tile";

    // Dimmed: every tile that is no match, empty tiles too; the match keeps its colours.
    Type(L"\b\b\bnotes");
    ASSERT_EQ(Selected(), 203);
    SendMessageW(MainWindow, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(MainWindow, WM_HSCROLL, SB_LEFT, 0);
    int scrollH = ReadScrollPosition(SB_HORZ), scrollV = ReadScrollPosition(SB_VERT);
    auto pixelOf = [&](int row, int column) {
        DibCanvas canvas(client.right, client.bottom);
        ComposeFrame(canvas.dc, &client, TRUE, scrollH, scrollV);
        RECT r;
        TileRectAt(row, column, scrollH, scrollV, &r);
        return canvas.Pixel(r.left + 20, r.top + 20);
    };
    EXPECT_EQ(pixelOf(2, 3), EmptyTileColor);   // FillTile's colour
    COLORREF dimmed = pixelOf(1, 1);
    EXPECT_LT(GetGValue(dimmed), 0x32);
    EXPECT_GT(GetGValue(dimmed), 0);
    EXPECT_EQ(pixelOf(3, 3), dimmed) << "an empty tile is no match either";
    DibCanvas shortOfMemory(client.right, client.bottom);
    int objects = GdiObjectCount();
    {
        ImportPatch noDc("gdi32.dll", "CreateCompatibleDC", (void*)+[](HDC) -> HDC { return NULL; });
        ComposeFrame(shortOfMemory.dc, &client, TRUE, scrollH, scrollV);
    }
    EXPECT_EQ(GdiObjectCount(), objects) << "short of memory, the dimmed tiles lose no bitmap";

    // A Ctrl+click on the grid closes the bar and selects, as it always does.
    ASSERT_EQ(TileRectAt(3, 3, scrollH, scrollV, &tile), 0);
    SendMessageW(MainWindow, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(tile.left + 5, tile.top + 5));
    EXPECT_FALSE(FindBarIsOpen(MainWindow));
    EXPECT_EQ(GetFocus(), MainWindow);
    EXPECT_EQ(Selected(), 303);
    EXPECT_EQ(pixelOf(1, 1), EmptyTileColor) << "the normal picture again";
}

TEST_F(FindBarTest, ScreenReadersGoFromTheLastTileToTheBarAndTakeTheKeyboardBackToTheGrid)
{
    IAccessible* list = NULL;
    ASSERT_EQ(AccessibleObjectFromWindow(MainWindow, (DWORD)OBJID_CLIENT, IidAccessible, (void**)&list), S_OK);
    VARIANT tile = {}, next = {}, focus = {}, hit = {};
    tile.vt = VT_I4;
    tile.lVal = 48;
    Type(L"\x0006notes");
    RECT bar;
    GetWindowRect(OpenFindBarWindow(MainWindow), &bar);   // over tile (4, 1)
    EXPECT_EQ(list->accNavigate(NAVDIR_NEXT, tile, &next), S_OK);
    EXPECT_EQ(list->get_accFocus(&focus), S_OK) << "the field has the keyboard";
    EXPECT_EQ(list->accHitTest(bar.left + 60, bar.top + 5, &hit), S_OK);
    EXPECT_EQ((std::vector<VARTYPE>{ next.vt, focus.vt, hit.vt }), std::vector<VARTYPE>(3, VT_DISPATCH)) << "the bar";
    VariantClear(&next);
    VariantClear(&focus);
    VariantClear(&hit);
    tile.lVal = 1;
    EXPECT_EQ(list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, tile), S_OK);
    EXPECT_EQ(GetFocus(), MainWindow);
    list->Release();
}
