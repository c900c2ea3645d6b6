// LoadConfig, SaveConfig and SaveConfigOrClose on real files in a test folder.
#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "app/MainWindow.h"
#include "config/ConfigFile.h"
#include "config/ConfigFormat.h"
#include "config/FileCommit.h"
#include "model/TileGrid.h"

static const wchar_t UnreadableText[] = L"The Configuration File settings can not be read. Using default program settings";
static const wchar_t UnreadableCaption[] = L"ERROR - Configuration File Settings Unreadable";

// The example file: a 6 x 8 grid, hotkey registered, tile (1, 2) selected, three tiles.
static const wchar_t ExampleText[] =
    L"//#v0003 DO NOT CHANGE THIS LINE\n"
    L"-10,0,859,646,0,0,90,1,6,8,1,2\n"
    L"1,1,2,3289650,C:\\Tools\\Editor\\editor.exe,Editor\n"
    L"1,2,1,255,D:\\Projects,Projects\n"
    L"2,1,0,3289650,C:\\Data\\notes#^e$, draft.txt,Notes#^e$, draft\n";

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL);
    }
    void TearDown() override { DestroyTestMainWindow(); }

    std::wstring ConfigPath() const { return folder.Join(L"Morrowtide\\Vantrel.cfg"); }
    // How many files lie beside the configuration file ("Vantrel.cfg.*").
    int FilesBeside() const
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((ConfigPath() + L".*").c_str(), &found);
        int count = 0;
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            count += _wcsicmp(found.cFileName, L"Vantrel.cfg") != 0;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return count;
    }
    void WriteConfig(const std::wstring& text) { ASSERT_TRUE(WriteFileBytes(ConfigPath(), Utf16FileBytes(text))); }

    void ExpectDefaults()
    {
        EXPECT_EQ(AppSettings.rows, 6);
        EXPECT_EQ(AppSettings.columns, 8);
        EXPECT_EQ(AppSettings.hotkeyKey, 'Z');
        EXPECT_EQ(AppSettings.hotkeyRegistered, 0);
        EXPECT_EQ(AppSettings.windowLeft, -10);
        EXPECT_EQ(AppSettings.scrollPosH, 0);
        EXPECT_EQ(AppSettings.selectedRow, 1);
        EXPECT_EQ(AppSettings.selectedColumn, 1);
        EXPECT_EQ(AppSettings.rowsHighWater, 1);
    }

    static Tile* Fill(int row, int column, const wchar_t* path, const wchar_t* name, int kind, COLORREF color)
    {
        Tile* tile = TileAt(row, column);
        wcscpy_s(tile->path, path);
        wcscpy_s(tile->name, name);
        tile->filled = 1;
        tile->kind = kind;
        tile->backColor = color;
        return tile;
    }

    int FilledCount()
    {
        int count = 0;
        for (const Tile& tile : TileGrid)
            count += tile.filled;
        return count;
    }

    TestFolder folder;
};

TEST_F(ConfigFileTest, ExampleFileLoadsItsSettingsAndThreeTiles)
{
    WriteConfig(ExampleText);
    MessageBoxCatcher catcher;
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());

    EXPECT_EQ(AppSettings.windowLeft, -10);
    EXPECT_EQ(AppSettings.windowTop, 0);
    EXPECT_EQ(AppSettings.windowWidth, 859);
    EXPECT_EQ(AppSettings.windowHeight, 646);
    EXPECT_EQ(AppSettings.hotkeyRegistered, 1);
    EXPECT_EQ(AppSettings.selectedRow, 1);
    EXPECT_EQ(AppSettings.selectedColumn, 2);
    EXPECT_EQ(TileAt(1, 2)->selected, 1);
    EXPECT_EQ(TileAt(1, 1)->selected, 0);
    EXPECT_EQ(AppSettings.rowsHighWater, 6);
    EXPECT_EQ(AppSettings.columnsHighWater, 8);

    EXPECT_EQ(FilledCount(), 3);
    const Tile* editor = TileAt(1, 1);
    EXPECT_STREQ(editor->path, L"C:\\Tools\\Editor\\editor.exe");
    EXPECT_STREQ(editor->name, L"Editor");
    EXPECT_EQ(editor->kind, 2);
    EXPECT_EQ(editor->backColor, 0x323232u);
    EXPECT_EQ(editor->iconIndex, 0);
    EXPECT_EQ(TileAt(1, 2)->backColor, 255u);
    EXPECT_STREQ(TileAt(2, 1)->path, L"C:\\Data\\notes, draft.txt");
    EXPECT_STREQ(TileAt(2, 1)->name, L"Notes, draft");
}

