// Running tiles through the shell: a real start, the failure boxes and the "edit" retry.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "commands/Launch.h"
#include "model/TileGrid.h"

TEST(ShellExecuteErrorTest, ResultCodesBecomeTheErrorsTheyMean)
{
    const struct { INT_PTR result; DWORD error; } cases[] = {
        { 2, 2 }, { 3, 3 }, { 5, 5 }, { 8, 8 }, { 11, 11 }, { 26, 32 }, { 27, 1155 }, { 31, 1155 },
        { 28, 1156 }, { 29, 1156 }, { 30, 1156 }, { 32, 1157 }, { 0, 8 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShellExecuteResultError(c.result), c.error) << c.result;
}

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ASSERT_NE(CreateTestMainWindow(), nullptr);
    }
    void TearDown() override { DestroyTestMainWindow(); }
    Tile* Fill(const std::wstring& path)
    {
        Tile* tile = TileAt(2, 2);
        FillTile(tile, path.c_str(), L"target", 0);
        return tile;
    }
    TestFolder folder;
};

TEST_F(LaunchTest, AMissingTargetShowsOneBoxAndChangesNothing)
{
    Tile* tile = Fill(folder.Join(L"gone.exe"));
    Tile before = *tile;
    HCURSOR arrow = LoadCursorW(NULL, IDC_ARROW);
    SetCursor(arrow);
    MessageBoxCatcher catcher;
    LaunchTile(2, 2);
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_TRUE(StartsWith(catcher.boxes[0].text, L"ShellExecuteW()  -\n\n  failed with error ")) << catcher.boxes[0].text;
    EXPECT_EQ(catcher.boxes[0].text.find(L"error 0:"), std::wstring::npos);
    EXPECT_EQ(catcher.boxes[0].caption, L"Vantrel Error");
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(memcmp(&before, tile, sizeof(Tile)), 0);
}

TEST_F(LaunchTest, ALaunchedProgramReallyStarts)
{
    std::wstring mark = CopyMarkProgram(folder);
    Fill(mark);
    MessageBoxCatcher catcher;
    LaunchTile(2, 2);
    EXPECT_EQ(MarkCount(mark), 1);
    EXPECT_TRUE(catcher.boxes.empty());
}

// The texts of Vantrel's failure boxes; the shell may show a box of its own on the way.
static std::vector<std::wstring> OwnBoxes(const MessageBoxCatcher& catcher)
{
    std::vector<std::wstring> texts;
    for (const CaughtBox& box : catcher.boxes)
        if (box.caption == L"Vantrel Error")
            texts.push_back(box.text);
    return texts;
}

TEST_F(LaunchTest, ATypeWithoutAssociationGetsTheEditRetry)
{
    std::wstring path = folder.Join(L"notes.vantrel-none");
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    Fill(path);
    {
        MessageBoxCatcher catcher;
        LaunchTile(2, 2);
        ASSERT_EQ(OwnBoxes(catcher).size(), 1u);
        EXPECT_TRUE(StartsWith(OwnBoxes(catcher)[0], L"ShellExecuteExW()  -\n\n  failed with error 1155: "));
    }
    // Elevated: the first failure is shown too, then "edit" is still tried.
    MessageBoxCatcher catcher;
    AppSettings.contextRow = 2;
    AppSettings.contextColumn = 2;
    RunTileAsAdministrator(2, 2);
    ASSERT_EQ(OwnBoxes(catcher).size(), 2u);
    EXPECT_TRUE(StartsWith(OwnBoxes(catcher)[0], L"ShellExecuteW()  -\n\n  failed with error ")) << OwnBoxes(catcher)[0];
    EXPECT_TRUE(StartsWith(OwnBoxes(catcher)[1], L"ShellExecuteExW()  -\n\n  failed with error 1155: "));
}
