// How start-up reacts to a configuration it cannot use: the message, then the end.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/Startup.h"
#include "config/ConfigFile.h"
#include "model/TileGrid.h"

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override { DestroyTestMainWindow(); }
    TestFolder folder;
};

TEST_F(StartupTest, NoFolderForTheFileEndsTheStart)
{
    std::wstring missing = folder.Join(L"no\\such\\base");
    SetConfigBaseFolderForTests(missing.c_str());
    MessageBoxCatcher catcher;
    RunVantrel(GetModuleHandleW(NULL), SW_HIDE);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[0].caption, L"This is Vantrel");
    EXPECT_EQ(catcher.boxes[1].text, L"Unable to Create or Access the config file folder - Exiting Program.");
    EXPECT_EQ(catcher.boxes[1].owner, nullptr);
    EXPECT_EQ(catcher.boxes[1].icon, nullptr);
    EXPECT_EQ(MainWindow, nullptr);
}

TEST_F(StartupTest, AnUnreadableFileEndsTheStartAndStaysAsItIs)
{
    CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL);
    std::string bigEndian("\xFE\xFF\0/\0/", 6);
    ASSERT_TRUE(WriteFileBytes(folder.Join(L"Morrowtide\\Vantrel.cfg"), bigEndian));
    MessageBoxCatcher catcher;
    RunVantrel(GetModuleHandleW(NULL), SW_HIDE);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[0].text, L"Couldn't Create Config File");
    EXPECT_EQ(catcher.boxes[1].text, L"Unable to Create or Access the config file Vantrel.cfg - Exiting Program.");
    EXPECT_EQ(catcher.boxes[1].owner, nullptr);
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(ReadFileBytes(folder.Join(L"Morrowtide\\Vantrel.cfg")), bigEndian);
}

TEST_F(StartupTest, AnotherVersionThatCannotBeRewrittenEndsTheStart)
{
    CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL);
    std::wstring path = folder.Join(L"Morrowtide\\Vantrel.cfg");
    std::string old = Utf16FileBytes(L"//#v0002\n1,1,0,0,C:\\x,X\n");
    ASSERT_TRUE(WriteFileBytes(path, old));
    // Readable by everyone, replaceable by no one.
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    MessageBoxCatcher catcher;
    RunVantrel(GetModuleHandleW(NULL), SW_HIDE);
    CloseHandle(reader);
    // The rewrite before the window exists fails to replace the file: its one box.
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, L"Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.");
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(ReadFileBytes(path), old);
}
