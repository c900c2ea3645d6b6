// The failure box: its exact text, caption and owner, caught from the real MessageBoxW.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/FailureBox.h"
#include "model/TileGrid.h"

static std::wstring SystemText(DWORD code)
{
    wchar_t* text = NULL;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                   code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPWSTR)&text, 0, NULL);
    std::wstring result = text ? text : L"";
    if (text)
        LocalFree(text);
    return result;
}

class FailureBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { DestroyTestMainWindow(); }
};

TEST_F(FailureBoxTest, TextNamesTheCallTheCodeAndTheSystemText)
{
    MessageBoxCatcher catcher;
    SetLastError(ERROR_FILE_NOT_FOUND);
    ReportLastError(L"GetWindowRect()  -\n\n ");

    ASSERT_EQ(catcher.boxes.size(), 1u);
    const CaughtBox& box = catcher.boxes[0];
    std::wstring system = SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(box.text, L"GetWindowRect()  -\n\n  failed with error 2: " + system);
    EXPECT_EQ(box.caption, L"Vantrel Error");
    EXPECT_EQ(box.icon, nullptr);
}

TEST_F(FailureBoxTest, HotkeyTextRunsOnOneLine)
{
    MessageBoxCatcher catcher;
    SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
    ReportLastError(L"RegisterHotKey Failed    ---   ");

    ASSERT_EQ(catcher.boxes.size(), 1u);
    const std::wstring& text = catcher.boxes[0].text;
    const std::wstring start = L"RegisterHotKey Failed    ---    failed with error 1409: ";
    EXPECT_EQ(text.compare(0, start.size(), start), 0) << text.c_str();
    EXPECT_EQ(text.substr(start.size()), SystemText(1409));
}

TEST_F(FailureBoxTest, LargeCodesAreSignedAndUnknownCodesEndAfterTheColon)
{
    MessageBoxCatcher catcher;
    SetLastError(0xE0001234);
    ReportLastError(L"Call");
    SetLastError(0x20001234);   // a customer code with no system text
    ReportLastError(L"Call");

    ASSERT_EQ(catcher.boxes.size(), 2u);
    std::wstring expected = L"Call failed with error " + std::to_wstring((int)0xE0001234) + L": ";
    EXPECT_EQ(catcher.boxes[0].text.compare(0, expected.size(), expected), 0) << catcher.boxes[0].text.c_str();
    EXPECT_EQ(catcher.boxes[1].text, L"Call failed with error 536875572: ");
}

TEST_F(FailureBoxTest, LongCallerTextsAreNeverCut)
{
    MessageBoxCatcher catcher;
    std::wstring caller(3000, L'x');
    SetLastError(ERROR_ACCESS_DENIED);
    ReportLastError(caller.c_str());
    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, caller + L" failed with error 5: " + SystemText(5));
}

TEST_F(FailureBoxTest, OwnedByTheMainWindowOnceItExists)
{
    MessageBoxCatcher catcher;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    ReportLastError(L"Before");
    HWND window = CreateTestMainWindow();
    ASSERT_NE(window, nullptr);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    ReportLastError(L"After");

    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[0].owner, nullptr);
    EXPECT_EQ(catcher.boxes[1].owner, window);
}
