// Bringing back an earlier state of the tiles: the "Earlier Tiles" dialog over real kept files,
// the restores as one step of the history, the backup before the first one and its failure.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "commands/ContextMenu.h"
#include "commands/RestoreTiles.h"
#include "config/BackupRotation.h"
#include "config/ConfigFile.h"
#include "config/KeptStates.h"
#include "dialogs/Dialogs.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileHistory.h"
#include "resources/resource.h"

class RestoreTilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ForgetBackupBeforeRestoreForTests();
        ASSERT_NE(CreateTestMainWindowWithClient(600, 500), nullptr);
        // Now: Alpha as it was, Bravo renamed since, and Kilo, which the kept state lacks.
        FillTile(TileAt(1, 1), L"C:\\a.exe", L"Alpha", TileKind::Program);
        FillTile(TileAt(1, 2), L"C:\\b.txt", L"Bravo now", TileKind::PlainFile);
        FillTile(TileAt(2, 1), L"C:\\k.txt", L"Kilo", TileKind::PlainFile);
        ASSERT_EQ(SaveConfig(), 0);
        before = ReadFileBytes(ConfigPath());
        // The kept state, of a 10 x 12 grid: Charlie and Delta were deleted since, Delta
        // lies below the 6 rows in use.
        CreateDirectoryW(Home(L"Backup").c_str(), NULL);
        ASSERT_TRUE(WriteFileBytes(Home(L"Backup\\Vantrel_Bkup004-.cfg"),
                                   Utf16FileBytes(L"//#v0003\n0,0,900,700,0,0,90,1,10,12,1,1\n"
                                                  L"1,1,2,3289650,C:\\a.exe,Alpha\n1,2,0,3289650,C:\\b.txt,Bravo\n"
                                                  L"1,3,0,255,C:\\c.txt,Charlie\n8,2,0,3289650,C:\\d.txt,Delta\n")));
        ASSERT_EQ(ReadKeptTiles(Home(L"Backup\\Vantrel_Bkup004-.cfg").c_str(), &state), 0);
    }
    void TearDown() override
    {
        FreeKeptTiles(&state);
        DestroyTestMainWindow();
    }
    std::wstring Home(const wchar_t* name) const { return folder.Join(std::wstring(L"Morrowtide\\") + name); }
    std::wstring ConfigPath() const { return Home(L"Vantrel.cfg"); }
    // The names of the tiles (1, 1), (1, 2), (1, 3), (2, 1) and (8, 2), "-" for an empty one.
    static std::wstring Names()
    {
        static const int cells[][2] = { { 1, 1 }, { 1, 2 }, { 1, 3 }, { 2, 1 }, { 8, 2 } };
        std::wstring names;
        for (const auto& cell : cells) {
            const Tile* tile = TileAt(cell[0], cell[1]);
            names += (names.empty() ? L"" : L", ") + std::wstring(tile->filled ? tile->name : L"-");
        }
        return names;
    }
    // The backups, by content: a copy of the file before the first restore is among them.
    int BackupsHolding(const std::string& bytes) const
    {
        int count = 0;
        for (int slot = 0; slot < BackupSlotCount * 2; slot++) {
            wchar_t name[32];
            BackupSlotFileName(slot / 2, slot % 2 == 0, name, _countof(name));
            count += ReadFileBytes(Home(L"Backup\\") + name) == bytes;
        }
        return count;
    }

    TestFolder folder;
    KeptTiles state = {};
    std::string before;
};