TEST_F(ConfigFileTest, SavingTheExampleModelReproducesTheFileByteForByte)
{
    HWND window = CreateTestMainWindow(859, 646);
    ASSERT_NE(window, nullptr);
    SetWindowPos(window, NULL, -10, 0, 859, 646, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(window, &r);
    ASSERT_EQ(r.left, -10);
    ASSERT_EQ(r.top, 0);

    AppSettings.hotkeyRegistered = 1;
    MoveSelection(1, 2);
    Fill(1, 1, L"C:\\Tools\\Editor\\editor.exe", L"Editor", 2, 0x323232);
    Fill(1, 2, L"D:\\Projects", L"Projects", 1, 255);
    Fill(2, 1, L"C:\\Data\\notes, draft.txt", L"Notes, draft", 0, 0x323232);

    MessageBoxCatcher catcher;
    ASSERT_EQ(SaveConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());
    std::string bytes = ReadFileBytes(ConfigPath());
    EXPECT_EQ(bytes, Utf16FileBytes(ExampleText));
    EXPECT_EQ(bytes.substr(0, 22), std::string("\xFF\xFE/\0/\0#\0v\0" "0\0" "0\0" "0\0" "3\0 \0D\0", 22));
    EXPECT_FALSE(FileExists(ConfigPath() + L".new"));
}

TEST_F(ConfigFileTest, SaveAndLoadBringBackEveryFilledTileOfTheWholeArray)
{
    ASSERT_NE(CreateTestMainWindow(), nullptr);
    AppSettings.rows = 3;
    AppSettings.columns = 3;
    MoveSelection(2, 3);
    const int cells[][2] = { { 1, 1 }, { 4, 4 }, { 6, 8 }, { 50, 100 }, { 50, 1 } };
    for (const auto& cell : cells) {
        Tile* tile = TileAt(cell[0], cell[1]);
        swprintf_s(tile->path, L"C:\\t\\%d-%d.txt", cell[0], cell[1]);
        swprintf_s(tile->name, L"tile %d %d", cell[0], cell[1]);
        tile->filled = 1;
        tile->kind = cell[0] % 4 - 1;
        tile->backColor = RGB(cell[0], cell[1], 7);
    }
    ASSERT_EQ(SaveConfig(), 0);

    ResetProgramState();
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_EQ(AppSettings.rows, 3);
    EXPECT_EQ(AppSettings.columns, 3);
    EXPECT_EQ(AppSettings.selectedRow, 2);
    EXPECT_EQ(AppSettings.selectedColumn, 3);
    EXPECT_EQ(FilledCount(), 5);
    for (const auto& cell : cells) {
        const Tile* tile = TileAt(cell[0], cell[1]);
        wchar_t expected[64];
        swprintf_s(expected, L"C:\\t\\%d-%d.txt", cell[0], cell[1]);
        EXPECT_STREQ(tile->path, expected);
        EXPECT_EQ(tile->kind, cell[0] % 4 - 1);
        EXPECT_EQ(tile->backColor, (COLORREF)RGB(cell[0], cell[1], 7));
    }
}

TEST_F(ConfigFileTest, MissingFileIsCreatedHoldingOnlyTheByteOrderMark)
{
    RemoveDirectoryW(folder.Join(L"Morrowtide").c_str());
    MessageBoxCatcher catcher;
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(ReadFileBytes(ConfigPath()), std::string("\xFF\xFE"));
    ExpectDefaults();

    // The two-byte file of a first run, and an empty file, read as nothing at all.
    ResetProgramState();
    ASSERT_EQ(LoadConfig(), 0);
    ASSERT_TRUE(WriteFileBytes(ConfigPath(), ""));
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());
    ExpectDefaults();
    EXPECT_EQ(FilledCount(), 0);
}

TEST_F(ConfigFileTest, UnknownFormatVersionsAndHeaderlessFiles)
{
    // Another version gives -2, after the file is kept beside it, never over one kept before.
    const std::wstring newer = L"//#v0004 DO NOT CHANGE THIS LINE\n-10,0,859,646,0,0,65,1,9,9,1,1\n1,1,0,0,C:\\x,X\n";
    for (const wchar_t* kept : { L"Vantrel.cfg.v0004", L"Vantrel.cfg.v0004-2" }) {
        ResetProgramState();
        WriteConfig(newer + kept);
        EXPECT_EQ(LoadConfig(), -2);
        ExpectDefaults();
        EXPECT_EQ(FilledCount(), 0);
        EXPECT_EQ(ReadFileBytes(folder.Join(std::wstring(L"Morrowtide\\") + kept)), Utf16FileBytes(newer + kept));
    }
    WriteConfig(L"//#v12");
    EXPECT_EQ(LoadConfig(), -2);
    EXPECT_TRUE(FileExists(folder.Join(L"Morrowtide\\Vantrel.cfg.v12xx")));

    // A capital V is no header: the settings stay at their defaults, and every line after
    // the first is a tile line, the would-be settings line too.
    ResetProgramState();
    WriteConfig(L"//#V0003\n5,5,5,5,0,0,65,1,9,9,1,1\n1,2,0,0,C:\\x,X\n");
    EXPECT_EQ(LoadConfig(), 0);
    ExpectDefaults();
    EXPECT_EQ(FilledCount(), 2);
    EXPECT_EQ(TileAt(1, 2)->filled, 1);
    EXPECT_STREQ(TileAt(5, 5)->path, L"0");

    ResetProgramState();
    WriteConfig(L"//#v0003 DO NOT CHANGE THIS LINE\n");
    EXPECT_EQ(LoadConfig(), 0);
    ExpectDefaults();
}

TEST_F(ConfigFileTest, UnreadableSettingsWarnKeepDefaultsAndStillLoadTiles)
{
    const wchar_t* lines[] = {
        L"-32000,-32000,160,27,0,0,65,1,9,9,2,2\n",   // a minimised window
        L"1,2,3,4,5,6,65,1,9,9,2\n",                  // eleven fields
        L"1,2,3,4,5,6,65,1,9,9,2,x\n",
    };
    for (const wchar_t* settings : lines) {
        ResetProgramState();
        HWND window = CreateTestMainWindow();
        WriteConfig(std::wstring(L"//#v0003 DO NOT CHANGE THIS LINE\n") + settings + L"3,3,0,0,C:\\x,X\n");
        MessageBoxCatcher catcher;
        EXPECT_EQ(LoadConfig(), 0);
        ASSERT_EQ(catcher.boxes.size(), 1u) << settings;
        EXPECT_EQ(catcher.boxes[0].text, UnreadableText);
        EXPECT_EQ(catcher.boxes[0].caption, UnreadableCaption);
        EXPECT_EQ(catcher.boxes[0].owner, window);
        EXPECT_EQ(catcher.boxes[0].icon, LoadIconW(NULL, IDI_WARNING));
        AppSettings.windowLeft = -10;   // the test window moved it
        EXPECT_EQ(AppSettings.rows, 6);
        EXPECT_EQ(AppSettings.hotkeyKey, 'Z');
        EXPECT_EQ(AppSettings.selectedRow, 1);
        EXPECT_EQ(TileAt(3, 3)->filled, 1);
        DestroyTestMainWindow();
    }
}

