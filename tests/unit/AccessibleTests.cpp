// The grid as screen readers and the pointer see it: the accessible list of the real window,
// what it refuses and when, the events of a moving selection, and the tooltip of a filled tile.
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
static const IID IidEnumVariant = { 0x00020404, 0x0000, 0x0000, { 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
static const long Untouched = -7;   // what numbers hold before a call

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

static VARIANT Child(long id)
{
    VARIANT child = {};
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// The answer of one call, for comparing: its result and what it wrote ("" for nothing: no
// text, VT_EMPTY, numbers left as they were).
struct Answer {
    HRESULT result;
    std::wstring written;
    bool operator==(const Answer& other) const { return result == other.result && written == other.written; }
};
static std::ostream& operator<<(std::ostream& out, const Answer& a)
{
    return out << std::hex << a.result << std::dec << " '" << std::string(a.written.begin(), a.written.end()) << "'";
}
static std::wstring Written(BSTR text)
{
    std::wstring result = text != NULL ? L"text:" + std::wstring(text) : L"";
    SysFreeString(text);
    return result;
}
static std::wstring Written(const VARIANT& v)
{
    return v.vt == VT_EMPTY ? L"" : v.vt == VT_I4 ? L"i4:" + std::to_wstring(v.lVal) : L"vt:" + std::to_wstring(v.vt);
}

// Every method that names a child, as one call whose answer can be compared.
using ChildCall = std::function<Answer(IAccessible*, VARIANT)>;
#define TEXT_CALL(method) { #method, [](IAccessible* a, VARIANT c) { BSTR t = NULL; HRESULT r = a->method(c, &t); return Answer{ r, Written(t) }; } }
#define VARIANT_CALL(method) { #method, [](IAccessible* a, VARIANT c) { VARIANT v = Child(Untouched); HRESULT r = a->method(c, &v); return Answer{ r, Written(v) }; } }
static const std::vector<std::pair<const char*, ChildCall>> childCalls = {
    TEXT_CALL(get_accName), TEXT_CALL(get_accValue), TEXT_CALL(get_accDescription), TEXT_CALL(get_accDefaultAction),
    TEXT_CALL(get_accHelp), TEXT_CALL(get_accKeyboardShortcut), VARIANT_CALL(get_accRole), VARIANT_CALL(get_accState),
    { "get_accHelpTopic", [](IAccessible* a, VARIANT c) {
          BSTR t = NULL;
          long topic = Untouched;
          HRESULT r = a->get_accHelpTopic(&t, c, &topic);
          return Answer{ r, Written(t) + (topic != Untouched ? L"topic:" + std::to_wstring(topic) : L"") };
      } },
    { "get_accChild", [](IAccessible* a, VARIANT c) {
          IDispatch* d = (IDispatch*)&d;
          HRESULT r = a->get_accChild(c, &d);
          return Answer{ r, d == NULL ? L"" : L"object" };
      } },
    { "accLocation", [](IAccessible* a, VARIANT c) {
          long l = Untouched, t = Untouched, w = Untouched, h = Untouched;
          HRESULT r = a->accLocation(&l, &t, &w, &h, c);
          std::wstring where = std::to_wstring(l) + L"," + std::to_wstring(t) + L"," + std::to_wstring(w) + L"," + std::to_wstring(h);
          return Answer{ r, l == Untouched && t == Untouched && w == Untouched && h == Untouched ? L"" : where };
      } },
    { "accNavigate", [](IAccessible* a, VARIANT c) { VARIANT v = Child(Untouched); HRESULT r = a->accNavigate(NAVDIR_NEXT, c, &v); return Answer{ r, Written(v) }; } },
    { "put_accName", [](IAccessible* a, VARIANT c) { return Answer{ a->put_accName(c, NULL), L"" }; } },
};

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
    std::wstring Text(long id) { return childCalls[0].second(list, Child(id)).written; }
    long State(long id)
    {
        std::wstring state = childCalls[7].second(list, Child(id)).written;
        return StartsWith(state, L"i4:") ? _wtol(state.c_str() + 3) : -1;
    }
    // The focused child, or -1 for none (S_FALSE, VT_EMPTY).
    long Focus()
    {
        VARIANT focus = Child(Untouched);
        HRESULT result = list->get_accFocus(&focus);
        return result == S_OK && focus.vt == VT_I4 ? focus.lVal : result == S_FALSE && focus.vt == VT_EMPTY ? -1 : -2;
    }
    int Selected() { return AppSettings.selectedRow * 100 + AppSettings.selectedColumn; }
    IAccessible* list = NULL;
    TestFolder folder;
    std::wstring mark;
};

TEST_F(AccessibleTest, TheListOfTilesAsAScreenReaderReadsIt)
{
    // The window is not in front: the selected tile is selected, not focused.
    const long Base = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    const struct { long id; const wchar_t *name, *action, *description; long state; } tiles[] = {
        { 1, L"text:Budget 2026 - Q3 forecast", L"text:Run", L"text:Row 1, column 1", Base | STATE_SYSTEM_SELECTED },
        { 2, L"text:Empty tile", L"text:Choose a program", L"text:Row 1, column 2", Base },
        { 48, L"text:Far", L"text:Run", L"text:Row 6, column 8", Base | STATE_SYSTEM_OFFSCREEN },
    };
    for (const auto& t : tiles) {
        EXPECT_EQ(Text(t.id), t.name);
        EXPECT_EQ(childCalls[3].second(list, Child(t.id)).written, t.action);
        EXPECT_EQ(childCalls[2].second(list, Child(t.id)).written, t.description);
        EXPECT_EQ(State(t.id), t.state) << t.id;
    }
    EXPECT_EQ(childCalls[1].second(list, Child(1)).written, L"text:" + mark) << "the value: the target";
    EXPECT_EQ(childCalls[1].second(list, Child(2)), (Answer{ S_FALSE, L"" })) << "an empty tile has none";

    // The default action takes Return's path: the program runs.
    EXPECT_EQ(list->accDoDefaultAction(Child(1)), S_OK);
    PumpMessages();
    EXPECT_EQ(MarkCount(mark), 1);

    // A grid grown to 10 x 12 has 120 children; the far tile is now the 68th.
    AppSettings.rows = 10;
    AppSettings.columns = 12;
    long count = 0;
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 120);
    EXPECT_EQ(Text(5 * 12 + 8), L"text:Far");
}

TEST_F(AccessibleTest, HitTestAndLocationAgreeOnEveryPixel)
{
    // An odd scroll position, so that no edge falls where it would at 0.
    for (int i = 0; i < 7; i++)
        SendMessageW(MainWindow, i < 4 ? WM_HSCROLL : WM_VSCROLL, SB_LINEDOWN, 0);
    RECT client;
    GetClientRect(MainWindow, &client);
    MapWindowPoints(MainWindow, NULL, (POINT*)&client, 2);
    int width = client.right - client.left;
    std::vector<long> owner((size_t)(width * (client.bottom - client.top)), CHILDID_SELF);
    for (long id = 1; id <= 48; id++) {
        long left, top, w, h;
        ASSERT_EQ(list->accLocation(&left, &top, &w, &h, Child(id)), S_OK);
        for (long y = std::max(top, client.top); y < std::min(top + h, client.bottom); y++)
            for (long x = std::max(left, client.left); x < std::min(left + w, client.right); x++)
                owner[(size_t)((y - client.top) * width + (x - client.left))] = id;
    }
    int wrong = 0;
    for (long y = client.top; y < client.bottom; y++) {
        for (long x = client.left; x < client.right; x++) {
            VARIANT hit = {};
            long expected = owner[(size_t)((y - client.top) * width + (x - client.left))];
            if ((list->accHitTest(x, y, &hit) != S_OK || hit.lVal != expected) && wrong++ < 5)
                ADD_FAILURE() << "at " << x << "," << y << ": child " << hit.lVal << ", location says " << expected;
        }
    }
    EXPECT_EQ(wrong, 0);
    VARIANT outside = Child(Untouched);
    EXPECT_EQ(list->accHitTest(client.right, client.top + 50, &outside), S_FALSE);
    EXPECT_EQ(outside.vt, VT_EMPTY);
}

TEST_F(AccessibleTest, EveryMethodTakesItsChildTheSameWay)
{
    // The forms the system's proxies take, each answered as the plain number it stands for.
    long three = 3;
    VARIANT last = Child(48), beyond = Child(49);
    VARIANT empty = {}, missing = {}, byReference = {}, byVariant = {};
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    byReference.vt = VT_I4 | VT_BYREF;
    byReference.plVal = &three;
    byVariant.vt = VT_VARIANT | VT_BYREF;
    byVariant.pvarVal = &last;
    const struct { const char* what; VARIANT child; long plain; } forms[] = {
        { "VT_EMPTY", empty, CHILDID_SELF }, { "missing", missing, CHILDID_SELF },
        { "VT_I4 | VT_BYREF", byReference, 3 }, { "VT_VARIANT | VT_BYREF", byVariant, 48 },
    };
    for (const auto& form : forms)
        for (const auto& call : childCalls)
            EXPECT_EQ(call.second(list, form.child), call.second(list, Child(form.plain))) << form.what << ", " << call.first;

    // Anything that names no tile of the grid in use: refused alike, nothing written, nothing run.
    VARIANT text = {}, nullReference = {}, otherError = {}, twice = byVariant, beyondByVariant = byVariant;
    text.vt = VT_BSTR;
    nullReference.vt = VT_I4 | VT_BYREF;
    otherError.vt = VT_ERROR;
    otherError.scode = E_FAIL;
    twice.pvarVal = &byVariant;
    beyondByVariant.pvarVal = &beyond;
    const struct { const char* what; VARIANT child; } refused[] = {
        { "child n + 1", beyond }, { "child -1", Child(-1) }, { "child LONG_MIN", Child(LONG_MIN) }, { "VT_BSTR", text },
        { "a NULL reference", nullReference }, { "another VT_ERROR", otherError }, { "a reference to a reference", twice },
        { "child n + 1 by reference", beyondByVariant },
    };
    for (const auto& r : refused) {
        for (const auto& call : childCalls)
            EXPECT_EQ(call.second(list, r.child), (Answer{ E_INVALIDARG, L"" })) << r.what << ", " << call.first;
        EXPECT_EQ(list->accSelect(SELFLAG_TAKESELECTION, r.child), E_INVALIDARG) << r.what;
        EXPECT_EQ(list->accDoDefaultAction(r.child), E_INVALIDARG) << r.what;
    }
    PumpMessages();
    EXPECT_EQ(Selected(), 101);
    EXPECT_EQ(MarkCount(mark, 0, 300), 0);
}

TEST_F(AccessibleTest, BadFlagsDirectionsAndNullPointersAreRefused)
{
    const long meaningless[] = { SELFLAG_NONE, SELFLAG_TAKEFOCUS | SELFLAG_ADDSELECTION, SELFLAG_EXTENDSELECTION,
                                 SELFLAG_REMOVESELECTION, 0x20 };
    for (long flags : meaningless)
        EXPECT_EQ(list->accSelect(flags, Child(11)), E_INVALIDARG) << flags;
    EXPECT_EQ(list->accSelect(SELFLAG_TAKESELECTION, Child(CHILDID_SELF)), E_INVALIDARG) << "the list itself";
    EXPECT_EQ(Selected(), 101);

    const struct { long direction; long from; HRESULT result; long to; } moves[] = {
        { NAVDIR_FIRSTCHILD, 11, E_INVALIDARG, Untouched }, { NAVDIR_LASTCHILD, 11, E_INVALIDARG, Untouched },
        { 0, 11, E_INVALIDARG, Untouched }, { 9, CHILDID_SELF, E_INVALIDARG, Untouched }, { -1, 11, E_INVALIDARG, Untouched },
        { NAVDIR_NEXT, CHILDID_SELF, S_FALSE, Untouched }, { NAVDIR_RIGHT, 8, S_FALSE, Untouched },
        { NAVDIR_NEXT, 8, S_OK, 9 }, { NAVDIR_NEXT, 48, S_FALSE, Untouched }, { NAVDIR_UP, 3, S_FALSE, Untouched },
        { NAVDIR_DOWN, 3, S_OK, 11 }, { NAVDIR_LASTCHILD, CHILDID_SELF, S_OK, 48 },
    };
    for (const auto& m : moves) {
        VARIANT end = Child(Untouched);
        EXPECT_EQ(list->accNavigate(m.direction, Child(m.from), &end), m.result) << m.direction << " from " << m.from;
        EXPECT_EQ(end.vt == VT_I4 ? end.lVal : Untouched, m.to) << m.direction << " from " << m.from;
    }

    IEnumVARIANT* children = NULL;
    ASSERT_EQ(list->QueryInterface(IidEnumVariant, (void**)&children), S_OK);
    BSTR text = NULL;
    long number = 0;
    VARIANT two[2];
    const std::pair<const char*, HRESULT> nulls[] = {
        { "name", list->get_accName(Child(1), NULL) }, { "help topic's file", list->get_accHelpTopic(NULL, Child(1), &number) },
        { "help topic", list->get_accHelpTopic(&text, Child(1), NULL) }, { "child count", list->get_accChildCount(NULL) },
        { "focus", list->get_accFocus(NULL) }, { "location", list->accLocation(&number, &number, NULL, &number, Child(1)) },
        { "hit test", list->accHitTest(100, 100, NULL) }, { "two without a count", children->Next(2, two, NULL) },
        { "clone", children->Clone(NULL) },
    };
    for (const auto& n : nulls)
        EXPECT_EQ(n.second, E_POINTER) << n.first;
    children->Release();
}

TEST_F(AccessibleTest, AHeldListFailsCleanlyOnceItsWindowIsGone)
{
    IEnumVARIANT* children = NULL;
    ASSERT_EQ(list->QueryInterface(IidEnumVariant, (void**)&children), S_OK);
    DestroyTestMainWindow();
    const Answer gone = { CO_E_OBJNOTCONNECTED, L"" };
    for (long id : { (long)CHILDID_SELF, 1L })
        for (const auto& call : childCalls)
            EXPECT_EQ(call.second(list, Child(id)), gone) << call.first << " of " << id;
    long count = Untouched;
    VARIANT v = Child(Untouched);
    ULONG fetched = 9;
    const std::pair<const char*, Answer> calls[] = {
        { "child count", { list->get_accChildCount(&count), count == Untouched ? L"" : L"count" } },
        { "focus", { list->get_accFocus(&v), Written(v) } },
        { "hit test", { list->accHitTest(100, 100, &v), Written(v) } },
        { "select", { list->accSelect(SELFLAG_TAKESELECTION, Child(2)), L"" } },
        { "default action", { list->accDoDefaultAction(Child(1)), L"" } },
        { "next", { children->Next(1, &v, &fetched), fetched == 0 ? Written(v) : L"fetched" } },
        { "reset", { children->Reset(), L"" } },
    };
    for (const auto& call : calls)
        EXPECT_EQ(call.second, gone) << call.first;
    children->Release();
}

TEST_F(AccessibleTest, TheChildrenComeInOneEnumeration)
{
    VARIANT children[20];
    long got = 0;
    EXPECT_EQ(AccessibleChildren(list, 40, 20, children, &got), S_FALSE);
    ASSERT_EQ(got, 8);
    EXPECT_EQ(Written(children[0]) + Written(children[7]), L"i4:41i4:48");

    // One object: the enumeration is the list; a clone walks on its own.
    IEnumVARIANT* walk = NULL;
    IAccessible* back = NULL;
    ASSERT_EQ(list->QueryInterface(IidEnumVariant, (void**)&walk), S_OK);
    ASSERT_EQ(walk->QueryInterface(IidAccessible, (void**)&back), S_OK);
    EXPECT_EQ(back, list);
    back->Release();
    IEnumVARIANT* clone = NULL;
    ULONG fetched = 0;
    EXPECT_EQ(walk->Reset(), S_OK);   // the list's own place, where AccessibleChildren left it
    EXPECT_EQ(walk->Skip(5), S_OK);
    ASSERT_EQ(walk->Clone(&clone), S_OK);
    EXPECT_EQ(walk->Next(1, children, &fetched), S_OK);
    EXPECT_EQ(clone->Next(2, children + 1, &fetched), S_OK);
    EXPECT_EQ(Written(children[0]) + Written(children[1]) + Written(children[2]), L"i4:6i4:6i4:7");
    EXPECT_EQ(clone->Skip(100), S_FALSE);
    EXPECT_EQ(clone->Next(3, children, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    // The grid shrinks under the walk: it ends where the grid does.
    AppSettings.rows = 1;
    EXPECT_EQ(walk->Next(5, children, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    clone->Release();
    walk->Release();
}

TEST_F(AccessibleTest, NoActionIsTakenBehindAMenuABoxOrADisabledWindow)
{
    using Inside = std::function<void()>;
    const std::pair<const char*, std::function<void(const Inside&)>> around[] = {
        { "disabled window", [](const Inside& inside) { EnableWindow(MainWindow, FALSE); inside(); EnableWindow(MainWindow, TRUE); } },
        { "open popup menu", [](const Inside& inside) {
              ModalDriver driver;
              driver.onMenu = [&](const ModalDriver::Menu&) { inside(); return 0u; };
              SendMessageW(MainWindow, WM_KEYDOWN, VK_SPACE, 0);   // the selected tile's menu
          } },
        { "open box", [](const Inside& inside) {
              ModalDriver driver;
              driver.onBox = [&](HWND box) { inside(); PressButton(box, IDOK); };
              SendMessageW(MainWindow, WM_RBUTTONDOWN, MK_SHIFT, MAKELPARAM(60, 60));   // the tile's location
          } },
        { "box without an owner", [](const Inside& inside) {   // as a failed save's: nothing is disabled
              ModalDriver driver;
              driver.onBox = [&](HWND box) { inside(); PressButton(box, IDOK); };
              MessageBoxW(NULL, L"Saving failed", NULL, MB_OK);
          } },
    };
    int runs = 0;
    for (const auto& a : around) {
        bool inside = false;
        HRESULT run = S_OK, select = S_OK;
        long state = 0;
        a.second([&] {
            inside = true;
            run = list->accDoDefaultAction(Child(1));
            select = list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(11));
            state = State(11);
        });
        PumpMessages();
        ASSERT_TRUE(inside) << a.first;
        EXPECT_EQ(run, E_FAIL) << a.first;
        EXPECT_EQ(select, E_FAIL) << a.first;
        EXPECT_TRUE(state & STATE_SYSTEM_UNAVAILABLE) << a.first;
        EXPECT_EQ(Selected(), 101) << a.first;

        // Once it is over, both are taken and carried out; one action at a time.
        EXPECT_FALSE(State(11) & STATE_SYSTEM_UNAVAILABLE) << a.first;
        EXPECT_EQ(list->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(11)), S_OK) << a.first;
        EXPECT_EQ(Selected(), 203) << a.first;
        EXPECT_EQ(list->accDoDefaultAction(Child(1)), S_OK) << a.first;
        EXPECT_EQ(list->accDoDefaultAction(Child(1)), E_FAIL) << a.first << ": one on its way already";
        PumpMessages();
        EXPECT_EQ(Selected(), 101) << a.first;
        EXPECT_EQ(MarkCount(mark, ++runs), runs) << a.first;
    }
    EXPECT_EQ(MarkCount(mark, runs, 500), runs) << "nothing refused ran later";
}

TEST_F(AccessibleTest, FocusIsToldOnlyWhileTheWindowHasTheKeyboard)
{
    TileEventRecorder recorder;
    TileEvents& events = recorder.events;
    const long Focused = STATE_SYSTEM_FOCUSED, Chosen = STATE_SYSTEM_SELECTED;

    // In front with the keyboard: taking it tells of the selected tile, and so does every move.
    events.clear();
    SetForegroundWindow(MainWindow);
    PumpMessages();
    EXPECT_EQ(events, (TileEvents{ { EVENT_OBJECT_FOCUS, 1 } }));
    EXPECT_EQ(State(1) & Focused, Focused);
    EXPECT_EQ(State(CHILDID_SELF) & Focused, Focused);
    EXPECT_EQ(Focus(), 1);
    events.clear();
    SendMessageW(MainWindow, WM_CHAR, L'b', 0);   // the letter search: (2, 3)
    PumpMessages();
    EXPECT_EQ(events, (TileEvents{ { EVENT_OBJECT_FOCUS, 11 }, { EVENT_OBJECT_SELECTION, 11 } }));

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
    PumpUntil([&] { return !events.empty() && events.back().first == EVENT_OBJECT_FOCUS; }, 5000);
    EXPECT_EQ(inDialog[0] & (Focused | Chosen), Chosen);
    EXPECT_EQ(inDialog[1], -1);
    EXPECT_EQ(events, (TileEvents{ { EVENT_OBJECT_SELECTION, 9 }, { EVENT_OBJECT_FOCUS, 9 } }));

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
    EXPECT_EQ(events, (TileEvents{ { EVENT_OBJECT_SELECTION, 5 } }));
    DestroyWindow(other);
}

// ---- the tip ---------------------------------------------------------------------------

TEST(TileTipPlaceTest, InsideTheWorkAreaNearItsEdges)
{
    const RECT small = { 0, 0, 640, 480 }, second = { 1280, 100, 1920, 580 };
    const struct { RECT area; POINT pointer; SIZE tip; POINT place; } cases[] = {
        { small, { 100, 100 }, { 300, 40 }, { 100, 120 } },   // room enough: below the pointer
        { small, { 630, 100 }, { 600, 40 }, { 40, 120 } },    // the right edge: moved left
        { small, { 100, 470 }, { 300, 40 }, { 100, 430 } },   // the bottom edge: above the pointer
        { small, { 635, 475 }, { 600, 40 }, { 40, 435 } },    // the corner: both
        { small, { 20, 20 }, { 700, 40 }, { 0, 40 } },        // wider than the area: its left edge
        { small, { 100, 30 }, { 300, 470 }, { 100, 0 } },     // taller than the room above and below
        { second, { 1900, 570 }, { 600, 40 }, { 1320, 530 } }, // a monitor right of the first
    };
    for (const auto& c : cases) {
        POINT place = PlaceTileTip(c.pointer, c.tip, c.area);
        EXPECT_EQ(place.x * 10000 + place.y, c.place.x * 10000 + c.place.y) << c.pointer.x << "," << c.pointer.y;
    }
}

// The tip as the pointer shows it: the real pointer rests on a tile and the system's tracking
// reports the hover.
class TileTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        FillTile(TileAt(1, 1), L"C:\\nowhere\\a long folder name\\and another one\\budget.xlsx", L"Budget 2026 - Q3 forecast", 0);
        FillTile(TileAt(2, 3), L"C:\\nowhere\\b.txt", L"Beta", 0);
        ASSERT_NE(CreateTestMainWindowWithClient(500, 400), nullptr);
        ShowWindow(MainWindow, SW_SHOW);
        SetForegroundWindow(MainWindow);
        original = (WNDPROC)SetWindowLongPtrW(MainWindow, GWLP_WNDPROC, (LONG_PTR)CountHovers);
        PumpMessages();
    }
    void TearDown() override { DestroyTestMainWindow(); }
    static LRESULT CALLBACK CountHovers(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        hovers += message == WM_MOUSEHOVER;
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    // Rests the pointer on a client point until the hover comes; the tip's text, or "<no tip>".
    std::wstring RestOn(int x, int y)
    {
        POINT point = { x, y };
        ClientToScreen(MainWindow, &point);
        int before = hovers;
        SetCursorPos(point.x + 1, point.y);   // a move, wherever the pointer was
        PumpMessages();
        SetCursorPos(point.x, point.y);
        EXPECT_TRUE(PumpUntil([&] { return hovers > before; })) << "no hover at " << x << "," << y;
        HWND tip = TileTipWindow(MainWindow);
        if (tip == NULL || !IsWindowVisible(tip))
            return L"<no tip>";
        wchar_t text[1024] = L"";
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = MainWindow;
        tool.uId = 1;
        tool.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, _countof(text), (LPARAM)&tool);
        return text;
    }
    static WNDPROC original;
    static int hovers;
};
WNDPROC TileTipTest::original;
int TileTipTest::hovers;

TEST_F(TileTipTest, TheWholeNameAndTargetOfAFilledTileOnly)
{
    EXPECT_EQ(RestOn(60, 30), L"Budget 2026 - Q3 forecast\r\nC:\\nowhere\\a long folder name\\and another one\\budget.xlsx");
    EXPECT_EQ(RestOn(10 + 103 + 50, 30), L"<no tip>") << "an empty tile";
    EXPECT_EQ(RestOn(10 + 102, 30), L"<no tip>") << "the gap beside a filled tile";
    wcscpy_s(TileAt(2, 3)->name, L"Beta        Version");
    EXPECT_EQ(RestOn(10 + 2 * 103 + 50, 10 + 103 + 20), L"Beta Version\r\nC:\\nowhere\\b.txt") << "the name as it is now";
    // With no tile filled, an empty tile tells how to fill it.
    ClearTile(TileAt(1, 1));
    ClearTile(TileAt(2, 3));
    EXPECT_TRUE(StartsWith(RestOn(60, 30), L"Click to choose a program or file for this tile, or drop files on it."));
}

TEST_F(TileTipTest, ATipStillToComeIsForgottenOnAPressAMenuOrAnotherWindow)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW, 600, 500, 300, 200, NULL, NULL, NULL, NULL);
    bool shown = false;
    auto waitPastTheHover = [&] {
        PumpUntil([] { return false; }, 900);   // twice the hover time
        shown = shown || IsWindowVisible(TileTipWindow(MainWindow));
    };
    ModalDriver menus;
    menus.onMenu = [&](const ModalDriver::Menu&) { waitPastTheHover(); return 0u; };
    const std::pair<const char*, std::function<void()>> endings[] = {
        { "a press", [] { SendMessageW(MainWindow, WM_MBUTTONDOWN, 0, MAKELPARAM(60, 30)); } },
        { "another window in front", [&] { ShowWindow(other, SW_SHOW); SetForegroundWindow(other); } },
        { "a menu", [] { SendMessageW(MainWindow, WM_RBUTTONDOWN, 0, MAKELPARAM(60, 30)); } },
    };
    for (const auto& ending : endings) {
        ShowWindow(other, SW_HIDE);
        SetForegroundWindow(MainWindow);
        // The pointer set down on the tile: its tip is due after the hover time.
        POINT point = { 60 + 2 * (int)(&ending - endings), 30 };
        ClientToScreen(MainWindow, &point);
        SetCursorPos(point.x, point.y);
        PumpMessages();
        shown = false;
        ending.second();
        waitPastTheHover();
        EXPECT_FALSE(shown) << ending.first;
    }
    DestroyWindow(other);
}

