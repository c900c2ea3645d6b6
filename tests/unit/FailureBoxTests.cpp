// The failure box: its exact text, caption and owner, caught from the real MessageBoxW.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/TileGrid.h"
#include "shell/FailureBox.h"

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
    const struct { const wchar_t* caller; DWORD code; const wchar_t* start; } cases[] = {
        { L"GetWindowRect()  -\n\n ", ERROR_FILE_NOT_FOUND, L"GetWindowRect()  -\n\n  failed with error 2: " },
        { L"RegisterHotKey Failed    ---   ", ERROR_HOTKEY_ALREADY_REGISTERED,
          L"RegisterHotKey Failed    ---    failed with error 1409: " },
    };
    for (const auto& c : cases) {
        MessageBoxCatcher catcher;
        SetLastError(c.code);
        ReportLastError(c.caller);
        ASSERT_EQ(catcher.boxes.size(), 1u);
        ASSERT_FALSE(SystemText(c.code).empty());
        EXPECT_EQ(catcher.boxes[0].text, c.start + SystemText(c.code));
        EXPECT_EQ(catcher.boxes[0].caption, L"Vantrel Error");
        EXPECT_EQ(catcher.boxes[0].icon, nullptr);
    }
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