TEST_F(ConfigFileTest, LinesThatCannotBeReadWholeAreSkippedWhole)
{
    // Lines longer than any the writer produces, whose tails look like tile lines, cut
    // wherever a reader with a fixed buffer might cut them.
    for (int length = ConfigLineCapacity - 3; length <= ConfigLineCapacity + 2; length++) {
        std::wstring head = L"1,1,0,0,C:\\";
        std::wstring monster = head + std::wstring((size_t)length - head.size(), L'a') + L"2,2,0,0,C:\\evil,Evil";
        ResetProgramState();
        WriteConfig(L"//#v0003 DO NOT CHANGE THIS LINE\n-10,0,859,646,0,0,90,1,6,8,1,1\n" + monster +
                    L"\n3,3,0,0,C:\\after,After\n// a comment\n4,4,0,0,C:\\last,Last\n");
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(TileAt(1, 1)->filled, 0) << length;
        EXPECT_EQ(TileAt(2, 2)->filled, 0) << length;
        EXPECT_STREQ(TileAt(3, 3)->path, L"C:\\after");
        EXPECT_STREQ(TileAt(4, 4)->path, L"C:\\last");
    }
}

TEST_F(ConfigFileTest, EdgeCasesOfTileLines)
{
    WriteConfig(L"//#v0003 DO NOT CHANGE THIS LINE\n"
                L"-10,0,859,646,0,0,90,1,6,8,1,1\n"
                L"007,1,0,0,C:\\seven,Seven\n"
                L"2,2,0,0,C:\\first,First\n"
                L"2,2,0,255,C:\\second,Second\n"
                L"51,1,0,0,C:\\x,X\n"
                L"1,0,0,0,C:\\x,X\n"
                L"1,101,0,0,C:\\x,X\n"
                L"3,3,-1,0,C:\\missing.txt,Missing\n"
                L"4,4,-2,0,C:\\x,X\n"
                L"5,5,0,0,x#^e$,Name\n"
                L"6,6,0,0,  C:\\padded  ,  two  words  \n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_STREQ(TileAt(7, 1)->path, L"C:\\seven");
    EXPECT_STREQ(TileAt(2, 2)->path, L"C:\\second");
    EXPECT_EQ(TileAt(2, 2)->backColor, 255u);
    EXPECT_EQ(TileAt(3, 3)->kind, -1);
    EXPECT_EQ(TileAt(4, 4)->filled, 0);
    EXPECT_STREQ(TileAt(5, 5)->path, L"x,Name");
    EXPECT_STREQ(TileAt(6, 6)->path, L"C:\\padded");
    EXPECT_STREQ(TileAt(6, 6)->name, L"  two  words  ");
    EXPECT_EQ(FilledCount(), 5);
}

TEST_F(ConfigFileTest, EmptyNamesComeFromTheShell)
{
    std::wstring target = folder.Join(L"notepad.exe");
    ASSERT_TRUE(WriteFileBytes(target, "MZ"));
    WriteConfig(L"//#v0003 DO NOT CHANGE THIS LINE\n-10,0,859,646,0,0,90,1,6,8,1,1\n1,1,2,0," + target +
                L",\n1,2,0,0,C:\\nowhere\\x.txt,\n");
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_STREQ(TileAt(1, 1)->name, L"Notepad");
    EXPECT_EQ(TileAt(1, 2)->filled, 1);
    EXPECT_STREQ(TileAt(1, 2)->name, L"");
}

// UTF-8 with its mark, and without one as an editor leaves it after a hand edit.
TEST_F(ConfigFileTest, Utf8FilesAreRead)
{
    std::string utf8 = "//#v0003 DO NOT CHANGE THIS LINE\r\n-10,0,859,646,0,0,65,1,7,9,2,2\r\n"
                       "1,1,0,0,C:\\Caf\xC3\xA9,Caf\xC3\xA9 \xF0\x9F\x98\x80\r\n";
    for (const std::string& bytes : { "\xEF\xBB\xBF" + utf8, utf8 }) {
        ResetProgramState();
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), bytes));
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(AppSettings.rows, 7);
        EXPECT_EQ(AppSettings.hotkeyKey, 'A');
        EXPECT_STREQ(TileAt(1, 1)->path, L"C:\\Caf\u00e9");
        EXPECT_STREQ(TileAt(1, 1)->name, L"Caf\u00e9 \U0001F600");
        EXPECT_EQ(UnreadConfigCopy(), nullptr);
    }
}

// A disk that fails part-way through a read, as a locked byte range or a bad sector does.
typedef BOOL(WINAPI* ReadFileProc)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
static ReadFileProc readFileOriginal;
static BOOL WINAPI ReadHalfThenFail(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    readFileOriginal(file, buffer, size / 2, read, overlapped);
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
}

TEST_F(ConfigFileTest, AnExistingFileThatCannotBeReadIsLeftAlone)
{
    MessageBoxCatcher catcher;
    // Big-endian byte order mark: the runtime refuses it.
    std::string bigEndian = "\xFE\xFF\0/\0/\0#";
    ASSERT_TRUE(WriteFileBytes(ConfigPath(), bigEndian));
    EXPECT_EQ(LoadConfig(), -3);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), bigEndian);

    // Held by another process that shares nothing.
    WriteConfig(ExampleText);
    HANDLE held = CreateFileW(ConfigPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ResetProgramState();
    EXPECT_EQ(LoadConfig(), -3);
    EXPECT_EQ(FilledCount(), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), Utf16FileBytes(ExampleText));

    // A folder where the file belongs.
    DeleteFileW(ConfigPath().c_str());
    ASSERT_TRUE(CreateDirectoryW(ConfigPath().c_str(), NULL));
    EXPECT_EQ(LoadConfig(), -3);
    EXPECT_TRUE(FolderExists(ConfigPath()));

    // A read that fails part-way is no end of the file: nothing is taken as read, and the
    // file stays as it is.
    RemoveDirectoryW(ConfigPath().c_str());
    WriteConfig(ExampleText);
    ResetProgramState();
    {
        ImportPatch failing("kernel32.dll", "ReadFile", (void*)ReadHalfThenFail);
        readFileOriginal = (ReadFileProc)failing.original;
        EXPECT_EQ(LoadConfig(), -3);
    }
    EXPECT_EQ(FilledCount(), 0);
    EXPECT_EQ(AppSettings.selectedColumn, 1);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), Utf16FileBytes(ExampleText));

    // Each time with the message of a file that can be neither read nor created.
    ASSERT_EQ(catcher.boxes.size(), 4u);
    for (const CaughtBox& box : catcher.boxes) {
        EXPECT_EQ(box.text, L"Couldn't Create Config File");
        EXPECT_EQ(box.caption, L"Error - Vantrel ");
        EXPECT_EQ(box.icon, LoadIconW(NULL, IDI_WARNING));
    }
}

