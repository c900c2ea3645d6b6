// Files and folders dropped on the window, as the file manager drops them: a DROPFILES
// block in global memory sent with WM_DROPFILES.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <shellapi.h>
#include <shlobj.h>

#include "commands/ContextMenu.h"
#include "commands/TileChanges.h"
#include "model/TileGrid.h"
#include "resources/resource.h"
#include "view/Paint.h"

static HDROP MakeDrop(const std::vector<std::wstring>& paths, POINT point, BOOL nonClient)
{
    std::wstring list;
    for (const std::wstring& path : paths)
        list += path + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = point;
    drop->fNC = nonClient;
    drop->fWide = TRUE;
    memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return (HDROP)memory;
}

// Counts the drops released, through the real DragFinish.
typedef void(WINAPI* DragFinishProc)(HDROP);
static DragFinishProc realDragFinish;
static int dropsReleased;
static void WINAPI CountingDragFinish(HDROP drop)
{
    dropsReleased++;
    realDragFinish(drop);
}

class DropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ASSERT_NE(CreateTestMainWindowWithClient(700, 500), nullptr);
        notes = folder.Join(L"notes.txt");
        tool = folder.Join(L"tool.exe");
        link = folder.Join(L"Editor.lnk");
        data = folder.Join(L"Data");
        ASSERT_TRUE(WriteFileBytes(notes, "x") && WriteFileBytes(tool, "x") && WriteFileBytes(link, "x"));
        ASSERT_TRUE(CreateDirectoryW(data.c_str(), NULL));
    }
    void TearDown() override { DestroyTestMainWindow(); }
    std::wstring ConfigPath() const { return folder.Join(L"Morrowtide\\Vantrel.cfg"); }
    // Drops on the centre of a tile, or on a client point.
    void Drop(const std::vector<std::wstring>& paths, int row, int column)
    {
        Drop(paths, POINT{ 10 + (column - 1) * 103 + 51, 10 + (row - 1) * 103 + 51 });
    }
    void Drop(const std::vector<std::wstring>& paths, POINT point, BOOL nonClient = FALSE)
    {
        HDROP drop = MakeDrop(paths, point, nonClient);
        ImportPatch counting("shell32.dll", "DragFinish", (void*)CountingDragFinish);
        realDragFinish = (DragFinishProc)counting.original;
        dropsReleased = 0;
        EXPECT_EQ(SendMessageW(MainWindow, WM_DROPFILES, (WPARAM)drop, 0), 0);
        EXPECT_EQ(dropsReleased, 1) << "the drop is released once";
    }
    TestFolder folder;
    std::wstring notes, tool, link, data;
};

