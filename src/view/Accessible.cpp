#include "view/Accessible.h"

#include <oleacc.h>
#include <wchar.h>

#include <new>
#include <windowsx.h>

#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "shell/Com.h"
#include "view/AccessibleEvents.h"
#include "view/Scroll.h"

// Declared here, so that no library's thunk can stand in for the identifier.
static const IID IidAccessible = { 0x618736e0, 0x3c3d, 0x11cf, { 0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 } };

static HRESULT TextResult(const wchar_t* text, BSTR* out)
{
    *out = SysAllocString(text);
    return *out != NULL ? S_OK : E_OUTOFMEMORY;
}

// The one COM object of the program. It holds nothing but its window and reads the model on
// every call, so it can never show a stale grid.
struct GridAccessible final : public IAccessible {
    LONG references = 1;
    HWND window;

    explicit GridAccessible(HWND owner) : window(owner) {}

    // The child a call names: kind 0 for the list itself, 1 for a tile (its row and column
    // set). Fails for a child that does not exist, and once the window is gone.
    struct Child {
        int kind = 0;
        int row = 0;
        int column = 0;
    };
    HRESULT Find(VARIANT child, Child* found)
    {
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        found->kind = Resolve(child, &found->row, &found->column);
        return found->kind < 0 ? E_INVALIDARG : S_OK;
    }
    // 0 for the list itself, 1 for a tile (its row and column set), -1 for no such child.
    int Resolve(VARIANT child, int* row, int* column)
    {
        if (child.vt != VT_I4)
            return -1;
        if (child.lVal == CHILDID_SELF)
            return 0;
        return TileOfChildId(child.lVal, row, column) == 0 ? 1 : -1;
    }
    bool Gone() { return window == NULL || !IsWindow(window); }
    static void SetChild(VARIANT* out, long child)
    {
        out->vt = VT_I4;
        out->lVal = child;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (object == NULL)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IidAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = NULL;
        return E_NOINTERFACE;
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
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        *parent = NULL;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        return AccessibleObjectFromWindow(window, (DWORD)OBJID_WINDOW, IID_IDispatch, (void**)parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        *count = AppSettings.rows * AppSettings.columns;
        return Gone() ? CO_E_OBJNOTCONNECTED : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        int row, column;
        *object = NULL;
        // The tiles are simple children: the list answers for them.
        return Gone() ? CO_E_OBJNOTCONNECTED : Resolve(child, &row, &column) > 0 ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        *name = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (target.kind == 0)
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
        *value = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (target.kind == 0 || !TileAt(target.row, target.column)->filled)
            return S_FALSE;
        return TextResult(TileAt(target.row, target.column)->path, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        *description = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        wchar_t text[48];
        if (target.kind == 0)
            swprintf_s(text, _countof(text), L"%d rows, %d columns", AppSettings.rows, AppSettings.columns);
        else
            swprintf_s(text, _countof(text), L"Row %d, column %d", target.row, target.column);
        return TextResult(text, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        role->vt = VT_EMPTY;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        SetChild(role, target.kind == 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        state->vt = VT_EMPTY;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        long flags = STATE_SYSTEM_FOCUSABLE;
        bool focused = GridHasKeyboardFocus(window);
        if (target.kind == 0) {
            flags |= focused ? STATE_SYSTEM_FOCUSED : 0;
        } else {
            flags |= STATE_SYSTEM_SELECTABLE | (IsWindowEnabled(window) ? 0 : STATE_SYSTEM_UNAVAILABLE);
            if (TileAt(target.row, target.column)->selected)
                flags |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
            RECT tile, client, common;
            if (TileRect(target.row, target.column, &tile) == 0 && GetClientRect(window, &client) &&
                !IntersectRect(&common, &tile, &client))
                flags |= STATE_SYSTEM_OFFSCREEN;
        }
        SetChild(state, flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override
    {
        *help = NULL;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        *file = NULL;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override
    {
        *shortcut = NULL;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override
    {
        child->vt = VT_EMPTY;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        if (!GridHasKeyboardFocus(window))
            return S_FALSE;
        SetChild(child, TileChildId(AppSettings.selectedRow, AppSettings.selectedColumn));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        children->vt = VT_EMPTY;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        SetChild(children, TileChildId(AppSettings.selectedRow, AppSettings.selectedColumn));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        *action = NULL;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        if (target.kind == 0)
            return S_FALSE;
        return TextResult(TileAt(target.row, target.column)->filled ? L"Run" : L"Choose a program", action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        int row, column;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        if (Resolve(child, &row, &column) <= 0)
            return E_INVALIDARG;
        if (!(flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)))
            return S_FALSE;
        PostMessageW(window, WM_TILE_ACCESSIBLE_ACTION, (WPARAM)child.lVal, 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        *left = *top = *width = *height = 0;
        Child target;
        HRESULT found = Find(child, &target);
        if (FAILED(found))
            return found;
        RECT r = {};
        if (target.kind == 0 ? !GetClientRect(window, &r) : TileRect(target.row, target.column, &r) != 0)
            return E_FAIL;
        MapWindowPoints(window, NULL, (POINT*)&r, 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        end->vt = VT_EMPTY;
        Child target;
        HRESULT found = Find(start, &target);
        if (FAILED(found))
            return found;
        long count = AppSettings.rows * AppSettings.columns;
        long to = 0;
        if (target.kind == 0 && direction == NAVDIR_FIRSTCHILD)
            to = 1;
        else if (target.kind == 0 && direction == NAVDIR_LASTCHILD)
            to = count;
        else if (target.kind == 1 && direction == NAVDIR_NEXT)
            to = start.lVal < count ? start.lVal + 1 : 0;
        else if (target.kind == 1 && direction == NAVDIR_PREVIOUS)
            to = start.lVal - 1;
        else if (target.kind == 1 && direction == NAVDIR_RIGHT)
            to = target.column < AppSettings.columns ? start.lVal + 1 : 0;
        else if (target.kind == 1 && direction == NAVDIR_LEFT)
            to = target.column > 1 ? start.lVal - 1 : 0;
        else if (target.kind == 1 && direction == NAVDIR_DOWN)
            to = target.row < AppSettings.rows ? start.lVal + AppSettings.columns : 0;
        else if (target.kind == 1 && direction == NAVDIR_UP)
            to = target.row > 1 ? start.lVal - AppSettings.columns : 0;
        else if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD)
            return E_INVALIDARG;
        if (to <= 0)
            return S_FALSE;
        SetChild(end, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        child->vt = VT_EMPTY;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        POINT point = { x, y };
        RECT client;
        ScreenToClient(window, &point);
        if (!GetClientRect(window, &client) || !PtInRect(&client, point))
            return S_FALSE;
        int row, column, onTile, filled;
        HitTestTile(point.x, point.y, &row, &column, &onTile, &filled);
        SetChild(child, onTile ? TileChildId(row, column) : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        int row, column;
        if (Gone())
            return CO_E_OBJNOTCONNECTED;
        if (Resolve(child, &row, &column) <= 0)
            return DISP_E_MEMBERNOTFOUND;
        if (!IsWindowEnabled(window))
            return E_FAIL;   // a dialog or a menu of the program is open
        // Posted, so that a screen reader's call returns before a program starts or the Open
        // dialog opens.
        PostMessageW(window, WM_TILE_ACCESSIBLE_ACTION, (WPARAM)child.lVal, 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
};

static GridAccessible* gridAccessible;

LRESULT OnGetObject(HWND window, WPARAM wParam, LPARAM lParam)
{
    // OBJID_CLIENT arrives as a 32-bit value, not always sign-extended.
    if ((LONG)lParam != OBJID_CLIENT)
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    EnsureComInitialized();
    // The process heap rather than the runtime's new, which would link C++ exceptions and
    // their unwinder into a program that has none: 100 KB more code to load at every start.
    void* room = gridAccessible == NULL ? HeapAlloc(GetProcessHeap(), 0, sizeof(GridAccessible)) : NULL;
    if (room != NULL)
        gridAccessible = new (room) GridAccessible(window);
    if (gridAccessible == NULL)
        return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
    return LresultFromObject(IidAccessible, wParam, gridAccessible);
}

void OnTileAccessibleAction(HWND window, WPARAM child, LPARAM run)
{
    // A dialog, a box or a menu opened meanwhile: its loop passes the message on, but the
    // keyboard and the mouse could not act now either.
    int row, column;
    if (TileOfChildId((long)child, &row, &column) != 0 || !IsWindowEnabled(window))
        return;
    MoveSelection(row, column);
    AnnounceSelection();
    InvalidateRect(window, NULL, FALSE);
    ScrollRowIntoView(row);
    ScrollColumnIntoView(column);
    // The same path as Return on the selected tile.
    if (run)
        SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
}

void ReleaseGridAccessible(void)
{
    if (gridAccessible == NULL)
        return;
    gridAccessible->window = NULL;
    CoDisconnectObject(gridAccessible, 0);
    gridAccessible->Release();
    gridAccessible = NULL;
}
