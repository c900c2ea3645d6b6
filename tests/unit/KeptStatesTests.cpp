// The kept states beside the configuration file, listed and compared with now: every one, the
// ones that cannot be read among them, newest first, and never a byte written.
#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "config/KeptStates.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"

// A kept file as the program writes it: the header, a settings line for a grid of rows x
// columns, then the tile lines given.
static std::string StateBytes(const std::wstring& tiles, int rows = 6, int columns = 8)
{
    return Utf16FileBytes(L"//#v0003 DO NOT CHANGE THIS LINE\n0,0,900,700,0,0,90,1," + std::to_wstring(rows) + L"," +
                          std::to_wstring(columns) + L",1,1\n" + tiles);
}

static std::map<std::wstring, std::string> FolderBytes(const std::wstring& folder)
{
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    do {
        if (search != INVALID_HANDLE_VALUE && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] = ReadFileBytes(folder + L"\\" + found.cFileName);
    } while (search != INVALID_HANDLE_VALUE && FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

TEST(KeptStatesTest, ListsEveryStateNewestFirstThoseThatCannotBeReadAmongThemAndWritesNothing)
{
    ResetGridAndSettings();
    FillTile(TileAt(1, 1), L"C:\\a.exe", L"Alpha", TileKind::Program);
    FillTile(TileAt(1, 2), L"C:\\b.txt", L"Bravo", TileKind::PlainFile);
    TileDigest now[GridCellCount];
    DigestGrid(now);
    TestFolder folder;
    std::wstring home = folder.Join(L"Morrowtide"), backup = home + L"\\Backup";
    CreateDirectoryW(home.c_str(), NULL);
    CreateDirectoryW(backup.c_str(), NULL);
    const std::wstring alpha = L"1,1,2,3289650,C:\\a.exe,Alpha\n", bravo = L"1,2,0,3289650,C:\\b.txt,Bravo\n";
    std::string utf8 = "\xEF\xBB\xBF//#v0003\r\n0,0,900,700,0,0,90,1,6,8,1,1\r\n1,2,0,3289650,C:\\b.txt,Br\xC3\xA4vo\r\n";
    const struct { const wchar_t* name; std::string bytes; int kind, reading, tiles, missing, changed, notInIt; } cases[] = {
        { L"Backup\\Vantrel_Bkup000-.cfg", StateBytes(alpha + L"1,3,0,255,C:\\c.txt,Charlie\n"), KeptClosed, KeptReadWhole,
          2, 1, 0, 1 },
        { L"Backup\\Vantrel_Bkup001.cfg", StateBytes(alpha + L"1,2,x,y\n"), KeptClosed, KeptReadInPart, 1, 0, 0, 1 },
        { L"Backup\\Vantrel_Bkup002.cfg", StateBytes(alpha), KeptClosed, KeptNotRead, 0, 0, 0, 0 },   // held below
        { L"Vantrel.cfg.unread-2", utf8, KeptUnread, KeptReadWhole, 1, 0, 1, 1 },
        { L"Vantrel.cfg.pending", StateBytes(alpha + bravo), KeptPending, KeptReadWhole, 2, 0, 0, 0 },
        { L"Vantrel.cfg.v0004", Utf16FileBytes(L"//#v0004\n" + alpha), KeptOtherVersion, KeptNotRead, 0, 0, 0, 0 },
        { L"Vantrel.cfg.unread", Utf16FileBytes(L"\x1A\x1A garbage"), KeptUnread, KeptReadInPart, 0, 0, 0, 2 },
    };
    int second = 900;
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(home + L"\\" + c.name, c.bytes));
        ASSERT_TRUE(SetFileWrittenAt(home + L"\\" + c.name, second -= 100));
    }
    // Neither a save's temporary file nor a stranger is a kept state; a folder under a slot's
    // name is listed, as something that cannot be read.
    WriteFileBytes(home + L"\\Vantrel.cfg.new-12-3", StateBytes(alpha));
    WriteFileBytes(home + L"\\Vantrel.cfg.unreadable", StateBytes(alpha));
    ASSERT_TRUE(CreateDirectoryW((backup + L"\\Vantrel_Bkup003.cfg").c_str(), NULL));
    std::map<std::wstring, std::string> before = FolderBytes(home), backupsBefore = FolderBytes(backup);

    HANDLE held = CreateFileW((backup + L"\\Vantrel_Bkup002.cfg").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    KeptStateList list = {};
    EXPECT_EQ(ListKeptStates(now, &list), 0);
    CloseHandle(held);

    ASSERT_EQ(list.count, (int)_countof(cases) + 1);
    EXPECT_EQ(std::wstring(list.states[0].path), backup + L"\\Vantrel_Bkup003.cfg") << "the folder, made just now";
    EXPECT_EQ(list.states[0].reading, KeptNotRead);
    for (int i = 0; i < (int)_countof(cases); i++) {
        const KeptState& state = list.states[i + 1];
        const auto& c = cases[i];
        EXPECT_EQ(std::wstring(state.path), home + L"\\" + c.name);
        EXPECT_EQ(state.kind, c.kind) << c.name;
        EXPECT_EQ(state.reading, c.reading) << c.name;
        const GridComparison& got = state.comparison;
        EXPECT_EQ(std::vector<int>({ got.tiles, got.missingNow, got.changed, got.notInIt }),
                  std::vector<int>({ c.tiles, c.missing, c.changed, c.notInIt })) << c.name;
    }
    EXPECT_EQ(list.states[1].rows, 6);
    FreeKeptStateList(&list);
    EXPECT_EQ(FolderBytes(home), before);
    EXPECT_EQ(FolderBytes(backup), backupsBefore);

    // A state read whole for a restore: its tiles, and nothing for one that cannot be read.
    KeptTiles tiles = {};
    ASSERT_EQ(ReadKeptTiles((home + L"\\Vantrel.cfg.unread-2").c_str(), &tiles), 0);
    EXPECT_STREQ(KeptTileName(&tiles, 1), L"Br\u00E4vo");
    EXPECT_STREQ(KeptTilePath(&tiles, 1), L"C:\\b.txt");
    EXPECT_EQ(tiles.cells[0].digest, 0u);
    for (const wchar_t* unreadable : { L"Vantrel.cfg.v0004", L"Backup\\Vantrel_Bkup003.cfg", L"Vantrel.cfg.gone" })
        EXPECT_EQ(ReadKeptTiles((home + L"\\" + unreadable).c_str(), &tiles), -1) << unreadable;
    FreeKeptTiles(&tiles);
}

TEST(KeptStatesTest, NoFolderOrAnEmptyOneListsNothing)
{
    TileDigest now[GridCellCount] = {};
    TestFolder folder;
    KeptStateList list = {};
    EXPECT_EQ(ListKeptStates(now, &list), 0);
    EXPECT_EQ(list.count, 0);
    CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL);
    CreateDirectoryW(folder.Join(L"Morrowtide\\Backup").c_str(), NULL);
    EXPECT_EQ(ListKeptStates(now, &list), 0);
    EXPECT_EQ(list.count, 0);
    FreeKeptStateList(&list);
}

TEST(KeptStatesTest, OnlyTheNamesTheProgramGivesItsCopies)
{
    const struct { const wchar_t* suffix; int kind; } cases[] = {
        { L".unread", KeptUnread },     { L".unread-12", KeptUnread },  { L".UNREAD-2", KeptUnread },
        { L".pending", KeptPending },   { L".v0004", KeptOtherVersion }, { L".vx0x1-3", KeptOtherVersion },
        { L".unread-", -1 },            { L".unread-0", -1 },            { L".unread-2a", -1 },
        { L".unreadable", -1 },         { L".pending-2", -1 },           { L".v004", -1 },
        { L".v00a4", -1 },              { L".v0004-", -1 },              { L".new-12-3", -1 },
        { L"", -1 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeptKindOfSuffix(c.suffix), c.kind) << c.suffix;
}