TEST_F(DropTest, TheWindowTakesDropsAndFillsTilesAsThePickersDo)
{
    EXPECT_TRUE(GetWindowLongW(MainWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    Drop({ tool }, 2, 3);
    const Tile* file = TileAt(2, 3);
    EXPECT_EQ(std::wstring(file->path), tool);
    EXPECT_STREQ(file->name, L"Tool");
    EXPECT_EQ(file->kind, 2);
    EXPECT_EQ(file->backColor, 0x323232u);
    EXPECT_EQ(AppSettings.iconRefreshMode, 1);
    EXPECT_EQ(AppSettings.selectedRow, 2);
    EXPECT_EQ(AppSettings.selectedColumn, 3);
    // The file holds the new selection with the new tile: the settings line ends in the grid
    // size and the selected row and column.
    EXPECT_NE(ReadFileBytes(ConfigPath()).find(Utf16FileBytes(L",6,8,2,3\n").substr(2)), std::string::npos);

    Drop({ data }, 4, 1);
    const Tile* folderTile = TileAt(4, 1);
    EXPECT_EQ(std::wstring(folderTile->path), data);
    EXPECT_STREQ(folderTile->name, L"Data");
    EXPECT_EQ(folderTile->kind, 0) << "as the folder picker leaves it";
    std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_NE(saved.find(Utf16FileBytes(L"4,1,0,3289650," + data + L",Data\n").substr(2)), std::string::npos);
}

TEST_F(DropTest, SeveralItemsTakeTheNextEmptyTilesAndTheRestIsLeftOutWithOneBox)
{
    AppSettings.rows = 2;
    AppSettings.columns = 4;
    FillTile(TileAt(1, 3), L"C:\\in\\the\\way.txt", L"way", 0);
    MessageBoxCatcher catcher;
    Drop({ notes, link, tool }, 1, 2);
    EXPECT_EQ(std::wstring(TileAt(1, 2)->path), notes);
    EXPECT_STREQ(TileAt(1, 3)->path, L"C:\\in\\the\\way.txt");
    EXPECT_EQ(std::wstring(TileAt(1, 4)->path), link) << "a shortcut is kept as the shortcut";
    EXPECT_EQ(std::wstring(TileAt(2, 1)->path), tool);
    EXPECT_TRUE(catcher.boxes.empty());

    // Five more onto (2, 2): three tiles are left, and nothing wraps to the top.
    std::string before = ReadFileBytes(ConfigPath());
    Drop({ notes, notes, notes, notes, notes }, 2, 2);
    EXPECT_EQ(TileAt(2, 4)->filled, 1);
    EXPECT_EQ(TileAt(1, 1)->filled, 0);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, L"2 of the dropped items found no empty tile.\n\nThey were left out.");
    EXPECT_NE(ReadFileBytes(ConfigPath()), before);
}

// The second item's name cannot be read.
typedef UINT(WINAPI* DragQueryFileProc)(HDROP, UINT, LPWSTR, UINT);
static DragQueryFileProc realDragQueryFile;
static UINT WINAPI SecondNameUnreadable(HDROP drop, UINT index, LPWSTR name, UINT capacity)
{
    return index == 1 ? 0 : realDragQueryFile(drop, index, name, capacity);
}

TEST_F(DropTest, DropsOnAFilledTileInAMarginOrWithAnOverlongPathChangeNothing)
{
    FillTile(TileAt(1, 1), L"C:\\x.txt", L"x", 0);
    Drop({ notes }, 1, 1);
    Drop({ notes }, POINT{ 5, 200 });
    Drop({ notes }, 7, 1);   // beyond the last row
    Drop({ notes }, POINT{ 61, 164 }, TRUE);   // on the frame: screen coordinates, whatever tile they name
    EXPECT_STREQ(TileAt(1, 1)->path, L"C:\\x.txt");
    int filled = 0;
    for (const Tile& tile : TileGrid)
        filled += tile.filled;
    EXPECT_EQ(filled, 1);
    EXPECT_FALSE(FileExists(ConfigPath())) << "nothing written";

    // A path longer than a tile holds is refused, never cut.
    MessageBoxCatcher catcher;
    Drop({ L"C:\\" + std::wstring(400, L'a') + L".txt" }, 2, 2);
    EXPECT_EQ(TileAt(2, 2)->filled, 0);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text,
              L"1 of the dropped items has a path longer than a tile holds (359 characters).\n\nThey were left out.");
    EXPECT_FALSE(FileExists(ConfigPath()));

    // An item whose name cannot be read is told too, not dropped without a word.
    ImportPatch unreadable("shell32.dll", "DragQueryFileW", (void*)SecondNameUnreadable);
    realDragQueryFile = (DragQueryFileProc)unreadable.original;
    Drop({ notes, tool }, 2, 2);
    EXPECT_EQ(TileAt(2, 3)->filled, 0);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[1].text, L"The name of 1 of the dropped items could not be read.\n\nThey were left out.");
}

// Items that run on past the tiles in view get their icons when they are scrolled in.
TEST_F(DropTest, ItemsDroppedOutOfViewShowTheirIconsWhenScrolledIn)
{
    DestroyTestMainWindow();
    ASSERT_NE(CreateTestMainWindowWithClient(700, 110), nullptr);   // row 1 only
    Drop({ notes, link, notes }, 1, 8);
    auto paint = [] {
        RECT client;
        GetClientRect(MainWindow, &client);
        HDC dc = GetDC(MainWindow);
        PaintClientArea(MainWindow, dc, &client);
        ReleaseDC(MainWindow, dc);
    };
    paint();
    EXPECT_NE(TileAt(1, 8)->iconIndex, 0);
    EXPECT_EQ(TileAt(2, 1)->iconIndex, 0) << "not drawn yet";
    SendMessageW(MainWindow, WM_VSCROLL, SB_PAGEDOWN, 0);
    SendMessageW(MainWindow, WM_HSCROLL, SB_LEFT, 0);
    paint();
    EXPECT_NE(TileAt(2, 1)->iconIndex, 0);
    EXPECT_NE(TileAt(2, 2)->iconIndex, 0);
}

// A drop reaches the window while it is disabled behind a dialog: it changes nothing. The path
// entry's OK then fills the tile alone, and one undo takes exactly that back.
TEST_F(DropTest, NothingIsDroppedWhileADialogIsOpen)
{
    AppSettings.contextRow = 1;
    AppSettings.contextColumn = 1;
    ModalDriver driver;
    driver.onDialog = [&](HWND dialog) {
        Drop({ notes }, 1, 1);
        EXPECT_EQ(TileAt(1, 1)->filled, 0) << "dropped behind the dialog";
        SetDlgItemTextW(dialog, IDC_FIELD_1, tool.c_str());
        PressButton(dialog, IDOK);
    };
    CarryOutCommand(MainWindow, CommandEnterTarget);
    EXPECT_EQ(std::wstring(TileAt(1, 1)->path), tool);
    UndoTileChange(MainWindow);
    EXPECT_EQ(TileAt(1, 1)->filled, 0);
}