TEST_F(ConfigFileTest, AWindowFarLeftOrAboveIsStillReadBack)
{
    HWND window = CreateTestMainWindow(640, 480);
    SetWindowPos(window, NULL, -1500, -1200, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    AppSettings.rows = 9;
    ASSERT_EQ(SaveConfig(), 0);
    ResetProgramState();
    MessageBoxCatcher catcher;
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(AppSettings.windowLeft, -999);
    EXPECT_EQ(AppSettings.windowTop, -999);
    EXPECT_EQ(AppSettings.rows, 9);
}

TEST_F(ConfigFileTest, FolderThatCannotBeCreatedIsReported)
{
    TestFolder inner;
    std::wstring missing = inner.Join(L"no\\such\\base");
    SetConfigBaseFolderForTests(missing.c_str());
    MessageBoxCatcher catcher;
    EXPECT_EQ(LoadConfig(), -4);
    EXPECT_EQ(SaveConfig(), -4);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    std::wstring folderText = L"Couldn't Create Folder:\n   " + missing + L"\\Morrowtide\n\n";
    EXPECT_EQ(catcher.boxes[0].text, folderText + L"CreateDirectoryW() return code = 0");
    EXPECT_EQ(catcher.boxes[0].caption, L"This is Vantrel");
    EXPECT_EQ(catcher.boxes[1].text, folderText + L"CreateDirectoryW return code = 0");
    EXPECT_EQ(catcher.boxes[1].caption, L"This is Vantrel - msg 101");
    EXPECT_EQ(catcher.boxes[0].icon, LoadIconW(NULL, IDI_WARNING));
    EXPECT_EQ(catcher.boxes[0].owner, nullptr);
}

TEST_F(ConfigFileTest, NoUsableBaseFolderFailsWithoutTouchingAnyFile)
{
    // A base folder too long for the composed paths, or for the save's temporary file beside
    // the file, stands for one that cannot be found.
    MessageBoxCatcher catcher;
    for (size_t length : { (size_t)480, 460 - folder.path.size() }) {
        std::wstring longBase = folder.path + L"\\" + std::wstring(length, L'b');
        SetConfigBaseFolderForTests(longBase.c_str());
        EXPECT_EQ(LoadConfig(), -4) << length;
        EXPECT_EQ(SaveConfig(), -4) << length;
    }
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(ConfigFileTest, MissingFileThatCannotBeCreatedGivesMinusThree)
{
    // A plain file named like the folder: the folder "exists", the file inside cannot.
    RemoveDirectoryW(folder.Join(L"Morrowtide").c_str());
    ASSERT_TRUE(WriteFileBytes(folder.Join(L"Morrowtide"), "x"));
    HWND window = CreateTestMainWindow();
    MessageBoxCatcher catcher;
    EXPECT_EQ(LoadConfig(), -3);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, L"Couldn't Create Config File");
    EXPECT_EQ(catcher.boxes[0].caption, L"Error - Vantrel ");
    EXPECT_EQ(catcher.boxes[0].owner, window);
    EXPECT_EQ(SaveConfig(), -1);
}

TEST_F(ConfigFileTest, AFileOfAnotherVersionIsRewrittenBeforeTheWindowWithTheSettingsPlacement)
{
    WriteConfig(L"//#v0004 DO NOT CHANGE THIS LINE\n5,5,500,400,7,8,65,1,9,9,1,1\n");
    // Where start-up will open the window, and its bars.
    AppSettings.windowLeft = -10;
    AppSettings.windowTop = 411;
    AppSettings.windowWidth = 859;
    AppSettings.windowHeight = 646;
    AppSettings.scrollPosV = 30;
    MessageBoxCatcher catcher;
    ASSERT_EQ(LoadConfig(), -2);
    ASSERT_EQ(SaveConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(ReadFileBytes(ConfigPath()), Utf16FileBytes(L"//#v0003 DO NOT CHANGE THIS LINE\n-10,411,859,646,0,30,90,0,6,8,1,1\n"));
}

TEST_F(ConfigFileTest, AMinimisedWindowIsSavedWithItsRestoredRectangle)
{
    HWND window = CreateTestMainWindow(640, 480);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, NULL, 120, 90, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    ASSERT_EQ(SaveConfig(), 0);

    ResetProgramState();
    MessageBoxCatcher catcher;
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(AppSettings.windowLeft, 120);
    EXPECT_EQ(AppSettings.windowTop, 90);
    EXPECT_EQ(AppSettings.windowWidth, 640);
    EXPECT_EQ(AppSettings.windowHeight, 480);
}

// A state of `count` tiles, a hundred to a row, whose paths and names say which state they
// belong to: as the program writes it, put into the model, and the check that the model
// holds exactly that state.
static void StateTile(const wchar_t* state, int i, wchar_t* path, wchar_t* name)
{
    swprintf_s(path, 64, L"C:\\t\\%ls_%d_%d.txt", state, i / 100 + 1, i % 100 + 1);
    swprintf_s(name, 64, L"%ls %d %d", state, i / 100 + 1, i % 100 + 1);
}

static std::wstring StateText(const wchar_t* state, int count)
{
    std::wstring text = L"//#v0003 DO NOT CHANGE THIS LINE\n-10,0,859,646,0,0,90,1,6,8,1,1\n";
    for (int i = 0; i < count; i++) {
        wchar_t path[64], name[64], line[160];
        StateTile(state, i, path, name);
        swprintf_s(line, L"%d,%d,0,3289650,%ls,%ls\n", i / 100 + 1, i % 100 + 1, path, name);
        text += line;
    }
    return text;
}

static void FillState(const wchar_t* state, int count)
{
    for (int i = 0; i < count; i++) {
        wchar_t path[64], name[64];
        StateTile(state, i, path, name);
        FillTile(TileAt(i / 100 + 1, i % 100 + 1), path, name, TileKind::PlainFile);
    }
}

static void ExpectState(const wchar_t* state, int count, const char* what)
{
    int filled = 0;
    for (const Tile& tile : TileGrid)
        filled += tile.filled;
    EXPECT_EQ(filled, count) << what;
    for (int i = 0; i < count; i++) {
        wchar_t path[64], name[64];
        StateTile(state, i, path, name);
        ASSERT_STREQ(TileAt(i / 100 + 1, i % 100 + 1)->name, name) << what;
    }
}

// A save while another program holds the file: a holder that lets others delete it is
// replaced past, one that lets go soon is waited for, one that lets others write is written
// in place (after about two seconds, with the new text kept beside until it is done), and one
// that shares no writing makes the save fail with the file untouched.
TEST_F(ConfigFileTest, ASaveGetsPastOrWaitsForAFileHeldElsewhere)
{
    ASSERT_NE(CreateTestMainWindow(), nullptr);
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const struct { DWORD share; DWORD releaseAfterMs; int result; bool inPlace; } cases[] = {
        { all, INFINITE, 0, false },
        { 0, 300, 0, false },
        { FILE_SHARE_READ | FILE_SHARE_WRITE, INFINITE, 0, true },
        { FILE_SHARE_READ, INFINITE, -1, false },
    };
    const std::string old = Utf16FileBytes(ExampleText);
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), old));
        HANDLE held = CreateFileW(ConfigPath().c_str(), GENERIC_READ, c.share, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread releaser([&] {
            if (c.releaseAfterMs != INFINITE) {
                Sleep(c.releaseAfterMs);
                CloseHandle(held);
            }
        });
        // The holder that lets go is waited for as long as the program waits.
        SetBusyWaitDivisorForTests(c.releaseAfterMs != INFINITE ? 1 : TestBusyWaitDivisor);
        EXPECT_EQ(SaveConfig(), c.result) << c.share;
        SetBusyWaitDivisorForTests(TestBusyWaitDivisor);
        releaser.join();
        // The holder's handle shows whether the file it holds was written over, or replaced.
        char start[4] = {};
        DWORD read = 0;
        if (c.releaseAfterMs == INFINITE) {
            SetFilePointer(held, 70, NULL, FILE_BEGIN);
            ReadFile(held, start, 4, &read, NULL);
            CloseHandle(held);
            EXPECT_EQ(std::string(start, 4) != old.substr(70, 4), c.inPlace) << c.share;
        }
        std::string bytes = ReadFileBytes(ConfigPath());
        EXPECT_EQ(bytes == old, c.result != 0) << "saved, or left as it was: " << c.share;
        EXPECT_EQ(bytes.substr(0, 22) == old.substr(0, 22), true);
        EXPECT_EQ(FilesBeside(), 0) << "no temporary file or pending copy left: " << c.share;
    }
}

