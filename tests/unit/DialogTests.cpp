// The dialogs, created from their real templates: fields, validation, what OK stores.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/Startup.h"
#include "commands/ContextMenu.h"
#include "dialogs/Dialogs.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "resources/resource.h"

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ASSERT_NE(CreateTestMainWindowWithClient(600, 500), nullptr);
    }
    void TearDown() override
    {
        if (dialog != NULL)
            DestroyWindow(dialog);
        UnregisterHotKey(MainWindow, 1);
        UnregisterHotKey(MainWindow, 2);
        DestroyTestMainWindow();
    }
    // Opens a dialog modeless from its template, as the program's own module holds it.
    HWND Open(int templateId, DLGPROC procedure)
    {
        if (dialog != NULL)
            DestroyWindow(dialog);
        dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(templateId), MainWindow, procedure, 0);
        EXPECT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOWNA);
        proc = procedure;
        return dialog;
    }
    void Set(int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
    // The procedure's own answer, which the dialog manager would not pass on.
    INT_PTR Press(int id) { return proc(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool Closed() { return !IsWindowVisible(dialog); }
    HWND dialog = NULL;
    DLGPROC proc = NULL;
    TestFolder folder;
};

TEST_F(DialogTest, GridSizeRefusesBadCountsAndReadsLeadingDigits)
{
    const struct { const wchar_t* rows; const wchar_t* columns; const wchar_t* warning; } refused[] = {
        { L"0", L"8", L"Number of Rows must be a number from 1 to 50" },
        { L"51", L"8", L"Number of Rows must be a number from 1 to 50" },
        { L"abc", L"xyz", L"Number of Rows must be a number from 1 to 50" },   // only the rows are told
        { L"-5", L"8", L"Number of Rows must be a number from 1 to 50" },
        { L"7", L"0", L"Number of Columns must be a number from 1 to 100" },
        { L"7", L"101", L"Number of Columns must be a number from 1 to 100" },
    };
    for (const auto& r : refused) {
        Open(IDD_GRID_SIZE, GridSizeDialogProc);
        EXPECT_EQ(ControlText(dialog, IDC_NOTE_1), L"(50 Maximum)");
        EXPECT_EQ(ControlText(dialog, IDC_NOTE_2), L"(100 Maximum)");
        Set(IDC_FIELD_1, r.rows);
        Set(IDC_FIELD_2, r.columns);
        MessageBoxCatcher catcher;
        EXPECT_EQ(Press(IDC_GRID_OK), FALSE);
        ASSERT_EQ(catcher.boxes.size(), 1u) << r.rows;
        EXPECT_EQ(catcher.boxes[0].caption, L"ERROR - Invalid Input");
        EXPECT_EQ(catcher.boxes[0].text, r.warning);
        EXPECT_EQ(catcher.boxes[0].owner, dialog);
        EXPECT_FALSE(Closed());
        bool rowsRefused = r.warning[10] == L'R';
        EXPECT_EQ(ControlText(dialog, rowsRefused ? IDC_FIELD_1 : IDC_FIELD_2), rowsRefused ? L"6" : L"8");
        EXPECT_EQ(AppSettings.rows, 6);
    }

    Open(IDD_GRID_SIZE, GridSizeDialogProc);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_FIELD_1, EM_GETLIMITTEXT, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_FIELD_2, EM_GETLIMITTEXT, 0, 0), 3);
    Set(IDC_FIELD_1, L" 7");
    Set(IDC_FIELD_2, L"7x");
    EXPECT_EQ(Press(IDC_GRID_OK), TRUE);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(AppSettings.rows, 7);
    EXPECT_EQ(AppSettings.columns, 7);
    Open(IDD_GRID_SIZE, GridSizeDialogProc);
    Set(IDC_FIELD_2, L"100");
    Press(IDC_GRID_OK);
    EXPECT_EQ(AppSettings.columns, 100) << "three digits are read whole";
    EXPECT_EQ(AppSettings.contentWidth, ContentExtent(100, 1, 10));
    EXPECT_EQ(ScrollBarInfo(SB_HORZ).nMax, ContentExtent(100, 1, 10) - 600 + 10 + 1 + 102);
}