TEST_F(RestoreTilesTest, MissingTilesComeBackIntoAPartlyFilledGridAsOneStep)
{
    TileEventRecorder recorder;
    ASSERT_EQ(RestoreKeptTiles(MainWindow, &state, false), 2);
    EXPECT_EQ(Names(), L"Alpha, Bravo now, Charlie, Kilo, Delta") << "nothing that is there changes";
    EXPECT_EQ(TileAt(1, 3)->backColor, 255u);
    EXPECT_EQ(std::make_pair(AppSettings.rows, AppSettings.columns), std::make_pair(8, 8)) << "Delta is shown";
    EXPECT_EQ(std::make_pair(AppSettings.selectedRow, AppSettings.selectedColumn), std::make_pair(1, 3));
    PumpMessages();
    EXPECT_EQ(recorder.events.back(), std::make_pair((DWORD)EVENT_OBJECT_SELECTION, TileChildId(1, 3)));
    EXPECT_NE(ReadFileBytes(ConfigPath()).find(Utf16Bytes(L"8,2,0,3289650,C:\\d.txt,Delta")), std::string::npos);
    EXPECT_EQ(BackupsHolding(before), 1) << "the state the restore replaced is kept";
    EXPECT_EQ(HistoryStepCount(), 1);

    SendMessageW(MainWindow, WM_CHAR, 26, 0);   // Ctrl+Z
    EXPECT_EQ(Names(), L"Alpha, Bravo now, -, Kilo, -");
    EXPECT_EQ(ReadFileBytes(ConfigPath()).find(Utf16Bytes(L"Delta")), std::string::npos);
    SendMessageW(MainWindow, WM_CHAR, 25, 0);   // Ctrl+Y
    EXPECT_EQ(Names(), L"Alpha, Bravo now, Charlie, Kilo, Delta");
}

TEST_F(RestoreTilesTest, RestoreAllMakesEveryTileTheStatesInItsLargerGridAndBacksUpOnlyOnce)
{
    ASSERT_EQ(RestoreKeptTiles(MainWindow, &state, true), 4);
    EXPECT_EQ(Names(), L"Alpha, Bravo, Charlie, -, Delta");
    EXPECT_EQ(std::make_pair(AppSettings.rows, AppSettings.columns), std::make_pair(10, 12));
    std::string restored = ReadFileBytes(ConfigPath());
    // The rotation made the state's copy a plain one, and the copy before the restore the newest.
    ASSERT_EQ(ReadKeptTiles(Home(L"Backup\\Vantrel_Bkup004.cfg").c_str(), &state), 0);
    EXPECT_EQ(RestoreKeptTiles(MainWindow, &state, true), 0) << "nothing left to change";
    EXPECT_EQ(BackupsHolding(before), 1);
    EXPECT_EQ(BackupsHolding(restored), 0) << "a backup before the first restore of a run only";

    SendMessageW(MainWindow, WM_CHAR, 26, 0);
    EXPECT_EQ(Names(), L"Alpha, Bravo now, -, Kilo, -") << "the whole restore taken back";
    EXPECT_EQ(std::make_pair(AppSettings.rows, AppSettings.columns), std::make_pair(6, 8)) << "with the grid's size";
}

TEST_F(RestoreTilesTest, WhenTheBackupFailsTheUserDecides)
{
    // A file where the backup folder should be: no copy can be made.
    RemoveTree(Home(L"Backup"));
    ASSERT_TRUE(WriteFileBytes(Home(L"Backup"), "not a folder"));
    for (int answer : { IDNO, IDYES }) {
        MessageBoxCatcher catcher(answer);
        EXPECT_EQ(RestoreKeptTiles(MainWindow, &state, false), answer == IDYES ? 2 : -1);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes[0].caption, L"Restore Earlier Tiles");
        EXPECT_EQ(Names(), answer == IDYES ? L"Alpha, Bravo now, Charlie, Kilo, Delta" : L"Alpha, Bravo now, -, Kilo, -");
    }
}

