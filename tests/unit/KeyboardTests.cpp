// The key table, the selection keys on a real window, and the letter search.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/Keyboard.h"

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override
    {
        Hold(false, false);
        DestroyTestMainWindow();
    }
    void Open(int rows = 6, int columns = 8)
    {
        AppSettings.rows = rows;
        AppSettings.columns = columns;
        ASSERT_NE(CreateTestMainWindowWithClient(500, 400), nullptr);
    }
    static void Hold(bool shift, bool control)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    static void Key(int key) { EXPECT_EQ(SendMessageW(MainWindow, WM_KEYDOWN, (WPARAM)key, 0), 0); }
    static void Select(int row, int column) { MoveSelection(row, column); }
    static void ExpectSelected(int row, int column)
    {
        EXPECT_EQ(AppSettings.selectedRow, row);
        EXPECT_EQ(AppSettings.selectedColumn, column);
        int flags = 0;
        for (const Tile& tile : TileGrid)
            flags += tile.selected;
        EXPECT_EQ(flags, 1);
        EXPECT_EQ(TileAt(row, column)->selected, 1);
    }
};

TEST_F(KeyboardTest, ArrowsWrapWithinTheirRowOrColumn)
{
    Open();
    const struct { int fromRow, fromColumn, key, toRow, toColumn; } moves[] = {
        { 1, 3, VK_UP, 6, 3 }, { 6, 3, VK_DOWN, 1, 3 }, { 2, 1, VK_LEFT, 2, 8 }, { 2, 8, VK_RIGHT, 2, 1 },
        { 3, 4, VK_DOWN, 4, 4 }, { 3, 4, VK_LEFT, 3, 3 },
    };
    for (const auto& m : moves) {
        Select(m.fromRow, m.fromColumn);
        Key(m.key);
        ExpectSelected(m.toRow, m.toColumn);
    }
    // The view follows: row 6 lies below a 400-pixel client.
    Select(1, 3);
    Key(VK_UP);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 627 - 400);

    DestroyTestMainWindow();
    ResetProgramState();
    Open(1, 8);
    Key(VK_UP);
    ExpectSelected(1, 1);
    Key(VK_DOWN);
    ExpectSelected(1, 1);
}

TEST_F(KeyboardTest, ModifiedArrowsAndPageKeysOnlyScroll)
{
    Open();
    Select(2, 2);
    Hold(false, true);
    Key(VK_DOWN);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 103);
    Hold(true, true);
    Key(VK_UP);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 102) << "Shift wins: one pixel";
    Hold(false, false);
    Key(VK_NEXT);
    Key(VK_NEXT);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 248);
    Key(VK_PRIOR);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 145);
    ExpectSelected(2, 2);
}

TEST_F(KeyboardTest, HomeAndEndSelectAndShowTheCorners)
{
    Open(20, 30);
    Select(5, 5);
    Key(VK_END);
    ExpectSelected(20, 30);
    RECT r;
    ASSERT_EQ(TileRect(20, 30, &r), 0);
    EXPECT_EQ(r.right, 500 - 21);
    EXPECT_EQ(r.bottom, 400 - 21);
    Key(VK_HOME);
    ExpectSelected(1, 1);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 0);
    EXPECT_EQ(ReadScrollPosition(SB_HORZ), 0);
}

// Return and Space click the selected tile's centre through the real button handlers, also
// when the tile is scrolled above and left of the view and its centre is negative.
TEST_F(KeyboardTest, ReturnRunsAndSpaceOpensTheMenuOfTheSelectedTileEvenOutOfView)
{
    Open();
    TestFolder folder;
    std::wstring mark = CopyMarkProgram(folder);
    FillTile(TileAt(1, 1), mark.c_str(), L"Mark", TileKind::Program);
    auto scrollAway = [] {
        SendMessageW(MainWindow, WM_VSCROLL, SB_BOTTOM, 0);
        SendMessageW(MainWindow, WM_HSCROLL, SB_RIGHT, 0);
        RECT r;
        ASSERT_EQ(TileRect(1, 1, &r), 0);
        ASSERT_LT(r.bottom, 0);
        ASSERT_LT(r.right, 0);
    };
    scrollAway();
    Key(VK_RETURN);
    EXPECT_EQ(MarkCount(mark), 1);
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 10) << "the clicked tile comes into view, its top first";

    scrollAway();
    ModalDriver driver;
    Key(VK_SPACE);
    ASSERT_EQ(driver.menus.size(), 1u);
    EXPECT_EQ(driver.menus[0].items[1].second, L"Run as Administrator") << "the menu of the program tile";
    EXPECT_EQ(AppSettings.contextRow, 1);
    EXPECT_EQ(AppSettings.contextColumn, 1);
    AppSettings.selectedRow = 7;   // outside the grid in use: no click at all
    Key(VK_SPACE);
    EXPECT_EQ(driver.menus.size(), 1u);
}

TEST_F(KeyboardTest, LetterSearchFollowsReadingOrderAfterTheSelection)
{
    Open();
    wcscpy_s(TileAt(1, 1)->name, L"alpha");
    wcscpy_s(TileAt(1, 2)->name, L"Beta");
    wcscpy_s(TileAt(1, 3)->name, L"  apple");
    wcscpy_s(TileAt(6, 8)->name, L"\x00E9t\x00E9");
    wcscpy_s(TileAt(7, 1)->name, L"zulu");   // outside the grid in use

    const struct { wchar_t ch; int found, row, column; } steps[] = {
        { L'a', 1, 1, 3 }, { L'A', 1, 1, 1 }, { L'B', 1, 1, 2 }, { L'b', 1, 1, 2 }, { L'z', 0, 1, 2 },
        { L'\x00C9', 0, 1, 2 }, { L'\x00E9', 1, 6, 8 }, { L'b', 1, 1, 2 },
    };
    for (const auto& s : steps) {
        EXPECT_EQ(FindTileByLetter(s.ch), s.found) << (int)s.ch;
        ExpectSelected(s.row, s.column);
    }
    EXPECT_EQ(ReadScrollPosition(SB_VERT), 10) << "row 1 brought back into view";

    // Carriage return never searches; a name of blanks offers its last blank.
    wcscpy_s(TileAt(2, 2)->name, L"\r");
    SendMessageW(MainWindow, WM_CHAR, L'\r', 0);
    ExpectSelected(1, 2);
    wcscpy_s(TileAt(3, 3)->name, L"  ");
    SendMessageW(MainWindow, WM_CHAR, L' ', 0);
    ExpectSelected(3, 3);
}