// The warning box belongs to the dialog: when it closes, the field set back has the keyboard
// and Escape closes the dialog, as a user expects.
TEST_F(DialogTest, AfterAWarningTheDialogKeepsTheKeyboard)
{
    ShowWindow(MainWindow, SW_SHOW);
    ModalDriver driver;
    MessageBoxCatcher catcher;
    int focus = 0;
    driver.onDialog = [&](HWND d) {
        SetDlgItemTextW(d, IDC_FIELD_2, L"500");
        SendMessageW(d, WM_COMMAND, IDC_GRID_OK, 0);
        focus = GetDlgCtrlID(GetFocus());
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    ShowGridSizeDialog();
    ASSERT_EQ(driver.dialogs.size(), 1u);
    EXPECT_FALSE(driver.timedOut) << "Escape did not close the dialog";
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(focus, IDC_FIELD_2);
    EXPECT_EQ(AppSettings.columns, 8);
}

TEST_F(DialogTest, ShrinkingMovesTheSelectionInAndGrowingBringsHiddenTilesBack)
{
    FillTile(TileAt(6, 8), L"C:\\far.txt", L"far", 0);
    MoveSelection(6, 3);
    Open(IDD_GRID_SIZE, GridSizeDialogProc);
    Set(IDC_FIELD_1, L"4");
    Press(IDC_GRID_OK);
    EXPECT_EQ(AppSettings.selectedRow, 4);
    EXPECT_EQ(AppSettings.selectedColumn, 3);
    EXPECT_EQ(TileAt(6, 3)->selected, 0);
    EXPECT_EQ(TileAt(4, 3)->selected, 1);
    EXPECT_EQ(AppSettings.contentHeight, ContentExtent(4, 1, 10));

    Open(IDD_GRID_SIZE, GridSizeDialogProc);
    Set(IDC_FIELD_1, L"6");
    Press(IDC_GRID_OK);
    EXPECT_EQ(AppSettings.selectedRow, 4);
    EXPECT_STREQ(TileAt(6, 8)->name, L"far");
    EXPECT_EQ(TileAt(6, 8)->filled, 1);

    Open(IDD_GRID_SIZE, GridSizeDialogProc);
    Set(IDC_FIELD_1, L"9");
    Press(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(AppSettings.rows, 6);
}

TEST(TileNameRulesTest, ANameSplitsIntoTheLinesItShows)
{
    const struct { const wchar_t* name; const wchar_t* line1; const wchar_t* line2; } splits[] = {
        { L"Word        Pad", L"Word", L"Pad" },
        { L"Big Tile    Two", L"Big Tile", L"Two" },
        { L"abcdefghijklmnopqrstuvwxyz1234", L"abcdefghijkl", L"mnopqrstuvwx" },
        { L"exactlytwelv", L"exactlytwelv", L"" },
        { L"", L"", L"" },
    };
    for (const auto& s : splits) {
        wchar_t line1[13], line2[13];
        SplitTileName(s.name, line1, line2);
        EXPECT_STREQ(line1, s.line1) << s.name;
        EXPECT_STREQ(line2, s.line2) << s.name;
    }
}

TEST_F(DialogTest, TileNameOpensAsTwoLinesAndStoresThemBack)
{
    AppSettings.contextRow = 2;
    AppSettings.contextColumn = 2;
    Tile* tile = TileAt(2, 2);
    FillTile(tile, L"C:\\x.txt", L"Word        Pad", 0);
    Open(IDD_TILE_NAME, TileNameDialogProc);
    EXPECT_EQ(ControlText(dialog, IDC_FIELD_1), L"Word");
    EXPECT_EQ(ControlText(dialog, IDC_FIELD_2), L"Pad");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_FIELD_1));
    Press(IDOK);
    EXPECT_STREQ(tile->name, L"Word        Pad");

    Open(IDD_TILE_NAME, TileNameDialogProc);
    Set(IDC_FIELD_1, L"");
    Set(IDC_FIELD_2, L"");
    Press(IDCANCEL);
    EXPECT_STREQ(tile->name, L"Word        Pad");
    Open(IDD_TILE_NAME, TileNameDialogProc);
    Set(IDC_FIELD_1, L"");
    Set(IDC_FIELD_2, L"");
    Press(IDOK);
    EXPECT_STREQ(tile->name, L"            ") << "no shell name takes the place of an empty one";
    EXPECT_STREQ(tile->path, L"C:\\x.txt");

    // Pasted control characters never reach the name, where they would break its line in the file.
    Open(IDD_TILE_NAME, TileNameDialogProc);
    Set(IDC_FIELD_1, L"Two\x1A\r\n");
    Set(IDC_FIELD_2, L"li\tnes\x01");
    Press(IDOK);
    EXPECT_STREQ(tile->name, L"Two         lines");
}

