// The mouse buttons and the context menu, read from the menu the handler really builds.
#include <gtest/gtest.h>

#include <windowsx.h>

#include "TestSupport.h"
#include "commands/ContextMenu.h"
#include "commands/Mouse.h"
#include "model/TileGrid.h"

class ContextMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ASSERT_NE(CreateTestMainWindowWithClient(600, 500), nullptr);
        TileAt(2, 2)->kind = 0;
        FillTile(TileAt(2, 3), L"C:\\nowhere\\notes.txt", L"notes", 0);
        FillTile(TileAt(2, 4), L"C:\\nowhere\\tool.exe", L"Tool", 2);
    }
    void TearDown() override { DestroyTestMainWindow(); }

    static LPARAM Centre(int row, int column) { return MAKELPARAM(10 + (column - 1) * 103 + 51, 10 + (row - 1) * 103 + 51); }
    // Right-clicks and picks a command (0 dismisses); returns the menu that opened, if one did.
    static ModalDriver::Menu RightClick(LPARAM point, UINT pick = 0, WPARAM keys = 0)
    {
        ModalDriver driver;
        driver.onMenu = [pick](const ModalDriver::Menu&) { return pick; };
        SendMessageW(MainWindow, WM_RBUTTONDOWN, keys, point);
        return driver.menus.empty() ? ModalDriver::Menu() : driver.menus[0];
    }
    std::wstring ConfigPath() const { return folder.Join(L"Morrowtide\\Vantrel.cfg"); }
    TestFolder folder;
};

TEST_F(ContextMenuTest, TheMenuForEachKindOfClick)
{
    using Items = std::vector<std::pair<UINT, std::wstring>>;
    const Items program = { { CommandGridSize, L"Change Number of Rows or Columns" }, { CommandHotkey, L"Select Hotkey" },
                            { CommandRefresh, L"Refresh" }, { CommandRestoreEarlierTiles, L"Restore Earlier Tiles..." },
                            { 0, L"" }, { CommandAbout, L"About" },
                            { CommandHelp, L"Help" }, { 0, L"" }, { CommandDiagnostic, L"ID - Diagnostic" },
                            { CommandExit, L"Exit" } };
    auto with = [&](Items top) {
        top.push_back({ 0, L"" });
        top.insert(top.end(), program.begin(), program.end());
        return top;
    };
    const Items filled = { { CommandDeleteTile, L"Delete Tile" }, { CommandChangeName, L"Change Name of Tile" },
                           { CommandBackgroundColor, L"Change Background Color of Tile" },
                           { CommandTileInfo, L"Show Tile Info" } };
    Items programTile = filled;
    programTile.insert(programTile.begin() + 1, { CommandRunAsAdministrator, L"Run as Administrator" });

    ModalDriver::Menu menu = RightClick(MAKELPARAM(5, 5));
    EXPECT_EQ(menu.items, program);
    EXPECT_EQ(AppSettings.contextRow, 0);
    EXPECT_EQ(AppSettings.contextColumn, 0);
    EXPECT_EQ(AppSettings.selectedRow, 1) << "a click on no tile keeps the selection";
    // The window lies in the screen's top left quarter: the menu opens right of and below
    // the pointer, 5 pixels off.
    POINT pointer = { 5, 5 };
    ClientToScreen(MainWindow, &pointer);
    EXPECT_EQ(menu.rect.left, pointer.x + 5);
    EXPECT_EQ(menu.rect.top, pointer.y + 5);

    EXPECT_EQ(RightClick(Centre(2, 2)).items,
              with({ { CommandSelectFolder, L"Select a Folder" }, { CommandEnterTarget, L"Enter a Path, URL, or Shortcut" } }));
    EXPECT_EQ(RightClick(Centre(2, 3)).items, with(filled));
    // The one-pixel gap right of a tile belongs to it.
    EXPECT_EQ(RightClick(MAKELPARAM(10 + 3 * 103 + 102, 10 + 103 + 40)).items, with(programTile));
    EXPECT_EQ(AppSettings.contextRow, 2);
    EXPECT_EQ(AppSettings.contextColumn, 4);
    EXPECT_EQ(AppSettings.selectedColumn, 4);
    EXPECT_EQ(TileAt(2, 3)->selected, 0);
}