// A write that fails part-way, by a full disk or a kill: after a number of whole writes (to
// the configuration file itself, or to any file), half of the next one lands.
typedef BOOL(WINAPI* WriteFileProc)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
static WriteFileProc writeFileOriginal;
static struct { bool configFileOnly; int writesBefore; bool kill; } fault;

static bool IsConfigFileHandle(HANDLE file)
{
    wchar_t name[MAX_PATH];
    DWORD length = GetFinalPathNameByHandleW(file, name, MAX_PATH, 0);
    return length > 12 && length < MAX_PATH && _wcsicmp(name + length - 12, L"\\Vantrel.cfg") == 0;
}

static BOOL WINAPI FaultyWrite(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if ((fault.configFileOnly && !IsConfigFileHandle(file)) || fault.writesBefore-- > 0)
        return writeFileOriginal(file, bytes, size, written, overlapped);
    writeFileOriginal(file, bytes, size / 2 + 1, written, overlapped);
    if (fault.kill)
        TerminateProcess(GetCurrentProcess(), 9);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Saves 900 tiles over a file of 1,000 that another program holds letting others write but not
// rename it, with the fault set: the new text must go in place. MainWindow must exist.
static int SaveOverHeldFile(const std::wstring& base)
{
    std::wstring config = base + L"\\Morrowtide\\Vantrel.cfg";
    HANDLE held = CreateFileW(config.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              0, NULL);
    FillState(L"new", 900);
    ImportPatch faulty("kernel32.dll", "WriteFile", (void*)FaultyWrite);
    writeFileOriginal = (WriteFileProc)faulty.original;
    int result = SaveConfig();
    CloseHandle(held);
    return result;
}

static int SaveKilledWhileWritingInPlace()
{
    SetConfigBaseFolderForTests(ChildProgramFolder().c_str());
    SetBusyWaitDivisorForTests(TestBusyWaitDivisor);
    fault = { true, 1, true };
    CreateTestMainWindow();
    SaveOverHeldFile(ChildProgramFolder());
    return 1;   // not reached when the kill came
}
static ChildProgram killedWhileWritingInPlace("SaveKilledWhileWritingInPlace", SaveKilledWhileWritingInPlace);

// A full disk while the new text is written beside the file leaves the file as it was; a full
// disk or a kill while it is written in place leaves the pending copy, from which the next
// start has every tile of the new state, keeping the torn file beside.
TEST_F(ConfigFileTest, ASaveThatStopsPartWayLosesNothing)
{
    const std::string old = Utf16FileBytes(StateText(L"old", 1000));
    ASSERT_TRUE(WriteFileBytes(ConfigPath(), old));
    ASSERT_NE(CreateTestMainWindow(), nullptr);
    FillState(L"new", 900);
    fault = { false, 1, false };
    {
        ImportPatch faulty("kernel32.dll", "WriteFile", (void*)FaultyWrite);
        writeFileOriginal = (WriteFileProc)faulty.original;
        EXPECT_EQ(SaveConfig(), -1);
    }
    EXPECT_EQ(ReadFileBytes(ConfigPath()) == old, true);
    EXPECT_EQ(FilesBeside(), 0) << "nothing left beside the file";

    for (const char* stop : { "full disk", "kill" }) {
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), old));
        if (strcmp(stop, "kill") == 0) {
            ASSERT_EQ(RunChildProgram("SaveKilledWhileWritingInPlace", folder.path), 9u);
        } else {
            fault = { true, 1, false };
            EXPECT_EQ(SaveOverHeldFile(folder.path), -1);
        }
        // The first block of the new text lies over the old file, whose tail is still there.
        std::string torn = ReadFileBytes(ConfigPath());
        std::string pending = ReadFileBytes(ConfigPath() + L".pending");
        ASSERT_GT(pending.size(), 65536u) << stop;
        ASSERT_LT(pending.size(), old.size()) << stop;
        ASSERT_EQ(torn.size(), old.size()) << stop;
        EXPECT_EQ(torn.substr(0, 65536), pending.substr(0, 65536)) << stop;
        EXPECT_EQ(torn.substr(pending.size()), old.substr(pending.size())) << stop;

        ResetProgramState();
        ASSERT_EQ(LoadConfig(), 0) << stop;
        ExpectState(L"new", 900, stop);
        EXPECT_EQ(ReadFileBytes(ConfigPath()), pending) << stop;
        EXPECT_FALSE(FileExists(ConfigPath() + L".pending")) << stop;
        ASSERT_NE(UnreadConfigCopy(), nullptr) << stop;
        EXPECT_EQ(ReadFileBytes(UnreadConfigCopy()), torn) << stop;
        DeleteFileW(UnreadConfigCopy());
    }
}