TEST_F(DialogTest, TargetEntryFillsTheTileOrLeavesItEmpty)
{
    AppSettings.contextRow = 3;
    AppSettings.contextColumn = 2;
    Tile* tile = TileAt(3, 2);
    std::wstring file = folder.Join(L"readme.txt");
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    const struct { std::wstring path; const wchar_t* line1; const wchar_t* line2; const wchar_t* name; int filled;
                   std::wstring stored; } cases[] = {
        { L"https://example.org/a,b", L"Word", L"Pad", L"Word        Pad", 1, L"https://example.org/a,b" },
        { L"shell:Downloads", L"", L"Pad", L"            Pad", 1, L"shell:Downloads" },
        { L"C:\\Tools", L"exactlytwelv", L"Pad", L"exactlytwelvPad", 1, L"C:\\Tools" },
        { file, L"", L"", L"Readme.txt", 1, file },
        { L"", L"Word", L"", L"", 0, L"" },
        { L"  \t ", L"Word", L"", L"", 0, L"" },
        // Pasted control characters (a CTRL+Z, a line break) are left out of both.
        { L"C:\\To\x1Aols\r\n", L"Sev\x1A" L"en", L"\x01up", L"Seven       up", 1, L"C:\\Tools" },
        { L"\x1A\r\n", L"Word", L"", L"", 0, L"" },
    };
    for (const auto& c : cases) {
        ClearTile(tile);
        tile->backColor = 0x123456;
        Open(IDD_TARGET_ENTRY, TargetEntryDialogProc);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_FIELD_1, EM_GETLIMITTEXT, 0, 0), 260);
        Set(IDC_FIELD_1, c.path.c_str());
        Set(IDC_FIELD_2, c.line1);
        Set(IDC_FIELD_3, c.line2);
        AppSettings.iconRefreshMode = 0;
        EXPECT_EQ(Press(IDOK), TRUE);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(tile->filled, c.filled) << c.path;
        EXPECT_STREQ(tile->name, c.name) << c.path;
        if (c.filled) {
            EXPECT_EQ(std::wstring(tile->path), c.stored) << "stored as typed";
            EXPECT_EQ(tile->backColor, 0x323232u);
            EXPECT_EQ(tile->kind, 0);
            EXPECT_EQ(AppSettings.iconRefreshMode, 1);
        } else {
            EXPECT_EQ(tile->path[0], L'\0');
        }
    }
}

