// Moving tiles with Alt and the arrows or by carrying them with the mouse, and taking changes
// back with Ctrl+Z, through the real window procedure; the saved file after each.
#include <gtest/gtest.h>

#include <windowsx.h>

#include "TestSupport.h"
#include "commands/Carry.h"
#include "commands/ContextMenu.h"
#include "config/ConfigFile.h"
#include "model/TileGrid.h"
#include "resources/resource.h"
#include "view/FindBar.h"
#include "view/Paint.h"

class ArrangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        window = CreateTestMainWindowWithClient(900, 700);
        ASSERT_NE(window, nullptr);
        FillTile(TileAt(1, 1), L"C:\\a.exe", L"Alpha", TileKind::Program);
        FillTile(TileAt(2, 4), L"C:\\c.txt", L"Charlie", TileKind::PlainFile);
    }
    void TearDown() override { DestroyTestMainWindow(); }

    // The tiles the saved file holds, "row,column,name" each, its selection, "row,column", and a
    // grid size other than 6 x 8.
    std::string Saved() const
    {
        std::string bytes = ReadFileBytes(folder.Join(L"Morrowtide\\Vantrel.cfg"));
        std::string text, result;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(bytes[i]);
        std::vector<std::string> lines;
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        if (lines.size() < 2)
            return "<no file>";
        size_t selection = lines[1].rfind(',', lines[1].rfind(',') - 1);
        size_t grid = lines[1].rfind(',', lines[1].rfind(',', selection - 1) - 1);
        result = "selected " + lines[1].substr(selection + 1);
        if (lines[1].substr(grid + 1, selection - grid - 1) != "6,8")
            result += " in " + lines[1].substr(grid + 1, selection - grid - 1);
        for (size_t i = 2; i < lines.size(); i++) {
            size_t kind = lines[i].find(',', lines[i].find(',') + 1);
            result += "; " + lines[i].substr(0, kind) + lines[i].substr(lines[i].rfind(','));
        }
        return result;
    }
    static LPARAM At(int row, int column, int dx = 0, int dy = 0)
    {
        return MAKELPARAM(10 + (column - 1) * 103 + 51 + dx, 10 + (row - 1) * 103 + 51 + dy);
    }
    void AltKey(WPARAM key) { SendMessageW(window, WM_SYSKEYDOWN, key, 0x20000001); }
    void Character(wchar_t c) { SendMessageW(window, WM_CHAR, c, 1); }

    TestFolder folder;
    HWND window = NULL;
};

