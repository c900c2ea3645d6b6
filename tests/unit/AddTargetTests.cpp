// Filling tiles from the real Open dialog and folder picker.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <commctrl.h>
#include "commands/AddTarget.h"
#include "model/TileGrid.h"

static const int FilterCombo = 1136;
static const int FileNameField = 1148;
static const int FolderTree = 14145;

class AddTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ASSERT_NE(CreateTestMainWindow(), nullptr);
    }
    void TearDown() override { DestroyTestMainWindow(); }
    std::wstring ConfigPath() const { return folder.Join(L"Morrowtide\\Vantrel.cfg"); }
    TestFolder folder;
};

static void ChooseFilter(HWND dialog, int index)
{
    HWND combo = GetDlgItem(dialog, FilterCombo);
    SendMessageW(combo, CB_SETCURSEL, (WPARAM)index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(FilterCombo, CBN_SELENDOK), (LPARAM)combo);
}

TEST_F(AddTargetTest, OpenDialogFillsTheTileAndKeepsTheFilterForTheRun)
{
    std::wstring setup = folder.Join(L"SETUP.EXE");
    std::wstring tool = folder.Join(L"tool.exe");
    ASSERT_TRUE(WriteFileBytes(setup, "x") && WriteFileBytes(tool, "x"));
    {
        ModalDriver driver;
        driver.onDialog = [](HWND d) {
            ChooseFilter(d, 2);
            PressButton(d, IDCANCEL);
        };
        FillTileFromOpenDialog(1, 1);
        ASSERT_EQ(driver.dialogs, std::vector<std::wstring>{ OpenDialogTitle });
    }
    EXPECT_EQ(AppSettings.filterIndex, 3);
    EXPECT_EQ(TileAt(1, 1)->filled, 0);
    EXPECT_FALSE(FileExists(ConfigPath())) << "a cancelled dialog writes nothing";
    EXPECT_EQ(OpenFileRecord.lStructSize, 152u);
    EXPECT_EQ(OpenFileRecord.Flags, 0x881828u);
    EXPECT_EQ(OpenFileRecord.nMaxFile, 360u);

    for (const std::wstring& picked : { setup, tool }) {
        ModalDriver driver;
        int shownFilter = -1;
        driver.onDialog = [&](HWND d) {
            shownFilter = (int)SendMessageW(GetDlgItem(d, FilterCombo), CB_GETCURSEL, 0, 0);
            SetDlgItemTextW(d, FileNameField, picked.c_str());
            PressButton(d, IDOK);
        };
        AppSettings.iconRefreshMode = 0;
        FillTileFromOpenDialog(2, picked == setup ? 3 : 4);
        EXPECT_EQ(shownFilter, 2) << "the filter chosen last in this run";
    }
    const Tile* a = TileAt(2, 3);
    EXPECT_EQ(std::wstring(a->path), setup);
    EXPECT_EQ(a->filled, 1);
    EXPECT_STREQ(a->name, L"SETUP");
    EXPECT_EQ(a->kind, 0) << "only a lower-case .exe is a program";
    EXPECT_EQ(a->backColor, 0x323232u);
    EXPECT_EQ(TileAt(2, 4)->kind, 2);
    EXPECT_STREQ(TileAt(2, 4)->name, L"Tool");
    EXPECT_EQ(AppSettings.iconRefreshMode, 1);
    std::string saved = ReadFileBytes(ConfigPath());
    EXPECT_NE(saved.find(Utf16FileBytes(L"2,3,0,3289650," + setup + L",SETUP\n").substr(2)), std::string::npos);
}

// Selects the item with this text among the tree's top-level folders.
static void SelectFolderItem(HWND dialog, const wchar_t* text)
{
    HWND tree = GetDlgItem(dialog, FolderTree);
    HTREEITEM root = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
    for (; item != NULL; item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item)) {
        wchar_t name[128] = L"";
        TVITEMW info = {};
        info.mask = TVIF_TEXT;
        info.hItem = item;
        info.pszText = name;
        info.cchTextMax = 128;
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&info);
        if (wcscmp(name, text) == 0)
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    }
}

TEST_F(AddTargetTest, FolderPickerFillsFromRealFoldersOnly)
{
    AppSettings.contextRow = 2;
    AppSettings.contextColumn = 5;
    const Tile* tile = TileAt(2, 5);
    for (const wchar_t* item : { L"", L"My Computer" }) {
        ModalDriver driver;
        driver.onDialog = [&](HWND d) {
            if (*item)
                SelectFolderItem(d, item);
            PressButton(d, *item ? IDOK : IDCANCEL);
        };
        FillContextTileFromFolderPicker();
        ASSERT_EQ(driver.dialogs.size(), 1u);
        EXPECT_EQ(tile->filled, 0) << "cancelled, or a folder without a path: " << *item;
        EXPECT_EQ(tile->path[0], L'\0');
        EXPECT_FALSE(FileExists(ConfigPath()));
    }

    ModalDriver driver;
    driver.onDialog = [](HWND d) {
        SelectFolderItem(d, L"Documents");
        PressButton(d, IDOK);
    };
    FillContextTileFromFolderPicker();
    EXPECT_EQ(tile->filled, 1);
    EXPECT_TRUE(FolderExists(tile->path)) << tile->path;
    EXPECT_NE(tile->name[0], L'\0');
    EXPECT_EQ(tile->kind, 0);
    EXPECT_EQ(AppSettings.iconRefreshMode, 1);
    EXPECT_TRUE(FileExists(ConfigPath()));
}

TEST(FolderNameTest, TheLastComponentOfTheTrimmedPath)
{
    const struct { const wchar_t* path; const wchar_t* name; } cases[] = {
        { L"C:\\Data\\", L"Data" }, { L"C:\\", L"C:" }, { L"D:\\Projects", L"Projects" }, { L"\\", nullptr }, { L"", nullptr },
    };
    for (const auto& c : cases) {
        wchar_t path[64];
        wcscpy_s(path, c.path);
        const wchar_t* name = FolderNameFromPath(path);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr) << c.path;
        } else {
            EXPECT_STREQ(name, c.name) << c.path;
        }
    }
}
