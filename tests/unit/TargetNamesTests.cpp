// Kind and default name of a target, and the label rules they share with painting.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "shell/TargetNames.h"

static std::wstring Label(const wchar_t* text)
{
    wchar_t out[TileLabelLength + 1];
    int length = MakeTileLabel(text, out, _countof(out));
    EXPECT_EQ(length, (int)wcslen(out));
    return out;
}

TEST(TileLabelTest, DropsExeInAnyCaseAndUpperCasesOnlyTheFirstCharacter)
{
    EXPECT_EQ(Label(L"notepad.EXE"), L"Notepad");
    EXPECT_EQ(Label(L"notepad.exe"), L"Notepad");
    EXPECT_EQ(Label(L".exe"), L"");
    EXPECT_EQ(Label(L"my files"), L"My files");
    EXPECT_EQ(Label(L"mY fILES"), L"MY fILES");
    EXPECT_EQ(Label(L"\u00e9t\u00e9"), L"\u00c9t\u00e9");
    EXPECT_EQ(Label(L"exe"), L"Exe");
    EXPECT_EQ(Label(L""), L"");
    EXPECT_EQ(Label(L"7zip.exe.txt"), L"7zip.exe.txt");
}

TEST(TileLabelTest, CutsAtTwentyFourBeforeDroppingExe)
{
    EXPECT_EQ(Label(L"abcdefghijklmnopqrstuvwxyz0123"), L"Abcdefghijklmnopqrstuvwx");
    // 26 characters ending in ".exe": the cut leaves no ".exe" to drop.
    EXPECT_EQ(Label(L"abcdefghijklmnopqrstuv.exe"), L"Abcdefghijklmnopqrstuv.e");
    // Exactly 24 ending in ".exe": dropped.
    EXPECT_EQ(Label(L"abcdefghijklmnopqrst.exe"), L"Abcdefghijklmnopqrst");
    // A small buffer truncates on purpose instead of overflowing.
    wchar_t small[5];
    EXPECT_EQ(MakeTileLabel(L"abcdefgh", small, _countof(small)), 4);
    EXPECT_STREQ(small, L"Abcd");
}

TEST(LastPathComponentTest, TextAfterTheLastBackslash)
{
    const wchar_t* path = L"C:\\Tools\\editor.exe";
    EXPECT_EQ(LastPathComponent(path), path + 9);
    const wchar_t* bare = L"editor.exe";
    EXPECT_EQ(LastPathComponent(bare), bare);
    EXPECT_EQ(LastPathComponent(L"C:\\Data\\"), nullptr);
    EXPECT_EQ(LastPathComponent(L""), nullptr);
    EXPECT_EQ(LastPathComponent(nullptr), nullptr);
    const wchar_t* root = L"\\x";
    EXPECT_EQ(LastPathComponent(root), root + 1);
}

class TargetOnDiskTest : public ::testing::Test {
protected:
    std::wstring Make(const wchar_t* name)
    {
        std::wstring path = folder.Join(name);
        EXPECT_TRUE(WriteFileBytes(path, "MZ"));
        return path;
    }
    TestFolder folder;
};

TEST_F(TargetOnDiskTest, ClassifiesByAttributesAndTheExactExeSuffix)
{
    EXPECT_EQ(ClassifyTarget(Make(L"setup.exe").c_str()), TileKind::Program);
    EXPECT_EQ(ClassifyTarget(Make(L"SETUP2.EXE").c_str()), TileKind::PlainFile);
    EXPECT_EQ(ClassifyTarget(Make(L"notes.txt").c_str()), TileKind::PlainFile);
    EXPECT_EQ(ClassifyTarget(folder.path.c_str()), TileKind::Folder);
    std::wstring folderNamedExe = folder.Join(L"tools.exe");
    ASSERT_TRUE(CreateDirectoryW(folderNamedExe.c_str(), NULL));
    EXPECT_EQ(ClassifyTarget(folderNamedExe.c_str()), TileKind::Folder);
    EXPECT_EQ(ClassifyTarget(folder.Join(L"missing.exe").c_str()), TileKind::NotOnDisk);
    EXPECT_EQ(ClassifyTarget(L"https://example.com/"), TileKind::NotOnDisk);
    EXPECT_EQ(ClassifyTarget(L"shell:Downloads"), TileKind::NotOnDisk);
}

TEST_F(TargetOnDiskTest, ShellDisplayNameFollowsTheLabelRules)
{
    const wchar_t* name = ShellDisplayName(Make(L"notepad.exe").c_str());
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, L"Notepad");

    std::wstring myFiles = folder.Join(L"my files");
    ASSERT_TRUE(CreateDirectoryW(myFiles.c_str(), NULL));
    const wchar_t* second = ShellDisplayName(myFiles.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second, L"My files");
    // One program-wide buffer, overwritten by the next call.
    EXPECT_EQ(second, name);

    name = ShellDisplayName(Make(L"abcdefghijklmnopqrstuvwxyz0123.txt").c_str());
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, L"Abcdefghijklmnopqrstuvwx");
}

TEST_F(TargetOnDiskTest, ShellDisplayNameOfAnUnknownPathIsNone)
{
    EXPECT_EQ(ShellDisplayName(folder.Join(L"no such file.txt").c_str()), nullptr);
}