TEST_F(ArrangeTest, AltAndTheArrowsMoveTheSelectedTileWrappingAsTheArrowsDo)
{
    const struct { int row, column; WPARAM key; const char* saved; } cases[] = {
        { 1, 1, VK_RIGHT, "selected 1,2; 1,2,Alpha; 2,4,Charlie" },
        { 1, 2, VK_UP, "selected 6,2; 2,4,Charlie; 6,2,Alpha" },           // wraps to the last row
        { 6, 2, VK_LEFT, "selected 6,1; 2,4,Charlie; 6,1,Alpha" },
        { 6, 1, VK_LEFT, "selected 6,8; 2,4,Charlie; 6,8,Alpha" },         // and to the last column
        { 2, 5, VK_LEFT, "selected 2,4; 2,5,Charlie; 6,8,Alpha" },         // an empty tile swaps too
    };
    for (const auto& c : cases) {
        MoveSelection(c.row, c.column);
        AltKey(c.key);
        EXPECT_EQ(Saved(), c.saved) << c.row << "," << c.column << " " << c.key;
        EXPECT_EQ(TileAt(AppSettings.selectedRow, AppSettings.selectedColumn)->selected, 1);
    }
    // Other keys with Alt, and an arrow without it, move nothing and save nothing.
    std::string before = Saved();
    MoveSelection(2, 5);
    AltKey('A');
    SendMessageW(window, WM_SYSKEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(Saved(), before);
    EXPECT_STREQ(TileAt(2, 5)->name, L"Charlie");
}

TEST_F(ArrangeTest, ACarriedTileLandsOnlyOnAnotherTileOfTheGrid)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    const int dragX = GetSystemMetrics(SM_CXDRAG);
    enum End { Release, Escape, CaptureTaken };
    const struct { const char* what; WPARAM modifier; LPARAM to; End end; const char* saved; } cases[] = {
        { "onto a filled tile", MK_CONTROL, At(2, 4), Release, "selected 2,4; 1,1,Charlie; 2,4,Alpha" },
        { "onto an empty tile", MK_SHIFT, At(3, 3), Release, "selected 3,3; 2,4,Charlie; 3,3,Alpha" },
        { "back onto itself", MK_CONTROL, At(1, 1, 1, 1), Release, nullptr },
        { "beside the grid", MK_CONTROL, MAKELPARAM(880, 40), Release, nullptr },
        { "outside the window", MK_CONTROL, MAKELPARAM(-30, 40), Release, nullptr },
        { "called off with Esc", MK_CONTROL, At(2, 4), Escape, nullptr },
        { "called off by a lost capture", MK_CONTROL, At(2, 4), CaptureTaken, nullptr },
        { "never out of the drag rectangle", MK_CONTROL, At(1, 1, dragX, 0), Release, nullptr },
    };
    for (const auto& c : cases) {
        FillTile(TileAt(1, 1), L"C:\\a.exe", L"Alpha", TileKind::Program);
        FillTile(TileAt(2, 4), L"C:\\c.txt", L"Charlie", TileKind::PlainFile);
        ClearTile(TileAt(3, 3));
        MoveSelection(4, 4);
        ASSERT_EQ(SaveConfig(), 0);
        std::string before = Saved();

        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | c.modifier, At(1, 1));
        EXPECT_EQ(GetCapture(), window) << c.what;
        EXPECT_EQ(AppSettings.selectedRow * 10 + AppSettings.selectedColumn, 11) << "the press selects: " << c.what;
        SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | c.modifier, c.to);
        if (c.end == Release && c.saved != nullptr) {
            CarriedTile shown = ShownCarriedTile();
            EXPECT_EQ(shown.row * 10 + shown.column, 11) << c.what;
            EXPECT_EQ(shown.landingRow * 10 + shown.landingColumn, GET_Y_LPARAM(c.to) / 103 * 10 + GET_X_LPARAM(c.to) / 103 + 11)
                << "the landing tile is marked: " << c.what;
        }
        if (c.end == Escape)
            SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1);
        if (c.end == CaptureTaken)
            SetCapture(other);
        SendMessageW(window, WM_LBUTTONUP, c.modifier, c.to);
        ReleaseCapture();
        EXPECT_EQ(Saved(), c.saved != nullptr ? c.saved : before) << c.what;
        EXPECT_EQ(ShownCarriedTile().row, 0) << "no picture left: " << c.what;
        EXPECT_FALSE(TileIsCarried()) << c.what;
    }
    DestroyWindow(other);
}

TEST_F(ArrangeTest, CtrlZTakesChangesBackAndCtrlYDoesThemAgain)
{
    MoveSelection(1, 1);
    AltKey(VK_RIGHT);                                                   // Alpha to (1, 2)
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, At(2, 4));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, At(5, 5));
    SendMessageW(window, WM_LBUTTONUP, MK_CONTROL, At(5, 5));           // Charlie to (5, 5)
    AppSettings.contextRow = 1;
    AppSettings.contextColumn = 2;
    {
        MessageBoxCatcher yes(IDYES);
        CarryOutCommand(window, CommandDeleteTile);                     // Alpha deleted
    }
    ASSERT_EQ(Saved(), "selected 5,5; 5,5,Charlie");
    // Each step taken back selects the first tile it changed: the tile moved from, or restored.
    const char* undone[] = { "selected 1,2; 1,2,Alpha; 5,5,Charlie", "selected 2,4; 1,2,Alpha; 2,4,Charlie",
                             "selected 1,1; 1,1,Alpha; 2,4,Charlie" };
    for (const char* expected : undone) {
        Character(26);
        EXPECT_EQ(Saved(), expected);
    }
    Character(26);   // nothing left: nothing changes
    EXPECT_EQ(Saved(), undone[2]);
    EXPECT_EQ(TileAt(1, 1)->iconIndex, 0) << "its icon is looked up again";

    Character(25);   // done again, the moved tile is selected where it landed
    EXPECT_EQ(Saved(), "selected 1,2; 1,2,Alpha; 2,4,Charlie");
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Character(26);   // Ctrl+Shift+Z does it again too
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(Saved(), "selected 5,5; 1,2,Alpha; 5,5,Charlie");
    // A new change ends what could be done again; other characters keep the letter search.
    MoveSelection(1, 2);
    AltKey(VK_DOWN);
    Character(25);
    EXPECT_EQ(Saved(), "selected 2,2; 2,2,Alpha; 5,5,Charlie");
    Character(L'c');
    EXPECT_EQ(AppSettings.selectedRow * 10 + AppSettings.selectedColumn, 55);
}