// What a stopped write in place leaves, with and without the pending copy beside it. With it,
// the start takes the new text and keeps the torn file beside; without it the tear can only be
// seen where it broke a character, and then the file is kept.
TEST_F(ConfigFileTest, TornSavesLoadTheNewestWholeState)
{
    const std::string old = Utf16FileBytes(StateText(L"old", 400));
    const std::string now = Utf16FileBytes(StateText(L"new", 300));
    // A tear inside a line, and on an even byte.
    size_t middle = (now.size() / 2) & ~(size_t)1;
    const std::string endMark("\x1A\0", 2);
    std::string endMarks;
    while (now.size() + endMarks.size() < old.size())
        endMarks += endMark;
    const struct { const char* what; std::string file; bool pending; bool loadsNew; bool kept; } cases[] = {
        { "new prefix, old tail", now.substr(0, middle) + old.substr(middle), true, true, true },
        { "cut inside a line", now.substr(0, middle), true, true, true },
        { "new text, end marks over the old tail", now + endMarks, true, true, false },
        { "new text, end marks over the old tail, no pending copy", now + endMarks, false, true, false },
        // A mark followed by anything but marks was not left by this writer: the lines after
        // it are read (the old tail's rows among them), and the file is kept.
        { "new text, one mark, the old tail, no pending copy", now + endMark + old.substr(now.size() + 2), false, false,
          true },
        { "cut inside a character, no pending copy", now.substr(0, middle + 1), false, false, true },
    };
    for (const auto& c : cases) {
        ResetProgramState();
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), c.file));
        if (c.pending) {
            ASSERT_TRUE(WriteFileBytes(ConfigPath() + L".pending", now));
        }
        ASSERT_EQ(LoadConfig(), 0) << c.what;
        if (c.loadsNew) {
            ExpectState(L"new", 300, c.what);
        }
        EXPECT_FALSE(FileExists(ConfigPath() + L".pending")) << c.what;
        EXPECT_EQ(ReadFileBytes(ConfigPath()), c.pending ? now : c.file) << c.what;
        EXPECT_EQ(UnreadConfigCopy() != nullptr, c.kept) << c.what;
        if (c.kept && UnreadConfigCopy() != nullptr) {
            EXPECT_EQ(ReadFileBytes(UnreadConfigCopy()), c.file) << c.what;
            DeleteFileW(UnreadConfigCopy());
        }
    }

    // The temporary files of saves that never finished are older than the file: they go, and
    // nothing else does.
    ResetProgramState();
    ASSERT_TRUE(WriteFileBytes(ConfigPath(), now));
    for (const wchar_t* leftover : { L".new", L".new-4021-7", L".newer" })
        ASSERT_TRUE(WriteFileBytes(ConfigPath() + leftover, old.substr(0, 1000)));
    ASSERT_EQ(LoadConfig(), 0);
    ExpectState(L"new", 300, "beside leftovers");
    EXPECT_FALSE(FileExists(ConfigPath() + L".new"));
    EXPECT_FALSE(FileExists(ConfigPath() + L".new-4021-7"));
    EXPECT_TRUE(FileExists(ConfigPath() + L".newer"));
    EXPECT_EQ(UnreadConfigCopy(), nullptr);
}