TEST(MenuPlacementTest, OpensTowardsTheScreensCentre)
{
    const struct { int x, y, menuX, menuY; UINT alignment; } cases[] = {
        { 100, 100, 105, 105, TPM_LEFTALIGN | TPM_TOPALIGN },
        { 1000, 100, 995, 105, TPM_RIGHTALIGN | TPM_TOPALIGN },
        { 100, 900, 105, 895, TPM_LEFTALIGN | TPM_BOTTOMALIGN },
        { 1000, 900, 995, 895, TPM_RIGHTALIGN | TPM_BOTTOMALIGN },
        { 640, 512, 635, 507, TPM_RIGHTALIGN | TPM_BOTTOMALIGN },   // the exact middle counts as right and below
        { 639, 511, 644, 516, TPM_LEFTALIGN | TPM_TOPALIGN },
    };
    for (const auto& c : cases) {
        ContextMenuPlacement p = PlaceContextMenu(c.x, c.y, 1280, 1024);
        EXPECT_EQ(p.x, c.menuX) << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.menuY) << c.x << "," << c.y;
        EXPECT_EQ(p.alignment, c.alignment) << c.x << "," << c.y;
    }
}

TEST_F(ContextMenuTest, DeleteAsksFirstAndOnlyYesEmptiesAndWrites)
{
    MoveSelection(2, 3);
    {
        MessageBoxCatcher no(IDNO);
        RightClick(Centre(2, 3), CommandDeleteTile);
        ASSERT_EQ(no.boxes.size(), 1u);
        EXPECT_EQ(no.boxes[0].caption, L"Delete Tile");
        EXPECT_EQ(no.boxes[0].text, L"Are you sure you want to delete the tile:\n\n   notes");
    }
    RightClick(Centre(2, 3));   // dismissed
    EXPECT_EQ(TileAt(2, 3)->filled, 1);
    EXPECT_FALSE(FileExists(ConfigPath())) << "No and a dismissed menu write nothing";

    MessageBoxCatcher yes(IDYES);
    RightClick(Centre(2, 3), CommandDeleteTile);
    const Tile* tile = TileAt(2, 3);
    EXPECT_EQ(tile->filled, 0);
    EXPECT_EQ(tile->path[0], L'\0');
    EXPECT_EQ(tile->selected, 1) << "the emptied tile stays selected";
    std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_NE(saved.find(Utf16FileBytes(L"2,4,2,").substr(2)), std::string::npos);
    EXPECT_EQ(saved.find(Utf16FileBytes(L"2,3,").substr(2)), std::string::npos);

    // A name too long for the question is shortened, never allowed to overflow it.
    std::wstring name(500, L'n');
    FillTile(TileAt(2, 3), L"C:\\nowhere\\x", name.c_str(), 0);
    CarryOutCommand(MainWindow, CommandDeleteTile);
    ASSERT_EQ(yes.boxes.size(), 2u);
    EXPECT_EQ(yes.boxes[1].text.size(), 359u);
    EXPECT_TRUE(yes.boxes[1].text.compare(356, 3, L"...") == 0);
}

TEST_F(ContextMenuTest, TheColourDialogChangesTheColourOnlyWhenConfirmed)
{
    AppSettings.contextRow = 2;
    AppSettings.contextColumn = 3;
    ModalDriver driver;
    driver.onDialog = [](HWND d) { PressButton(d, IDCANCEL); };
    CarryOutCommand(MainWindow, CommandBackgroundColor);
    EXPECT_EQ(TileAt(2, 3)->backColor, 0x323232u);
    EXPECT_FALSE(FileExists(ConfigPath()));

    AppSettings.customColors[0] = 0x123456;
    driver.onDialog = [](HWND d) {
        SetDlgItemTextW(d, 706, L"200");   // red
        SetDlgItemTextW(d, 707, L"10");    // green
        PressButton(d, IDOK);
    };
    CarryOutCommand(MainWindow, CommandBackgroundColor);
    EXPECT_EQ(TileAt(2, 3)->backColor, RGB(200, 10, 50));
    EXPECT_EQ(AppSettings.customColors[0], 0x123456u);
    EXPECT_TRUE(FileExists(ConfigPath()));
    EXPECT_EQ(driver.dialogs.size(), 2u);
}