TEST_F(ArrangeTest, WhileATileIsCarriedOnlyEscActsAndALostActivationCallsItOff)
{
    AppSettings.rows = 10;   // a tile under the find bar
    MessageBoxCatcher boxes;
    const LPARAM overBar = MAKELPARAM(400, 690);
    const struct { const char* what; std::function<void()> act; bool carried, lands; } cases[] = {
        { "Ctrl+Z", [&] { Character(26); }, true, true },
        { "Ctrl+F", [&] { Character(6); }, true, true },
        { "Return", [&] { SendMessageW(window, WM_KEYDOWN, VK_RETURN, 1); Character(L'\r'); }, true, true },
        { "Alt+Right", [&] { AltKey(VK_RIGHT); }, true, true },
        { "Esc", [&] { SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1); }, false, false },
        // Another program in front while the button is held: the window keeps the mouse.
        { "deactivated", [&] { SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0); }, false, false },
        { "a release over the find bar", [&] { OpenFindBar(window); }, true, false },
    };
    for (const auto& c : cases) {
        LPARAM to = c.carried && !c.lands ? overBar : At(2, 3);
        FillTile(TileAt(1, 1), L"C:\\a.exe", L"Alpha", TileKind::Program);
        FillTile(TileAt(2, 4), L"C:\\c.txt", L"Charlie", TileKind::PlainFile);
        FillTile(TileAt(7, 4), L"C:\\d.txt", L"Delta", TileKind::PlainFile);
        ClearTile(TileAt(2, 3));
        MoveSelection(2, 4);
        AltKey(VK_LEFT);   // Charlie to (2, 3): a step that Ctrl+Z would take back
        std::string before = Saved();
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, At(1, 1));
        SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, to);
        c.act();
        EXPECT_EQ(Saved() + (FindBarIsOpen(window) ? " +bar" : ""), before + (to == overBar ? " +bar" : "")) << c.what;
        EXPECT_EQ(TileIsCarried(), c.carried) << c.what;
        SendMessageW(window, WM_LBUTTONUP, MK_CONTROL, to);
        EXPECT_EQ(Saved(), c.lands ? "selected 2,3 in 10,8; 1,1,Charlie; 2,3,Alpha; 7,4,Delta" : before) << c.what;
        CloseFindBar(window);
    }
    EXPECT_TRUE(boxes.boxes.empty()) << "nothing ran";
}

TEST_F(ArrangeTest, ANewGridSizeIsAStepTakenBackAndDoneAgain)
{
    MoveSelection(2, 4);
    AltKey(VK_DOWN);   // Charlie to (3, 4)
    ModalDriver driver;
    driver.onDialog = [](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_FIELD_1, L"2");
        PressButton(dialog, IDC_GRID_OK);
    };
    CarryOutCommand(window, CommandGridSize);
    // Charlie lies outside the smaller grid: the first Ctrl+Z brings the grid back, not him.
    const struct { wchar_t key; const char* saved; } steps[] = {
        { 0, "selected 2,4 in 2,8; 1,1,Alpha; 3,4,Charlie" },   // the selection came in with the grid
        { 26, "selected 3,4; 1,1,Alpha; 3,4,Charlie" },         // taken back: the size and the selection
        { 26, "selected 2,4; 1,1,Alpha; 2,4,Charlie" },
        { 25, "selected 3,4; 1,1,Alpha; 3,4,Charlie" },         // done again
        { 25, "selected 2,4 in 2,8; 1,1,Alpha; 3,4,Charlie" },
    };
    for (const auto& step : steps) {
        if (step.key != 0)
            Character(step.key);
        EXPECT_EQ(Saved(), step.saved) << (int)step.key;
    }
}