// Hand edits of a five-tile file: each loads whole, or loads and keeps the file beside it once.
TEST_F(ConfigFileTest, HandEditsLoadWholeOrAreKeptBeside)
{
    ASSERT_EQ(GetACP(), 1252u) << "the ANSI case below is written in Windows-1252";
    // Lines joined by the given end, but line `at` replaced, and a lone CR after line `loneCr`.
    auto join = [](const wchar_t* end, int at = -1, const wchar_t* replacement = L"", int loneCr = -1) {
        const wchar_t* lines[] = { L"//#v0003 DO NOT CHANGE THIS LINE", L"-10,0,859,646,0,0,65,1,7,9,1,1",
                                   L"1,1,0,0,C:\\one,One", L"1,2,0,0,C:\\two,Two", L"1,3,0,0,C:\\three,Three",
                                   L"2,2,0,0,C:\\four,Four", L"2,3,0,0,C:\\five,Five" };
        std::wstring text;
        for (int i = 0; i < 7; i++)
            text += std::wstring(i == at ? replacement : lines[i]) + (i == loneCr ? L"\r" : end);
        return text;
    };
    std::string ansi = "//#v0003 DO NOT CHANGE THIS LINE\r\n-10,0,859,646,0,0,65,1,7,9,1,1\r\n1,1,0,0,C:\\caf\xE9,\xE0 la carte\r\n"
                       "1,2,0,0,C:\\two,Two\r\n1,3,0,0,C:\\three,Three\r\n2,2,0,0,C:\\four,Four\r\n2,3,0,0,C:\\five,Five\r\n";
    const struct { const char* what; std::string bytes; int filled; bool kept; const wchar_t* name22; } cases[] = {
        { "line ends of CR alone", "\xFF\xFE" + Utf16Bytes(join(L"\r")), 5, false, L"Four" },
        { "one lone CR", "\xFF\xFE" + Utf16Bytes(join(L"\r\n", -1, L"", 4)), 5, false, L"Four" },
        { "an unescaped comma in a name", Utf16FileBytes(join(L"\n", 5, L"2,2,0,0,C:\\four,Four, or more")), 5, true, L"Four" },
        { "UTF-8-looking, in the ANSI code page", ansi, 5, true, L"Four" },
        { "a CTRL+Z inside a line", Utf16FileBytes(join(L"\n", 4, L"1,3,0,0,C:\\th\x1Aree,Three")), 4, true, L"Four" },
        { "a CTRL+Z typed before a line", Utf16FileBytes(join(L"\n", 3, L"\x1A" L"1,2,0,0,C:\\two,Two")), 4, true, L"Four" },
    };
    for (const auto& c : cases) {
        ResetProgramState();
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), c.bytes));
        ASSERT_EQ(LoadConfig(), 0) << c.what;
        EXPECT_EQ(AppSettings.rows, 7) << c.what;
        EXPECT_EQ(FilledCount(), c.filled) << c.what;
        EXPECT_STREQ(TileAt(2, 2)->name, c.name22) << c.what;
        EXPECT_STREQ(TileAt(2, 3)->name, L"Five") << c.what;
        if (c.filled == 5) {
            EXPECT_STREQ(TileAt(1, 3)->name, L"Three") << c.what;
        }
        EXPECT_EQ(UnreadConfigCopy() != nullptr, c.kept) << c.what;
        EXPECT_EQ(FileExists(ConfigPath() + L".unread"), c.kept) << c.what;
        EXPECT_FALSE(FileExists(ConfigPath() + L".unread-2")) << c.what;
        if (c.kept) {
            EXPECT_EQ(ReadFileBytes(ConfigPath() + L".unread"), c.bytes) << c.what;
        }
        DeleteFileW((ConfigPath() + L".unread").c_str());
    }
    ResetProgramState();
    ASSERT_TRUE(WriteFileBytes(ConfigPath(), ansi));
    ASSERT_EQ(LoadConfig(), 0);
    EXPECT_STREQ(TileAt(1, 1)->path, L"C:\\caf\u00e9");
    EXPECT_STREQ(TileAt(1, 1)->name, L"\u00e0 la carte");

    // The same file at every start, while no save gets through: one copy, and the box each time.
    for (int start = 0; start < 3; start++) {
        ResetProgramState();
        ASSERT_EQ(LoadConfig(), 0);
        ASSERT_NE(UnreadConfigCopy(), nullptr);
        EXPECT_EQ(std::wstring(UnreadConfigCopy()), ConfigPath() + L".unread");
    }
    EXPECT_FALSE(FileExists(ConfigPath() + L".unread-2"));
}

static BOOL WINAPI FailCopy(LPCWSTR, LPCWSTR, BOOL)
{
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// A file read only in part is kept beside it before anything can replace it; a file read
// whole and the first run's file are not.
TEST_F(ConfigFileTest, AFileReadOnlyInPartIsKeptBesideIt)
{
    ASSERT_NE(CreateTestMainWindow(), nullptr);
    const std::wstring start = L"//#v0003 DO NOT CHANGE THIS LINE\n-10,0,859,646,0,0,65,1,7,9,1,1\n";
    std::wstring withNul = start + L"1,1,0,0,C:\\a,A\n2,2,0,0,C:\\cut";
    withNul += L'\0';
    withNul += L"x,B\n3,3,0,0,C:\\c,C\n";
    const struct { const char* what; std::string bytes; int filled; bool kept; } cases[] = {
        { "a line with a NUL", Utf16FileBytes(withNul), 2, true },
        { "no header", Utf16FileBytes(L"1,1,0,0,C:\\x,X\n2,2,0,0,C:\\y,Y\n"), 1, true },
        { "unreadable settings", Utf16FileBytes(L"//#v0003\n-32000,0,1,1,0,0,65,1,7,9,1,1\n2,2,0,0,C:\\y,Y\n"), 1, true },
        { "one cell twice", Utf16FileBytes(start + L"2,2,0,0,C:\\y,Y\n2,2,0,0,C:\\z,Z\n"), 1, true },
        { "a comment", Utf16FileBytes(start + L"// mine\n2,2,0,0,C:\\y,Y\n"), 1, true },
        { "read whole", Utf16FileBytes(ExampleText + std::wstring(L"\n")), 3, false },
        { "the first run's file", "\xFF\xFE", 0, false },
    };
    std::wstring copy = ConfigPath() + L".unread";
    MessageBoxCatcher catcher;
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), c.bytes));
        ResetProgramState();
        ASSERT_EQ(LoadConfig(), 0) << c.what;
        EXPECT_EQ(FilledCount(), c.filled) << c.what;
        EXPECT_EQ(UnreadConfigCopy() != nullptr, c.kept) << c.what;
        EXPECT_EQ(FileExists(copy), c.kept) << c.what;
        if (c.kept) {
            EXPECT_EQ(ReadFileBytes(copy), c.bytes) << c.what;
        }
        // Saved, the file is read whole at the next start.
        ASSERT_EQ(SaveConfig(), 0);
        ResetProgramState();
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(UnreadConfigCopy(), nullptr) << c.what;
        EXPECT_EQ(FilledCount(), c.filled) << c.what;
        DeleteFileW(copy.c_str());
    }

    // No copy, no start: the file stays as it was.
    ASSERT_TRUE(WriteFileBytes(ConfigPath(), cases[1].bytes));
    ImportPatch noCopies("kernel32.dll", "CopyFileW", (void*)FailCopy);
    EXPECT_EQ(LoadConfig(), -3);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), cases[1].bytes);
}