TEST_F(TileTipTest, StaysOnTheScreenNearItsRightAndBottomEdges)
{
    // Tile (1, 1) in the screen's bottom-right corner, the pointer 20 pixels from both edges.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(MainWindow, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    POINT client = { 0, 0 };
    ClientToScreen(MainWindow, &client);
    RECT outer, tip;
    GetWindowRect(MainWindow, &outer);
    SetWindowPos(MainWindow, NULL, outer.left + work.right - 120 - client.x, outer.top + work.bottom - 120 - client.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_NE(RestOn(100, 100), L"<no tip>");
    GetWindowRect(TileTipWindow(MainWindow), &tip);
    EXPECT_GT(tip.right - tip.left, 120) << "the long target on its line";
    EXPECT_GE(tip.left, work.left);
    EXPECT_LE(tip.right, work.right);
    EXPECT_GE(tip.top, work.top);
    EXPECT_LE(tip.bottom, work.bottom - 20) << "above the pointer, not under it";
}

TEST_F(TileTipTest, HiddenWhenTheWindowLosesTheKeyboardOrTheMouse)
{
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW, 600, 500, 300, 200, NULL, NULL, NULL, NULL);
    const std::pair<const char*, std::function<void()>> endings[] = {
        { "another window in front (Alt+Tab)", [&] { ShowWindow(other, SW_SHOW); SetForegroundWindow(other); } },
        { "WM_ACTIVATE, inactive", [] { SendMessageW(MainWindow, WM_ACTIVATE, WA_INACTIVE, 0); } },
        { "WM_KILLFOCUS", [] { SendMessageW(MainWindow, WM_KILLFOCUS, 0, 0); } },
        { "an Alt key", [] { PostMessageW(MainWindow, WM_SYSKEYDOWN, VK_MENU, 0x20000000); } },
        { "the capture taken and given up", [] { SetCapture(MainWindow); ReleaseCapture(); } },
        { "a key", [] { PostMessageW(MainWindow, WM_KEYDOWN, VK_SHIFT, 0); } },
    };
    for (const auto& ending : endings) {
        SetForegroundWindow(MainWindow);
        ASSERT_NE(RestOn(60 + (int)(&ending - endings), 30), L"<no tip>") << ending.first;
        ending.second();
        PumpMessages();
        EXPECT_FALSE(IsWindowVisible(TileTipWindow(MainWindow))) << ending.first;
        ShowWindow(other, SW_HIDE);
    }
    DestroyWindow(other);

    // The tip and its state go with the window: a new one starts without them.
    HWND tip = TileTipWindow(MainWindow);
    DestroyTestMainWindow();
    EXPECT_FALSE(IsWindow(tip));
    ASSERT_NE(CreateTestMainWindowWithClient(500, 400), nullptr);
    EXPECT_EQ(TileTipWindow(MainWindow), nullptr);
}