TEST_F(ContextMenuTest, ModifiedClicksSelectOrTellTheLocation)
{
    {
        MessageBoxCatcher catcher;
        RightClick(Centre(2, 5), 0, MK_SHIFT);
        RightClick(MAKELPARAM(5, 5), 0, MK_CONTROL);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].caption, L"Location of the Tile you Clicked");
        EXPECT_EQ(catcher.boxes[0].text, L"Row,Column  =  2,5");
        EXPECT_EQ(catcher.boxes[0].owner, MainWindow);
    }
    EXPECT_EQ(AppSettings.selectedRow, 1);
    EXPECT_EQ(AppSettings.contextRow, 0);

    // Ctrl + left click on a filled tile selects it and runs nothing; a click in the
    // margin changes nothing.
    MessageBoxCatcher catcher;
    SendMessageW(MainWindow, WM_LBUTTONDOWN, MK_CONTROL, Centre(2, 3));
    EXPECT_EQ(AppSettings.selectedRow, 2);
    EXPECT_EQ(AppSettings.selectedColumn, 3);
    SendMessageW(MainWindow, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 300));
    EXPECT_EQ(AppSettings.selectedColumn, 3);
    EXPECT_TRUE(catcher.boxes.empty());
    // A plain left click runs the filled tile: here a missing one, so the failure box.
    SendMessageW(MainWindow, WM_LBUTTONDOWN, 0, Centre(2, 4));
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_TRUE(StartsWith(catcher.boxes[0].text, L"ShellExecuteW()"));
}

// The class takes no double clicks: a double click is two button-downs, and runs once; two
// clicks the system would not pair run twice. Each run of the missing target is one failure
// box. The clicks are posted, each with its own message time, and handled together.
TEST_F(ContextMenuTest, ADoubleClickRunsOnceAndClicksTheSystemWouldNotPairRunEach)
{
    const int nearX = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
    const int nearY = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    const DWORD late = GetDoubleClickTime() + 100;
    struct Click { int dx, dy; DWORD waitBefore; };
    const struct { const char* what; std::vector<Click> clicks; size_t runs; } cases[] = {
        { "a double click, the second at the edge of its rectangle", { { 0, 0, 0 }, { nearX, -nearY, 0 } }, 1 },
        { "farther across than half the rectangle", { { 0, 0, 0 }, { -nearX - 1, 0, 0 } }, 2 },
        { "farther down than half the rectangle", { { 0, 0, 0 }, { 0, nearY + 1, 0 } }, 2 },
        { "later than the double-click time", { { 0, 0, 0 }, { 0, 0, late } }, 2 },
        { "a third click runs again, and a fourth pairs with it", { { 0, 0, 0 }, { 0, 0, 0 }, { 0, 0, 0 }, { 0, 0, 0 } }, 2 },
    };
    for (const auto& c : cases) {
        ForgetLastClick();
        MessageBoxCatcher catcher;
        for (const Click& click : c.clicks) {
            Sleep(click.waitBefore);
            LPARAM centre = Centre(2, 4);
            PostMessageW(MainWindow, WM_LBUTTONDOWN, MK_LBUTTON,
                         MAKELPARAM(GET_X_LPARAM(centre) + click.dx, GET_Y_LPARAM(centre) + click.dy));
        }
        PumpMessages();
        EXPECT_EQ(catcher.boxes.size(), c.runs) << c.what;
    }
}

TEST_F(ContextMenuTest, ProgramCommandsRefreshExitDiagnoseAndRaiseTheHighWater)
{
    AppSettings.iconRefreshMode = 0;
    CarryOutCommand(MainWindow, CommandRefresh);
    EXPECT_EQ(AppSettings.iconRefreshMode, 1);
    {
        MessageBoxCatcher catcher;
        CarryOutCommand(MainWindow, CommandDiagnostic);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].caption, L"Vantrel Version:");
        EXPECT_EQ(catcher.boxes[0].text, L"commands_tests.exe");
    }
    wchar_t shortPath[8];
    ProgramFilePath(shortPath, 8);
    EXPECT_EQ(wcslen(shortPath), 7u) << "a path that fills the buffer is still terminated";

    AppSettings.iconRefreshMode = 0;
    {
        ModalDriver driver;
        driver.onDialog = [](HWND d) {
            SetDlgItemTextW(d, 1003, L"10");
            PressButton(d, 3);
        };
        CarryOutCommand(MainWindow, CommandGridSize);
    }
    EXPECT_EQ(AppSettings.rowsHighWater, 10);
    EXPECT_EQ(AppSettings.columnsHighWater, 8) << "from 1, as no file was loaded";
    EXPECT_EQ(AppSettings.iconRefreshMode, 2);
    EXPECT_TRUE(FileExists(ConfigPath()));

    RightClick(MAKELPARAM(5, 5), CommandExit);
    MSG close;
    EXPECT_TRUE(PeekMessageW(&close, MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}
