// The main window's class, style and the messages the application shell handles.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "config/ConfigFile.h"
#include "model/TileGrid.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        window = CreateTestMainWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { DestroyTestMainWindow(); }
    HWND window = NULL;
};

TEST_F(MainWindowTest, ClassAndWindowLookAsUsersSeeThem)
{
    wchar_t text[64];
    GetClassNameW(window, text, 64);
    EXPECT_STREQ(text, L"Vantrel");
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, L"Vantrel");
    EXPECT_EQ(MainWindow, window);

    DWORD style = (DWORD)GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & 0x02FF0000u, 0x02FF0000u);
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(GetParent(window), nullptr);

    EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), (ULONG_PTR)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongPtrW(window, GCL_CBCLSEXTRA), 0u);
    EXPECT_EQ(GetClassLongPtrW(window, GCL_CBWNDEXTRA), 0u);
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICON), 0u);
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICONSM), 0u);
    EXPECT_EQ(GetClassLongPtrW(window, GCLP_HCURSOR), (ULONG_PTR)LoadCursorW(NULL, IDC_ARROW));

    LOGBRUSH brush = {};
    ASSERT_EQ(GetObjectW((HBRUSH)GetClassLongPtrW(window, GCLP_HBRBACKGROUND), sizeof(brush), &brush), (int)sizeof(brush));
    EXPECT_EQ(brush.lbStyle, (UINT)BS_SOLID);
    EXPECT_EQ(brush.lbColor, 0x282828u);
}

TEST(WheelStepTest, OneHundredTwentyDividedByTheLinesSetting)
{
    EXPECT_EQ(WheelStepFromLines(0), 0);
    EXPECT_EQ(WheelStepFromLines(1), 120);
    EXPECT_EQ(WheelStepFromLines(3), 40);
    EXPECT_EQ(WheelStepFromLines(7), 17);
    EXPECT_EQ(WheelStepFromLines(120), 1);
    EXPECT_EQ(WheelStepFromLines(121), 0);
    EXPECT_EQ(WheelStepFromLines(WHEEL_PAGESCROLL), 0);
}

TEST_F(MainWindowTest, CreationAndSettingChangesReadTheWheelSetting)
{
    UINT original = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &original, 0);
    EXPECT_EQ(AppSettings.wheelStep, WheelStepFromLines(original));

    ASSERT_TRUE(SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 6, NULL, 0));
    EXPECT_EQ(SendMessageW(window, WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES, 0), 0);
    EXPECT_EQ(AppSettings.wheelStep, 20);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 0, NULL, 0);
    SendMessageW(window, WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES, 0);
    EXPECT_EQ(AppSettings.wheelStep, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, original, NULL, 0);
}

TEST_F(MainWindowTest, HotkeyMinimisesRestoresAndBringsForward)
{
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    PumpMessages();
    ASSERT_EQ(GetForegroundWindow(), window);

    EXPECT_EQ(SendMessageW(window, WM_HOTKEY, 1, MAKELPARAM(MOD_ALT | MOD_CONTROL, 'Z')), 0);
    PumpMessages();
    EXPECT_TRUE(IsIconic(window));

    SendMessageW(window, WM_HOTKEY, 2, 0);   // any identifier
    PumpMessages();
    EXPECT_FALSE(IsIconic(window));

    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, NULL, NULL,
                                 NULL, NULL);
    SetForegroundWindow(other);
    PumpMessages();
    ASSERT_EQ(GetForegroundWindow(), other);
    SendMessageW(window, WM_HOTKEY, 1, 0);
    PumpMessages();
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_FALSE(IsIconic(window));
    DestroyWindow(other);
}

