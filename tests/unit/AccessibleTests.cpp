// The grid as screen readers and the pointer see it: the accessible list of the real window,
// the events of a moving selection, and the tooltip of a filled tile.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <commctrl.h>
#include <oleacc.h>

#include "dialogs/Dialogs.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "resources/resource.h"
#include "view/Scroll.h"
#include "view/TileTip.h"

static const IID IidAccessible = { 0x618736e0, 0x3c3d, 0x11cf, { 0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 } };

TEST(TileWholeNameTest, TheTwoLinesJoinedAsTheyWereWritten)
{
    const struct { const wchar_t* name; const wchar_t* whole; } cases[] = {
        { L"Web         Site", L"Web Site" },                                 // two lines, the first padded
        { L"Budget 2026 - Q3 forecast", L"Budget 2026 - Q3 forecast" },       // past the 24th character
        { L"Documentation.txt", L"Documentation.txt" },                       // one piece, cut by the tile
        { L"Notes       ", L"Notes" }, { L"", L"" },
    };
    for (const auto& c : cases) {
        wchar_t whole[TileTextCapacity];
        TileWholeName(c.name, whole, _countof(whole));
        EXPECT_STREQ(whole, c.whole);
    }
}

class AccessibleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        mark = CopyMarkProgram(folder);
        FillTile(TileAt(1, 1), mark.c_str(), L"Budget 2026 - Q3 forecast", TileKind::Program);
        FillTile(TileAt(2, 3), L"C:\\nowhere\\b.txt", L"Beta", 0);
        FillTile(TileAt(6, 8), L"C:\\nowhere\\far.txt", L"Far", 0);
        ASSERT_NE(CreateTestMainWindowWithClient(500, 400), nullptr);
        ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
        ASSERT_EQ(AccessibleObjectFromWindow(MainWindow, (DWORD)OBJID_CLIENT, IidAccessible, (void**)&list), S_OK);
    }
    void TearDown() override
    {
        if (list != NULL)
            list->Release();
        DestroyTestMainWindow();
    }
    static VARIANT Child(long id)
    {
        VARIANT child;
        child.vt = VT_I4;
        child.lVal = id;
        return child;
    }
    long State(long id)
    {
        VARIANT state = {};
        list->get_accState(Child(id), &state);
        return state.vt == VT_I4 ? state.lVal : -1;
    }
    // The focused child, or -1 for none (S_FALSE, VT_EMPTY).
    long Focus()
    {
        VARIANT focus = {};
        HRESULT result = list->get_accFocus(&focus);
        return result == S_OK && focus.vt == VT_I4 ? focus.lVal : result == S_FALSE && focus.vt == VT_EMPTY ? -1 : -2;
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long id)
    {
        BSTR text = NULL;
        (list->*get)(Child(id), &text);
        std::wstring result = text != NULL ? text : L"<none>";
        SysFreeString(text);
        return result;
    }
    IAccessible* list = NULL;
    TestFolder folder;
    std::wstring mark;
};

TEST_F(AccessibleTest, TheListOfTilesAsAScreenReaderReadsIt)
{
    long count = 0;
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 48);
    // The window is not in front: the selected tile is selected, not focused.
    const long Base = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    const struct { long id; const wchar_t *name, *value, *description, *action; long state; } tiles[] = {
        { 1, L"Budget 2026 - Q3 forecast", mark.c_str(), L"Row 1, column 1", L"Run", Base | STATE_SYSTEM_SELECTED },
        { 2, L"Empty tile", L"<none>", L"Row 1, column 2", L"Choose a program", Base },
        { 48, L"Far", L"C:\\nowhere\\far.txt", L"Row 6, column 8", L"Run", Base | STATE_SYSTEM_OFFSCREEN },
    };
    for (const auto& t : tiles) {
        EXPECT_EQ(Text(&IAccessible::get_accName, t.id), t.name);
        EXPECT_EQ(Text(&IAccessible::get_accValue, t.id), t.value);
        EXPECT_EQ(Text(&IAccessible::get_accDescription, t.id), t.description);
        EXPECT_EQ(Text(&IAccessible::get_accDefaultAction, t.id), t.action);
        VARIANT state, role;
        list->get_accState(Child(t.id), &state);
        list->get_accRole(Child(t.id), &role);
        EXPECT_EQ(state.lVal, t.state) << t.id;
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM);
        long left, top, width, height;
        ASSERT_EQ(list->accLocation(&left, &top, &width, &height, Child(t.id)), S_OK);
        RECT tile;
        ASSERT_EQ(TileRect((t.id - 1) / 8 + 1, (t.id - 1) % 8 + 1, &tile), 0);
        MapWindowPoints(MainWindow, NULL, (POINT*)&tile, 2);
        EXPECT_EQ(left, tile.left);
        EXPECT_EQ(top, tile.top);
        EXPECT_EQ(width, 102);
        EXPECT_EQ(height, 102);
    }

    // The default action takes Return's path: the program runs.
    EXPECT_EQ(list->accDoDefaultAction(Child(1)), S_OK);
    PumpMessages();
    EXPECT_EQ(MarkCount(mark), 1);

    // A grid grown to 10 x 12 has 120 children; the far tile is now the 68th.
    AppSettings.rows = 10;
    AppSettings.columns = 12;
    RecomputeContentSize();
    UpdateScrollRanges();
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 120);
    EXPECT_EQ(Text(&IAccessible::get_accName, 5 * 12 + 8), L"Far");
}