TEST_F(ConfigFileTest, SaveOrCloseTellsTheUserAndClosesTheWindow)
{
    HWND window = CreateTestMainWindow();
    EXPECT_EQ(SaveConfigOrClose(window), 0);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));

    HANDLE held = CreateFileW(ConfigPath().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MessageBoxCatcher catcher;
    EXPECT_NE(SaveConfigOrClose(window), 0);
    CloseHandle(held);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, L"Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.");
    EXPECT_EQ(catcher.boxes[0].owner, nullptr);
    EXPECT_TRUE(PeekMessageW(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// The waits a save asks for, counted instead of slept.
static DWORD waitedMs;
static void WINAPI CountedSleep(DWORD ms)
{
    waitedMs += ms;
}

// A holder that lets others write (a sync tool, an editor) costs the first save a quarter of a
// second of waiting at most, and the later saves none while it holds the file: they write in
// place at once. Once it lets go the next holder is waited for again. Nothing is left beside the
// file, not even the empty files that a refused replace makes under Wine.
TEST_F(ConfigFileTest, AHeldFileHoldsNoSaveLongerThanAQuarterSecond)
{
    ASSERT_NE(CreateTestMainWindow(), nullptr);
    SetBusyWaitDivisorForTests(1);
    ImportPatch counted("kernel32.dll", "Sleep", (void*)CountedSleep);
    for (int holder = 0; holder < 2; holder++) {
        ASSERT_EQ(SaveConfig(), 0);
        HANDLE held = CreateFileW(ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        for (int save = 1; save <= 3; save++) {
            waitedMs = 0;
            FillState(L"held", save);
            EXPECT_EQ(SaveConfig(), 0);
            EXPECT_TRUE(save == 1 ? waitedMs > 0 && waitedMs <= 250 : waitedMs == 0) << save << ": " << waitedMs << " ms";
        }
        CloseHandle(held);
    }
    SetBusyWaitDivisorForTests(TestBusyWaitDivisor);
    ResetProgramState();
    ASSERT_EQ(LoadConfig(), 0);
    ExpectState(L"held", 3, "the last save");
    EXPECT_EQ(FilesBeside(), 0);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.Join(L"Morrowtide\\*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left by a refused replace";
}

// ReplaceFileW can take the file away and then fail to move the new one in (a scanner holding
// it): the commit moves it in itself once it can; while it stays held, the save fails with the
// new text whole beside the file, and the next start puts that in place.
typedef BOOL(WINAPI* MoveFileExProc)(LPCWSTR, LPCWSTR, DWORD);
static MoveFileExProc realMoveFileEx;
static bool replacementHeld;
static BOOL WINAPI MoveRefusedOverTheFile(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    bool ontoTheFile = wcsstr(from, L".cfg.new-") != NULL && wcsstr(to, L".cfg.") == NULL;
    if (ontoTheFile && (replacementHeld || GetFileAttributesW(to) != INVALID_FILE_ATTRIBUTES)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return realMoveFileEx(from, to, flags);
}
static BOOL WINAPI ReplaceRemovesThenFails(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID)
{
    DeleteFileW(replaced);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}

TEST_F(ConfigFileTest, AReplaceThatRemovesTheFileAndFailsLosesNothing)
{
    ASSERT_NE(CreateTestMainWindow(), nullptr);
    for (bool held : { false, true }) {
        ASSERT_TRUE(WriteFileBytes(ConfigPath(), Utf16FileBytes(StateText(L"old", 4))));
        FillState(L"new", 3);
        replacementHeld = held;
        {
            ImportPatch move("kernel32.dll", "MoveFileExW", (void*)MoveRefusedOverTheFile);
            realMoveFileEx = (MoveFileExProc)move.original;
            ImportPatch replace("kernel32.dll", "ReplaceFileW", (void*)ReplaceRemovesThenFails);
            EXPECT_EQ(SaveConfig(), held ? -1 : 0) << held;
        }
        EXPECT_EQ(FilesBeside(), held ? 1 : 0) << "the new text, beside the file";
        ResetProgramState();
        ASSERT_EQ(LoadConfig(), 0);
        ExpectState(L"new", 3, held ? "taken from beside" : "moved in");
        EXPECT_EQ(FilesBeside() + (UnreadConfigCopy() != nullptr), 0);
    }
}

// With no file at the path, leftover temporary files are never removed: the newest one that
// reads whole is put in place and loaded, every other is kept beside as an ".unread" copy.
TEST_F(ConfigFileTest, AStartWithoutTheFileTakesTheNewestWholeTemporaryFile)
{
    const std::string three = Utf16FileBytes(StateText(L"three", 3)), five = Utf16FileBytes(StateText(L"five", 5));
    const std::string torn = five.substr(0, (five.size() - 9) & ~(size_t)1);
    // Leftovers, oldest first; the state that loads; how many are kept beside.
    const struct { std::vector<const std::string*> leftovers; const wchar_t* state; int count; int kept; } cases[] = {
        { { &three }, L"three", 3, 0 },
        { { &torn }, nullptr, 0, 1 },
        { { &three, &five }, L"five", 5, 1 },
        { { &three, &torn }, L"three", 3, 1 },
    };
    for (const auto& c : cases) {
        RemoveTree(folder.Join(L"Morrowtide"));
        CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL);
        for (size_t i = 0; i < c.leftovers.size(); i++) {
            std::wstring name = ConfigPath() + L".new-4242-" + std::to_wstring(9 - i);
            ASSERT_TRUE(WriteFileBytes(name, *c.leftovers[i]) && SetFileWrittenAt(name, (int)i));
        }
        ResetProgramState();
        ASSERT_EQ(LoadConfig(), 0);
        EXPECT_EQ(FilledCount(), c.count);
        if (c.state != nullptr) {
            ExpectState(c.state, c.count, "loaded");
        }
        EXPECT_EQ(FilesBeside(), c.kept);
        EXPECT_EQ(UnreadConfigCopy() != nullptr, c.kept > 0);
    }
}