TEST_F(DialogTest, HotkeyChangesRegisterTheNewKeyBeforeReleasingTheOld)
{
    ASSERT_TRUE(RegisterHotKey(MainWindow, 1, MOD_ALT | MOD_CONTROL, 'Z'));
    AppSettings.hotkeyRegistered = 1;
    AppSettings.hotkeyInForce = 1;
    auto confirm = [&](const char* key) {
        Open(IDD_HOTKEY, HotkeyDialogProc);
        SetDlgItemTextA(dialog, IDC_FIELD_1, key);
        return Press(IDOK);
    };
    Open(IDD_HOTKEY, HotkeyDialogProc);
    EXPECT_EQ(ControlText(dialog, IDC_FIELD_1), L"Z");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_FIELD_1, EM_GETLIMITTEXT, 0, 0), 1);
    for (const char* bad : { "", " ", "?" }) {
        MessageBoxCatcher catcher;
        EXPECT_EQ(confirm(bad), FALSE);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].text, L"You must enter a single letter A-Z or single digit 0-9");
        EXPECT_EQ(catcher.boxes[0].owner, dialog);
        EXPECT_EQ(ControlText(dialog, IDC_FIELD_1), L"Z");
    }
    EXPECT_EQ(confirm("q"), TRUE);
    EXPECT_EQ(AppSettings.hotkeyKey, 'Q');
    EXPECT_EQ(AppSettings.hotkeyId, 2);
    EXPECT_TRUE(RegisterHotKey(NULL, 9, MOD_ALT | MOD_CONTROL, 'Z')) << "the old key is released";
    UnregisterHotKey(NULL, 9);
    EXPECT_FALSE(RegisterHotKey(NULL, 9, MOD_ALT | MOD_CONTROL, 'Q')) << "the new key is held";
    confirm("5");
    EXPECT_EQ(AppSettings.hotkeyKey, '5');
    EXPECT_EQ(AppSettings.hotkeyId, 1);
    confirm("5");
    EXPECT_EQ(AppSettings.hotkeyId, 1) << "the key in force registers nothing";

    // A key that another program holds: the box, and the old key stays.
    ASSERT_TRUE(RegisterHotKey(NULL, 9, MOD_ALT | MOD_CONTROL, 'K'));
    {
        MessageBoxCatcher catcher;
        EXPECT_EQ(confirm("k"), TRUE);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_TRUE(StartsWith(catcher.boxes[0].text, L"RegisterHotKey Failed    ---    failed with error 1409"));
        EXPECT_EQ(catcher.boxes[0].owner, dialog);
    }
    UnregisterHotKey(NULL, 9);
    EXPECT_EQ(AppSettings.hotkeyKey, '5');
    EXPECT_EQ(AppSettings.hotkeyId, 1);
    EXPECT_FALSE(RegisterHotKey(NULL, 9, MOD_ALT | MOD_CONTROL, '5'));
}

TEST_F(DialogTest, ConfirmingTheStoredKeyRegistersItWhenStartUpCouldNot)
{
    AppSettings.hotkeyKey = 'Z';
    AppSettings.hotkeyRegistered = 1;   // as saved; the registration at start-up failed
    AppSettings.hotkeyInForce = 0;
    Open(IDD_HOTKEY, HotkeyDialogProc);
    EXPECT_EQ(ControlText(dialog, IDC_FIELD_1), L"Z");
    MessageBoxCatcher catcher;
    Press(IDOK);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(AppSettings.hotkeyInForce, 1);
    EXPECT_EQ(AppSettings.hotkeyId, 2);
    EXPECT_FALSE(RegisterHotKey(NULL, 9, MOD_ALT | MOD_CONTROL, 'Z')) << "Ctrl+Alt+Z is held now";
}