// The events raised for tiles of MainWindow's client while a hook lives: (event, child) in
// order. The system's own focus event for the client itself is left out.
using Events = std::vector<std::pair<DWORD, LONG>>;
static Events events;
static void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (window == MainWindow && object == OBJID_CLIENT && child != CHILDID_SELF)
        events.push_back({ event, child });
}

TEST_F(AccessibleTest, FocusIsToldOnlyWhileTheWindowHasTheKeyboard)
{
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, NULL, RecordEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);   // Wine sees the new hook once a message is taken
    PumpMessages();
    const long Focused = STATE_SYSTEM_FOCUSED, Chosen = STATE_SYSTEM_SELECTED;

    // In front with the keyboard: taking it tells of the selected tile, and so does every move.
    events.clear();
    SetForegroundWindow(MainWindow);
    PumpMessages();
    EXPECT_EQ(events, (Events{ { EVENT_OBJECT_FOCUS, 1 } }));
    EXPECT_EQ(State(1) & Focused, Focused);
    EXPECT_EQ(State(CHILDID_SELF) & Focused, Focused);
    EXPECT_EQ(Focus(), 1);
    events.clear();
    SendMessageW(MainWindow, WM_CHAR, L'b', 0);   // the letter search: (2, 3)
    PumpMessages();
    EXPECT_EQ(events, (Events{ { EVENT_OBJECT_FOCUS, 11 }, { EVENT_OBJECT_SELECTION, 11 } }));

    // An open menu has the keyboard, not the tile.
    long inMenu[2] = {};
    {
        ModalDriver driver;
        driver.onMenu = [&](const ModalDriver::Menu&) { inMenu[0] = State(11), inMenu[1] = Focus(); return 0u; };
        SendMessageW(MainWindow, WM_KEYDOWN, VK_SPACE, 0);
    }
    EXPECT_EQ(inMenu[0] & (Focused | Chosen), Chosen);
    EXPECT_EQ(inMenu[1], -1);

    // The grid-size dialog has the keyboard while a smaller grid moves the selection: a
    // selection only; the focus comes back with the keyboard.
    MoveSelection(6, 8);
    events.clear();
    long inDialog[2] = {};
    {
        ModalDriver driver;
        driver.onDialog = [&](HWND dialog) {
            inDialog[0] = State(48), inDialog[1] = Focus();
            SetDlgItemTextW(dialog, IDC_FIELD_1, L"3");
            SetDlgItemTextW(dialog, IDC_FIELD_2, L"3");
            PressButton(dialog, IDC_GRID_OK);
        };
        ShowGridSizeDialog();
    }
    PumpUntil([] { return !events.empty() && events.back().first == EVENT_OBJECT_FOCUS; }, 5000);
    EXPECT_EQ(inDialog[0] & (Focused | Chosen), Chosen);
    EXPECT_EQ(inDialog[1], -1);
    EXPECT_EQ(events, (Events{ { EVENT_OBJECT_SELECTION, 9 }, { EVENT_OBJECT_FOCUS, 9 } }));

    // Another window in front: a screen reader's selection is a selection only.
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500, 300, 200, NULL,
                                 NULL, NULL, NULL);
    SetForegroundWindow(other);
    PumpMessages();
    events.clear();
    EXPECT_EQ(State(9) & Focused, 0);
    EXPECT_EQ(State(CHILDID_SELF) & Focused, 0);
    EXPECT_EQ(Focus(), -1);
    EXPECT_EQ(list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(5)), S_OK);
    PumpMessages();
    EXPECT_EQ(events, (Events{ { EVENT_OBJECT_SELECTION, 5 } }));
    DestroyWindow(other);
    UnhookWinEvent(hook);
}

TEST_F(AccessibleTest, TheTipShowsTheWholeNameAndTargetOfAFilledTileOnly)
{
    auto hover = [](int row, int column) {
        SendMessageW(MainWindow, WM_MOUSEHOVER, 0, MAKELPARAM(10 + (column - 1) * 103 + 50, 10 + (row - 1) * 103 + 20));
        wchar_t text[1024] = L"";
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = MainWindow;
        tool.uId = 1;
        tool.lpszText = text;
        HWND tip = TileTipWindow();
        if (tip == NULL || !IsWindowVisible(tip))
            return std::wstring(L"<no tip>");
        SendMessageW(tip, TTM_GETTEXTW, _countof(text), (LPARAM)&tool);
        return std::wstring(text);
    };
    EXPECT_EQ(hover(1, 1), L"Budget 2026 - Q3 forecast\r\n" + mark);
    EXPECT_EQ(hover(1, 2), L"<no tip>") << "an empty tile";
    wcscpy_s(TileAt(2, 3)->name, L"Beta        Version");
    EXPECT_EQ(hover(2, 3), L"Beta Version\r\nC:\\nowhere\\b.txt") << "the name as it is now";
    for (UINT message : { WM_KEYDOWN, WM_VSCROLL, WM_LBUTTONDOWN }) {
        hover(2, 3);
        PostMessageW(MainWindow, message, message == WM_KEYDOWN ? VK_SHIFT : SB_ENDSCROLL, MAKELPARAM(5, 5));
        PumpMessages();
        EXPECT_FALSE(IsWindowVisible(TileTipWindow())) << "hidden by message " << message;
    }
}