// The dialog from the menu, over the state above and a held slot (the scenario walks the
// readable one): the held file is listed, says why it shows nothing and allows no restore.
TEST_F(RestoreTilesTest, AHeldStateIsListedAndCannotBeRestored)
{
    ASSERT_TRUE(WriteFileBytes(Home(L"Backup\\Vantrel_Bkup003.cfg"), before));
    ASSERT_TRUE(SetFileWrittenAt(Home(L"Backup\\Vantrel_Bkup003.cfg"), 0));
    HANDLE held = CreateFileW(Home(L"Backup\\Vantrel_Bkup003.cfg").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    std::wstring states[2], shown;
    bool restorable = true;
    ModalDriver driver;
    driver.onDialog = [&](HWND d) {
        wchar_t line[800];
        for (int i = 0; i < 2; i++)
            states[i] = SendDlgItemMessageW(d, IDC_STATE_LIST, LB_GETTEXT, i, (LPARAM)line) > 0 ? line : L"";
        SendDlgItemMessageW(d, IDC_STATE_LIST, LB_SETCURSEL, 1, 0);
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_STATE_LIST, LBN_SELCHANGE), (LPARAM)GetDlgItem(d, IDC_STATE_LIST));
        shown = SendDlgItemMessageW(d, IDC_DIFFERENCE_LIST, LB_GETTEXT, 0, (LPARAM)line) > 0 ? line : L"";
        restorable = IsWindowEnabled(GetDlgItem(d, IDC_RESTORE_MISSING)) || IsWindowEnabled(GetDlgItem(d, IDC_RESTORE_ALL));
        PressButton(d, IDC_RESTORE_ALL);   // refused while disabled
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    };
    CarryOutCommand(MainWindow, CommandRestoreEarlierTiles);
    CloseHandle(held);

    ASSERT_EQ(driver.dialogs, std::vector<std::wstring>({ L"Earlier Tiles" }));
    EXPECT_NE(states[0].find(L" - closed - 4 tiles - 2 missing now, 1 changed, 1 not in it"), std::wstring::npos)
        << states[0];
    EXPECT_NE(states[1].find(L" - closed - cannot be read"), std::wstring::npos) << states[1];
    EXPECT_EQ(shown, L"This file cannot be read: it may be open in another program.");
    EXPECT_FALSE(restorable);
    EXPECT_EQ(Names(), L"Alpha, Bravo now, -, Kilo, -") << "nothing restored";
    EXPECT_EQ(HistoryStepCount(), 0);
}

TEST(EarlierTilesTextTest, EachStateAndEachDifferenceReadsAsAPersonWouldSayIt)
{
    SYSTEMTIME monday = {};
    monday.wYear = 2026, monday.wMonth = 12, monday.wDayOfWeek = 1, monday.wDay = 7, monday.wHour = 18, monday.wMinute = 2;
    const struct { int kind, reading, tiles, missing, changed, notInIt; WORD thisYear; const wchar_t* line; } cases[] = {
        { KeptClosed, KeptReadWhole, 48, 3, 1, 0, 2026, L"Mon 7 Dec 18:02 - closed - 48 tiles - 3 missing now, 1 changed" },
        { KeptPending, KeptReadWhole, 1, 0, 0, 0, 2026, L"Mon 7 Dec 18:02 - pending - 1 tile - same as now" },
        { KeptUnread, KeptReadInPart, 40, 0, 0, 2, 2026,
          L"Mon 7 Dec 18:02 - kept unread - damaged: 40 tiles readable - 2 not in it" },
        { KeptClosed, KeptNotRead, 0, 0, 0, 0, 2027, L"Mon 7 Dec 2026 18:02 - closed - cannot be read" },
        { KeptOtherVersion, KeptNotRead, 0, 0, 0, 0, 2026, L"Mon 7 Dec 18:02 - other version - cannot be restored" },
    };
    for (const auto& c : cases) {
        KeptState state = {};
        state.kind = c.kind;
        state.reading = c.reading;
        state.comparison = { c.tiles, c.tiles - c.missing - c.changed, c.missing, c.notInIt, c.changed };
        wchar_t line[200];
        KeptStateLineText(&state, &monday, c.thisYear, line, _countof(line));
        EXPECT_STREQ(line, c.line);
    }
    wchar_t line[80];
    TileDifferenceText(2, 3, TileDifference::NotInIt, L"", L"Kilo", line, _countof(line));
    EXPECT_STREQ(line, L"Row 2, column 3: Kilo - not in it");
    KeptState state = {};
    state.comparison.tiles = 1;
    KeptStateLineText(&state, &monday, 2026, line, 20);
    EXPECT_EQ(wcslen(line), 19u) << "a line too long for its buffer is cut, never overflows";
}