TEST_F(DialogTest, TileInfoShowsNamePositionAndPathOnWhitePanels)
{
    AppSettings.contextRow = 2;
    AppSettings.contextColumn = 7;
    std::wstring path = L"C:\\" + std::wstring(356, L'p');
    FillTile(TileAt(2, 7), path.c_str(), L"Big Tile    Two", 0);
    Open(IDD_TILE_INFO, TileInfoDialogProc);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(ControlText(dialog, IDC_NOTE_2), path) << "359 characters, whole";
    EXPECT_EQ(ControlText(dialog, IDC_HEADING_2), L"Big Tile    ");
    EXPECT_EQ(ControlText(dialog, IDC_NAME_LINE_2), L"Two");
    EXPECT_EQ(ControlText(dialog, IDC_LABEL_2), L"2 , 7");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));

    HDC dc = GetDC(dialog);
    HWND groupBox = NULL;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != NULL && groupBox == NULL; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == -1)
            groupBox = c;
    INT_PTR brush = SendMessageW(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)groupBox);
    EXPECT_EQ(GetTextColor(dc), 0x0000FFu) << "group captions are red";
    SetTextColor(dc, 0);
    EXPECT_EQ(SendMessageW(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)GetDlgItem(dialog, IDC_NOTE_2)), brush);
    EXPECT_EQ(GetTextColor(dc), 0u);
    LOGBRUSH white = {};
    GetObjectW((HBRUSH)brush, sizeof(white), &white);
    EXPECT_EQ(white.lbColor, 0xFFFFFFu);
    ReleaseDC(dialog, dc);
    Open(IDD_TILE_INFO, TileInfoDialogProc);
    HDC again = GetDC(dialog);
    EXPECT_EQ(SendMessageW(dialog, WM_CTLCOLORSTATIC, (WPARAM)again, (LPARAM)GetDlgItem(dialog, IDC_NOTE_2)), brush)
        << "one brush for the life of the process";
    ReleaseDC(dialog, again);
    EXPECT_EQ(Press(IDOK), 1);
}

TEST_F(DialogTest, AboutAndHelpShowTheirPicturesAtTheirOwnSizeUnderOk)
{
    FormBuildDateText();
    const struct { int id; DLGPROC procedure; SIZE picture; bool date; } dialogs[] = {
        { IDD_ABOUT, AboutDialogProc, { 508, 286 }, true }, { IDD_HELP, HelpDialogProc, { 611, 454 }, false },
    };
    for (const auto& d : dialogs) {
        Open(d.id, d.procedure);
        RECT r;
        GetClientRect(GetDlgItem(dialog, IDC_NOTE_1), &r);
        EXPECT_EQ(r.right, d.picture.cx);
        EXPECT_EQ(r.bottom, d.picture.cy);
        EXPECT_EQ(GetDlgItem(dialog, IDC_LABEL_2) != NULL, d.date);
        if (d.date) {
            EXPECT_EQ(ControlText(dialog, IDC_LABEL_2), AppSettings.buildDateText);
        }
        // The picture is larger than its slot and clips its siblings: it must stay the last
        // child, under OK, which must be what the user hits at its centre.
        HWND ok = GetDlgItem(dialog, IDOK);
        EXPECT_EQ(GetWindow(ok, GW_HWNDLAST), GetDlgItem(dialog, IDC_NOTE_1)) << d.id;
        RECT button;
        GetWindowRect(ok, &button);
        POINT centre = { (button.left + button.right) / 2, (button.top + button.bottom) / 2 };
        ScreenToClient(dialog, &centre);
        EXPECT_EQ(ChildWindowFromPointEx(dialog, centre, CWP_ALL), ok) << d.id;
        Press(IDOK);
        DestroyWindow(dialog);
        dialog = NULL;
    }
}

