#include "view/Accessible.h"

#include <oleacc.h>
#include <wchar.h>

#include <new>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "shell/Com.h"
#include "view/AccessibleEvents.h"
#include "view/FindBar.h"
#include "view/GridBusy.h"
#include "view/Selection.h"

// Declared here, so that no library's thunk can stand in for the identifiers.
static const IID IidAccessible = { 0x618736e0, 0x3c3d, 0x11cf, { 0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 } };
static const IID IidEnumVariant = { 0x00020404, 0x0000, 0x0000, { 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };

// A default action posted and not yet carried out: a second one is refused until it is, so
// that the first one's Open dialog can never swallow an action already accepted.
static bool actionPending;

static HRESULT TextResult(const wchar_t* text, BSTR* out)
{
    *out = SysAllocString(text);
    return *out != NULL ? S_OK : E_OUTOFMEMORY;
}

static void SetChild(VARIANT* out, long child)
{
    out->vt = VT_I4;
    out->lVal = child;
}

// The child number a VARIANT names, taken as the system's own proxies take it: VT_I4, or
// VT_EMPTY and a missing argument for the object itself, each also by reference. 0 with the
// number set, 1 for any other kind.
static int ChildNumber(const VARIANT* child, long* number)
{
    if (child->vt == (VT_VARIANT | VT_BYREF)) {
        if (child->pvarVal == NULL)
            return 1;
        child = child->pvarVal;
    }
    switch (child->vt) {
    case VT_I4:
        *number = child->lVal;
        return 0;
    case VT_I4 | VT_BYREF:
        if (child->plVal == NULL)
            return 1;
        *number = *child->plVal;
        return 0;
    case VT_EMPTY:
        *number = CHILDID_SELF;
        return 0;
    case VT_ERROR:
        if (child->scode != DISP_E_PARAMNOTFOUND)
            return 1;
        *number = CHILDID_SELF;
        return 0;
    default:
        return 1;
    }
}

// The one accessible object of a window, and the clones of its enumeration. It holds nothing
// of the grid and reads the model on every call, so it can never show a stale grid. Pointer
// results are cleared before anything else (COM's rule, so that a failed call leaves nothing
// to free); numbers are written only on success.
struct GridAccessible final : public IAccessible, public IEnumVARIANT {
    LONG references = 1;
    HWND window;            // the root's; NULL once the window is gone
    GridAccessible* root;   // the object the window hands out; a clone holds a reference to it
    // The enumeration's place: children passed. One for all clients of the object, as in the
    // system's own accessible objects; AccessibleChildren sets it back before each walk.
    ULONG cursor = 0;

    GridAccessible(HWND owner, GridAccessible* shared) : window(owner), root(shared != NULL ? shared : this)
    {
        if (shared != NULL)
            shared->AddRef();
    }
    ~GridAccessible()
    {
        if (root != this)
            root->Release();
    }

    static GridAccessible* Make(HWND owner, GridAccessible* shared)
    {
        // The process heap rather than the runtime's new, which would link C++ exceptions and
        // their unwinder into a program that has none: 100 KB more code to load at every start.
        void* room = HeapAlloc(GetProcessHeap(), 0, sizeof(GridAccessible));
        return room != NULL ? new (room) GridAccessible(owner, shared) : NULL;
    }

    HWND Window() { return root->window; }
    bool Gone() { return Window() == NULL || !IsWindow(Window()); }

    // The find bar, while it is open, is the list's last child, after the tiles: the system's
    // own object for its window, whose children are the field and the count.
    HWND Bar() { return OpenFindBarWindow(Window()); }
    long ChildCount() { return TileChildCount() + (Bar() != NULL ? 1 : 0); }
    HRESULT BarObject(IDispatch** object)
    {
        HWND bar = Bar();
        return bar != NULL ? AccessibleObjectFromWindow(bar, (DWORD)OBJID_CLIENT, IID_IDispatch, (void**)object) : E_FAIL;
    }
    bool SetBar(VARIANT* out)
    {
        IDispatch* bar = NULL;
        if (FAILED(BarObject(&bar)) || bar == NULL)
            return false;
        out->vt = VT_DISPATCH;
        out->pdispVal = bar;
        return true;
    }
    bool BarHasKeyboard()
    {
        GUITHREADINFO foreground = {};
        foreground.cbSize = sizeof(foreground);
        HWND bar = Bar();
        return bar != NULL && GetGUIThreadInfo(0, &foreground) &&
               (foreground.hwndFocus == bar || IsChild(bar, foreground.hwndFocus));
    }

    // The child a call names: CHILDID_SELF, a tile with its row and column, or, where the call
    // takes it, the find bar. Fails once the window is gone, and with E_INVALIDARG for anything
    // else: the bar answers for itself through its own object.
    struct Child {
        long number = CHILDID_SELF;
        int row = 0;
        int column = 0;
        bool bar = false;
        bool IsTile() const { return number != CHILDID_SELF && !bar; }
    };
    HRESULT Find(const VARIANT& child, Child* found, bool barTaken = false)
    {
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        long number = 0;
        if (ChildNumber(&child, &number) != 0)
            return E_INVALIDARG;
        found->bar = barTaken && number == TileChildCount() + 1 && Bar() != NULL;
        if (number != CHILDID_SELF && !found->bar && TileOfChildId(number, &found->row, &found->column) != 0)
            return E_INVALIDARG;
        found->number = number;
        return S_OK;
    }
    long SelectedChild() { return TileChildId(AppSettings.selectedRow, AppSettings.selectedColumn); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (object == NULL)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IidAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (IsEqualIID(id, IidEnumVariant))
            *object = static_cast<IEnumVARIANT*>(this);
        else
            *object = NULL;
        if (*object == NULL)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0) {
            this->~GridAccessible();
            HeapFree(GetProcessHeap(), 0, this);
        }
        return (ULONG)left;
    }

    // IDispatch: clients use the interface's methods, never names.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count == NULL)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info != NULL)
            *info = NULL;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (parent == NULL)
            return E_POINTER;
        *parent = NULL;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        return AccessibleObjectFromWindow(Window(), (DWORD)OBJID_WINDOW, IID_IDispatch, (void**)parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (count == NULL)
            return E_POINTER;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        *count = ChildCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        if (object == NULL)
            return E_POINTER;
        *object = NULL;
        Child target;
        HRESULT found = Find(child, &target, true);
        if (FAILED(found))
            return found;
        if (target.bar)
            return BarObject(object);
        // The tiles are simple children: the list answers for them.
        return target.IsTile() ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (name == NULL)
            return E_POINTER;
        *name = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (!target.IsTile())
            return TextResult(L"Vantrel", name);
        const Tile* tile = TileAt(target.row, target.column);
        if (!tile->filled)
            return TextResult(L"Empty tile", name);
        wchar_t whole[TileTextCapacity];
        TileWholeName(tile->name, whole, _countof(whole));
        return TextResult(whole, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        if (value == NULL)
            return E_POINTER;
        *value = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (!target.IsTile() || !TileAt(target.row, target.column)->filled)
            return S_FALSE;
        return TextResult(TileAt(target.row, target.column)->path, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        if (description == NULL)
            return E_POINTER;
        *description = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        wchar_t text[48];
        if (target.IsTile())
            swprintf_s(text, _countof(text), L"Row %d, column %d", target.row, target.column);
        else
            swprintf_s(text, _countof(text), L"%d rows, %d columns", AppSettings.rows, AppSettings.columns);
        return TextResult(text, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (role == NULL)
            return E_POINTER;
        role->vt = VT_EMPTY;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        SetChild(role, target.IsTile() ? ROLE_SYSTEM_LISTITEM : ROLE_SYSTEM_LIST);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        if (state == NULL)
            return E_POINTER;
        state->vt = VT_EMPTY;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        bool focused = GridHasKeyboardFocus(Window());
        long flags = STATE_SYSTEM_FOCUSABLE | (GridIsBusy(Window()) ? STATE_SYSTEM_UNAVAILABLE : 0);
        if (!target.IsTile()) {
            SetChild(state, flags | (focused ? STATE_SYSTEM_FOCUSED : 0));
            return S_OK;
        }
        flags |= STATE_SYSTEM_SELECTABLE;
        if (TileAt(target.row, target.column)->selected)
            flags |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
        RECT tile, client, common;
        if (TileRect(target.row, target.column, &tile) == 0 && GetClientRect(Window(), &client) &&
            !IntersectRect(&common, &tile, &client))
            flags |= STATE_SYSTEM_OFFSCREEN;
        SetChild(state, flags);
        return S_OK;
    }
    // No help and no shortcut of their own: the keys are those of the grid.
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        if (help == NULL)
            return E_POINTER;
        *help = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        return FAILED(found) ? found : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        if (file == NULL || topic == NULL)
            return E_POINTER;
        *file = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        if (shortcut == NULL)
            return E_POINTER;
        *shortcut = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        return FAILED(found) ? found : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override
    {
        if (child == NULL)
            return E_POINTER;
        child->vt = VT_EMPTY;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        if (!GridHasKeyboardFocus(Window()))
            return BarHasKeyboard() && SetBar(child) ? S_OK : S_FALSE;
        SetChild(child, SelectedChild());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        if (children == NULL)
            return E_POINTER;
        children->vt = VT_EMPTY;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        long selected = SelectedChild();
        if (selected == 0)
            return S_FALSE;
        SetChild(children, selected);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        if (action == NULL)
            return E_POINTER;
        *action = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (!target.IsTile())
            return S_FALSE;
        return TextResult(TileAt(target.row, target.column)->filled ? L"Run" : L"Choose a program", action);
    }
    // One tile is selected and it is the one with the focus: only taking both, or either,
    // makes sense here. Carried out at once, or refused while the grid is busy.
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        const long allowed = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION;
        if (!target.IsTile() || (flags & allowed) == 0 || (flags & ~allowed) != 0)
            return E_INVALIDARG;
        if (GridIsBusy(Window()))
            return E_FAIL;
        SelectAndShowTile(target.row, target.column);
        // The keyboard within the window (from the find bar's field, say), never the activation
        // taken from another window.
        if ((flags & SELFLAG_TAKEFOCUS) && GetActiveWindow() == Window())
            SetFocus(Window());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        if (left == NULL || top == NULL || width == NULL || height == NULL)
            return E_POINTER;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        RECT r = {};
        if (target.IsTile() ? TileRect(target.row, target.column, &r) != 0 : !GetClientRect(Window(), &r))
            return E_FAIL;
        MapWindowPoints(Window(), NULL, (POINT*)&r, 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        if (end == NULL)
            return E_POINTER;
        end->vt = VT_EMPTY;
        Child target;
        HRESULT found = Find(start, &target, true);
        if (FAILED(found))
            return found;
        if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD)
            return E_INVALIDARG;
        bool children = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
        // A tile has no children, the bar's are its object's to tell, and the list's own
        // neighbours are the window's; from the bar the way goes only back to the last tile.
        bool self = target.number == CHILDID_SELF;
        if (!self && children)
            return E_INVALIDARG;
        if ((self && !children) || (target.bar && direction != NAVDIR_PREVIOUS))
            return S_FALSE;
        long count = TileChildCount();
        long from = target.number;
        long to = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD: to = 1; break;
        case NAVDIR_LASTCHILD:  to = SetBar(end) ? -1 : count; break;
        case NAVDIR_NEXT:       to = from < count ? from + 1 : SetBar(end) ? -1 : 0; break;
        case NAVDIR_PREVIOUS:   to = from - 1; break;
        case NAVDIR_RIGHT:      to = TileChildId(target.row, target.column + 1); break;
        case NAVDIR_LEFT:       to = TileChildId(target.row, target.column - 1); break;
        case NAVDIR_DOWN:       to = TileChildId(target.row + 1, target.column); break;
        case NAVDIR_UP:         to = TileChildId(target.row - 1, target.column); break;
        default:                break;
        }
        if (to < 0)
            return S_OK;   // the bar, set above
        if (to == 0)
            return S_FALSE;
        SetChild(end, to);
        return S_OK;
    }
    // A tile is its square, as accLocation gives it: the gap beside it is the list's.
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        if (child == NULL)
            return E_POINTER;
        child->vt = VT_EMPTY;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        POINT point = { x, y };
        RECT client;
        if (!ScreenToClient(Window(), &point) || !GetClientRect(Window(), &client) || !PtInRect(&client, point))
            return S_FALSE;
        // The bar covers the tiles under it.
        HWND bar = Bar();
        if (bar != NULL && ChildWindowFromPointEx(Window(), point, CWP_SKIPINVISIBLE) == bar && SetBar(child))
            return S_OK;
        int row, column;
        SetChild(child, TileSquareAt(point.x, point.y, &row, &column) ? TileChildId(row, column) : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (!target.IsTile())
            return DISP_E_MEMBERNOTFOUND;   // the list itself has no action
        // Refused where Return could not reach the grid either, and while one is on its way.
        if (actionPending || GridIsBusy(Window()))
            return E_FAIL;
        // Posted, so that a screen reader's call returns before a program starts or the Open
        // dialog opens.
        if (!PostMessageW(Window(), WM_TILE_ACCESSIBLE_ACTION, (WPARAM)target.number, 0))
            return E_FAIL;
        actionPending = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR) override
    {
        Child target;
        HRESULT found = Find(child, &target);
        return FAILED(found) ? found : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR) override
    {
        Child target;
        HRESULT found = Find(child, &target);
        return FAILED(found) ? found : DISP_E_MEMBERNOTFOUND;
    }

    // IEnumVARIANT: the children's numbers in one call, so that a screen reader in another
    // process walks 5,000 tiles in one round trip instead of one for each.
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* children, ULONG* fetched) override
    {
        if ((children == NULL && wanted > 0) || (fetched == NULL && wanted != 1))
            return E_POINTER;
        if (fetched != NULL)
            *fetched = 0;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        ULONG count = (ULONG)ChildCount();
        ULONG tiles = (ULONG)TileChildCount();
        ULONG given = 0;
        for (; given < wanted && cursor < count; given++) {
            VARIANT next = {};
            if (++cursor <= tiles || !SetBar(&next))
                SetChild(&next, (long)cursor);
            children[given] = next;
        }
        if (fetched != NULL)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG skipped) override
    {
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        ULONG count = (ULONG)ChildCount();
        ULONG left = cursor < count ? count - cursor : 0;
        cursor = skipped <= left ? cursor + skipped : count;
        return skipped <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        cursor = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (copy == NULL)
            return E_POINTER;
        *copy = NULL;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        GridAccessible* clone = Make(NULL, root);
        if (clone == NULL)
            return E_OUTOFMEMORY;
        clone->cursor = cursor;
        *copy = static_cast<IEnumVARIANT*>(clone);
        return S_OK;
    }
};

static GridAccessible* gridAccessible;

LRESULT OnGetObject(HWND window, WPARAM wParam, LPARAM lParam)
{
    // OBJID_CLIENT arrives as a 32-bit value, not always sign-extended.
    if ((LONG)lParam != OBJID_CLIENT)
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    EnsureComInitialized();
    if (gridAccessible == NULL)
        gridAccessible = GridAccessible::Make(window, NULL);
    if (gridAccessible == NULL)
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    return LresultFromObject(IidAccessible, wParam, static_cast<IAccessible*>(gridAccessible));
}

void TakePendingAccessibleAction(void)
{
    actionPending = false;
}

void ReleaseGridAccessible(void)
{
    actionPending = false;
    if (gridAccessible == NULL)
        return;
    gridAccessible->window = NULL;
    CoDisconnectObject(static_cast<IAccessible*>(gridAccessible), 0);
    gridAccessible->Release();
    gridAccessible = NULL;
}
