// Long use leaves nothing behind: paints, context menus and openings of each dialog keep the
// GDI and USER objects and the private memory where they were. The default run is short but
// still sees one object lost per operation; scripts/endurance.sh runs 10,000 paints, 1,000
// menus and 500 openings of each dialog.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <psapi.h>
#include <stdio.h>

#include "app/Startup.h"
#include "dialogs/Dialogs.h"
#include "model/TileGrid.h"
#include "resources/resource.h"
#include "view/Paint.h"

static double PrivateMb()
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory));
    // Wine gives the private bytes as the page-file usage only.
    return (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / (1024.0 * 1024.0);
}

// Counts the popup menus this thread opens, so that a run of menus that never opened fails.
static int menusOpened;
static LRESULT CALLBACK CountMenus(int code, WPARAM wParam, LPARAM lParam)
{
    wchar_t name[16];
    if (code == HCBT_CREATEWND && GetClassNameW((HWND)wParam, name, 16) && wcscmp(name, L"#32768") == 0)
        menusOpened++;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

class EnduranceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        FormBuildDateText();
        ASSERT_NE(CreateTestMainWindowWithClient(700, 500), nullptr);
        ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
        const wchar_t* kinds[] = { L"a.txt", L"b.bmp", L"c.html", L"d.ini" };
        for (int column = 1; column <= 8; column++) {
            std::wstring path = folder.Join(kinds[column % 4]);
            WriteFileBytes(path, "x");
            FillTile(TileAt(2, column), path.c_str(), L"a name of two lines", 0);
        }
        FillTile(TileAt(3, 3), L"C:\\nowhere\\gone.txt", L"gone", 0);
        AppSettings.iconRefreshMode = 2;
    }
    void TearDown() override { DestroyTestMainWindow(); }

    // Runs a phase a few times to fill the system's caches, then `count` times to count.
    template <typename Phase>
    void ExpectFlat(const char* what, int count, Phase phase)
    {
        phase(3);
        int gdi = GdiObjectCount();
        int user = UserObjectCount();
        ASSERT_GT(gdi, 0) << "GDI objects cannot be counted";
        ASSERT_GT(user, 0) << "USER objects cannot be counted";
        double memory = PrivateMb();
        phase(count);
        int gdiAfter = GdiObjectCount();
        int userAfter = UserObjectCount();
        double grown = PrivateMb() - memory;
        printf("%d %s: GDI objects %d -> %d, USER objects %d -> %d, private memory %+.2f MB\n", count, what, gdi,
               gdiAfter, user, userAfter, grown);
        EXPECT_EQ(gdiAfter, gdi) << what;
        EXPECT_EQ(userAfter, user) << what;
        EXPECT_LT(grown, 0.5) << what;
    }
    TestFolder folder;
};

TEST_F(EnduranceTest, PaintsAndMenusLeaveNothingBehind)
{
    ExpectFlat("paints", EnduranceCount(200, 10000), [](int count) {
        RECT client = { 0, 0, 700, 500 };
        HDC dc = GetDC(MainWindow);
        for (int i = 0; i < count; i++) {
            AppSettings.iconRefreshMode = i % 3;
            PaintClientArea(MainWindow, dc, &client);
        }
        ReleaseDC(MainWindow, dc);
    });

    // An Escape waiting in the queue closes each menu as soon as it is shown.
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountMenus, NULL, GetCurrentThreadId());
    ExpectFlat("context menus", EnduranceCount(50, 1000), [](int count) {
        menusOpened = 0;
        for (int i = 0; i < count; i++) {
            PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            SendMessageW(MainWindow, WM_RBUTTONDOWN, 0, MAKELPARAM(10 + (i % 8) * 103 + 50, 10 + 103 + 50));
        }
        EXPECT_EQ(menusOpened, count);
    });
    UnhookWindowsHookEx(hook);
}

TEST_F(EnduranceTest, DialogOpeningsLeaveNothingBehind)
{
    const struct { int id; DLGPROC procedure; } dialogs[] = {
        { IDD_GRID_SIZE, GridSizeDialogProc }, { IDD_TILE_NAME, TileNameDialogProc }, { IDD_HOTKEY, HotkeyDialogProc },
        { IDD_TARGET_ENTRY, TargetEntryDialogProc }, { IDD_TILE_INFO, TileInfoDialogProc }, { IDD_ABOUT, AboutDialogProc },
        { IDD_HELP, HelpDialogProc }, { IDD_EARLIER_TILES, EarlierTilesDialogProc },
    };
    AppSettings.contextRow = 4;   // an empty tile, as the menu gives the target entry dialog
    AppSettings.contextColumn = 2;
    for (const auto& d : dialogs) {
        std::string what = "openings of dialog " + std::to_string(d.id);
        ExpectFlat(what.c_str(), EnduranceCount(20, 500), [&](int count) {
            for (int i = 0; i < count; i++) {
                HWND dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(d.id), MainWindow, d.procedure, 0);
                ASSERT_NE(dialog, nullptr) << d.id;
                d.procedure(dialog, WM_COMMAND, d.id == IDD_GRID_SIZE ? IDC_GRID_CANCEL : IDCANCEL, 0);
                DestroyWindow(dialog);
            }
        });
    }
    EXPECT_EQ(TileAt(4, 2)->filled, 0) << "cancelled every time";
}