TEST_F(MainWindowTest, DestroyingSavesRotatesAndThenQuits)
{
    TestFolder folder;
    DestroyWindow(window);
    MainWindow = NULL;

    std::string saved = ReadFileBytes(folder.Join(L"Morrowtide\\Vantrel.cfg"));
    EXPECT_EQ(saved.compare(0, 2, "\xFF\xFE"), 0);
    EXPECT_EQ(ReadFileBytes(folder.Join(L"Morrowtide\\Backup\\Vantrel_Bkup000-.cfg")), saved);
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainWindowTest, FailedSaveAtShutdownIsShownBeforeTheQuitMessage)
{
    TestFolder folder;
    // A plain file where the configuration folder belongs makes every save fail.
    ASSERT_TRUE(WriteFileBytes(folder.Join(L"Morrowtide"), "x"));
    MessageBoxCatcher catcher;
    DestroyWindow(window);
    MainWindow = NULL;

    ASSERT_EQ(catcher.boxes.size(), 1u);
    EXPECT_EQ(catcher.boxes[0].text, L"Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.");
    EXPECT_EQ(catcher.boxes[0].owner, nullptr);
    EXPECT_FALSE(catcher.boxes[0].quitPending);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Fails the flush of every save, not of the backup's copy.
typedef BOOL(WINAPI* FlushProc)(HANDLE);
static FlushProc realFlush;
static BOOL WINAPI FailFlush(HANDLE file)
{
    wchar_t name[MAX_PATH];
    DWORD length = GetFinalPathNameByHandleW(file, name, MAX_PATH, 0);
    if (length > 0 && length < MAX_PATH && wcsstr(name, L"Vantrel_Bkup") != NULL)
        return realFlush(file);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// A close request that arrives while the shutdown's failure box is open destroys the window
// again: the save, the box and the rotation still come once.
TEST_F(MainWindowTest, ACloseRequestDuringTheShutdownBoxRunsNoSecondShutdown)
{
    TestFolder folder;
    ASSERT_TRUE(CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(folder.Join(L"Morrowtide\\Vantrel.cfg"), Utf16FileBytes(L"//#v0003\n")));
    {
        ImportPatch noFlush("kernel32.dll", "FlushFileBuffers", (void*)FailFlush);   // every save fails
        realFlush = (FlushProc)noFlush.original;
        MessageBoxCatcher catcher;
        PostMessageW(window, WM_CLOSE, 0, 0);
        DestroyWindow(window);
        MainWindow = NULL;
        EXPECT_EQ(catcher.boxes.size(), 1u);
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.Join(L"Morrowtide\\Backup\\*.cfg").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, L"Vantrel_Bkup000-.cfg");
    EXPECT_FALSE(FindNextFileW(search, &found)) << "a second rotation made " << found.cFileName;
    FindClose(search);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, StartupHotkeyRegistrationFailureIsReportedAndKeepsTheFlag)
{
    ASSERT_TRUE(RegisterHotKey(NULL, 7, MOD_ALT | MOD_CONTROL, 'Q'));
    AppSettings.hotkeyKey = 'Q';
    AppSettings.hotkeyRegistered = 1;
    {
        MessageBoxCatcher catcher;
        RegisterStartupHotkey();
        ASSERT_EQ(catcher.boxes.size(), 1u);
        const std::wstring start = L"RegisterHotKey Failed    ---    failed with error 1409: ";
        EXPECT_EQ(catcher.boxes[0].text.compare(0, start.size(), start), 0) << catcher.boxes[0].text.c_str();
        EXPECT_EQ(catcher.boxes[0].owner, window);
    }
    EXPECT_EQ(AppSettings.hotkeyRegistered, 1);
    UnregisterHotKey(NULL, 7);

    AppSettings.hotkeyRegistered = 0;
    MessageBoxCatcher none;
    RegisterStartupHotkey();
    EXPECT_TRUE(none.boxes.empty());
    EXPECT_EQ(AppSettings.hotkeyRegistered, 1);
    UnregisterHotKey(window, AppSettings.hotkeyId);
}

TEST(BuildDateTest, ReadsLikeTheCompilersDateAndTime)
{
    FormBuildDateText();
    const wchar_t* text = AppSettings.buildDateText;
    ASSERT_EQ(wcsncmp(text, L"Build Date:  ", 13), 0) << text;
    // "Mmm dd yyyy at hh:mm:ss"
    std::wstring rest = text + 13;
    ASSERT_EQ(rest.size(), 23u) << text;
    EXPECT_EQ(rest.substr(11, 4), L" at ");
    EXPECT_EQ(rest[17], L':');
    EXPECT_EQ(rest[20], L':');
}