// The plain band at the foot of each picture holds OK and the build date under Windows'
// dialog-unit metrics for the dialog font (6 x 13) and Wine's (6 x 12).
TEST_F(DialogTest, OkAndTheDateStandOnThePicturesPlainBandUnderBothMetrics)
{
    // Dialog units, as the templates have them: the picture's corner, the controls on its band.
    const struct { int id, bitmap; DLGPROC procedure; POINT corner; std::vector<std::pair<int, RECT>> controls; } pictures[] = {
        { IDD_ABOUT, IDB_ABOUT, AboutDialogProc, { 12, 12 },
          { { IDOK, { 213, 157, 263, 171 } }, { IDC_LABEL_2, { 41, 164, 199, 177 } } } },
        { IDD_HELP, IDB_HELP, HelpDialogProc, { 7, 0 }, { { IDOK, { 303, 255, 353, 269 } } } },
    };
    for (const auto& p : pictures) {
        Open(p.id, p.procedure);
        for (const auto& c : p.controls) {
            RECT expected = c.second, actual;
            MapDialogRect(dialog, &expected);
            GetWindowRect(GetDlgItem(dialog, c.first), &actual);
            MapWindowPoints(NULL, dialog, (POINT*)&actual, 2);
            EXPECT_TRUE(EqualRect(&expected, &actual)) << p.id << " control " << c.first << " where the table says";
        }
        Press(IDOK);
        HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(p.bitmap));
        BITMAP size;
        GetObjectW(bitmap, sizeof(size), &size);
        DibCanvas picture(size.bmWidth, size.bmHeight);
        HDC source = CreateCompatibleDC(NULL);
        HGDIOBJ kept = SelectObject(source, bitmap);
        BitBlt(picture.dc, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, kept);
        DeleteDC(source);
        DeleteObject(bitmap);
        COLORREF band = picture.Pixel(0, size.bmHeight - 1);
        for (SIZE units : { SIZE{ 6, 13 }, SIZE{ 6, 12 } }) {
            for (const auto& c : p.controls) {
                RECT r = { MulDiv(c.second.left, units.cx, 4) - MulDiv(p.corner.x, units.cx, 4),
                           MulDiv(c.second.top, units.cy, 8) - MulDiv(p.corner.y, units.cy, 8),
                           MulDiv(c.second.right, units.cx, 4) - MulDiv(p.corner.x, units.cx, 4),
                           MulDiv(c.second.bottom, units.cy, 8) - MulDiv(p.corner.y, units.cy, 8) };
                ASSERT_LE(r.right, size.bmWidth);
                ASSERT_LE(r.bottom, size.bmHeight);
                EXPECT_EQ(picture.CountColor(r, band), (r.right - r.left) * (r.bottom - r.top))
                    << p.id << " control " << c.first << " at " << units.cx << " x " << units.cy;
            }
        }
    }
}

TEST_F(DialogTest, EachDialogRunsModallyFromItsMenuCommand)
{
    FillTile(TileAt(1, 2), L"C:\\x.txt", L"old", 0);
    AppSettings.contextRow = 1;
    AppSettings.contextColumn = 2;
    ModalDriver driver;
    MessageBoxCatcher boxes;
    driver.onDialog = [](HWND d) {
        wchar_t caption[80];
        GetWindowTextW(d, caption, 80);
        if (wcscmp(caption, L"Tile Settings - Tile Name") == 0)
            SetDlgItemTextW(d, IDC_FIELD_1, L"new");
        if (wcscmp(caption, L"Program Settings - Rows and Columns") == 0)
            SetDlgItemTextW(d, IDC_FIELD_1, L"9");
        bool grid = wcscmp(caption, L"Program Settings - Rows and Columns") == 0;
        bool hotkey = wcscmp(caption, L"Program Settings - Hotkey") == 0;
        PressButton(d, grid ? IDC_GRID_OK : hotkey ? IDCANCEL : IDOK);
    };
    for (int command : { CommandChangeName, CommandGridSize, CommandHotkey, CommandTileInfo, CommandAbout, CommandHelp })
        CarryOutCommand(MainWindow, command);
    AppSettings.contextColumn = 3;
    CarryOutCommand(MainWindow, CommandEnterTarget);
    EXPECT_FALSE(driver.timedOut);
    const std::vector<std::wstring> expected = { L"Tile Settings - Tile Name", L"Program Settings - Rows and Columns",
                                                 L"Program Settings - Hotkey", L"Show Tile Info", L"About Vantrel", L"Help",
                                                 L"Tile Settings - Enter Path, URL, or Shell Shortcut" };
    EXPECT_EQ(driver.dialogs, expected);
    EXPECT_STREQ(TileAt(1, 2)->name, L"new         ");
    EXPECT_EQ(AppSettings.rows, 9);
    EXPECT_EQ(AppSettings.rowsHighWater, 9);
    std::string saved = ReadFileBytes(folder.Join(L"Morrowtide\\Vantrel.cfg"));
    EXPECT_NE(saved.find(Utf16FileBytes(L",9,8,1,1\n").substr(2)), std::string::npos);
    EXPECT_EQ(TileAt(1, 3)->filled, 0) << "confirmed with an empty path";
}
