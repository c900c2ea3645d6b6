// A Windows-side helper for scenario tests: reports what the scenario cannot see from
// X11 (window classes, styles, states, message boxes) and acts on windows by handle.
//     probe window [class]      the top-level window of that class (default "Vantrel")
//     probe foreground          the foreground window
//     probe boxes               every message box on screen, with caption and text
//     probe press-ok            presses OK on every message box
//     probe lists               every dialog's list boxes: the selected line and every line
//     probe close [class]       posts WM_CLOSE to the window of that class
//     probe minimize [class]    minimises it
//     probe cover               opens a plain window that takes the foreground, until killed
//     probe appdata             the local application data folder
//     probe accessible CHILD    what a screen reader in another process reads of Vantrel's
//                               grid: the child count, and the name, value and state of a tile
//     probe children            the grid's children as a screen reader walks them
//                               (AccessibleChildren): how many, whether the tiles come numbered
//                               1, 2, ... in order, how long the walk took in milliseconds, and
//                               the last child when it is an object of its own (the find bar)
//     probe hold-hotkey         holds Ctrl+Alt+Z for itself, until killed
//     probe hold-file PATH [rw] holds a file open for writing, sharing nothing (or, with rw, for
//                               reading, letting others read and write it but not rename or
//                               delete it, as a viewer or a scanner may), until killed
//     probe serve               answers the commands above that end by themselves, one per
//                               line of standard input (arguments separated by tabs), each
//                               answer ended by "end=<exit code>": one process for a whole
//                               scenario instead of one per question
// Output is one "key=value" per line. Exit code 2 when the asked-for window is missing.
#include <windows.h>
#include <knownfolders.h>
#include <oleacc.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void PrintText(const char* key, const wchar_t* text)
{
    char utf8[2048];
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), NULL, NULL);
    // Line feeds in texts are shown as \n so that every value stays on its line.
    printf("%s=", key);
    for (const char* p = utf8; *p; p++) {
        if (*p == '\n')
            printf("\\n");
        else if (*p != '\r')
            putchar(*p);
    }
    putchar('\n');
}

static void Describe(HWND window)
{
    wchar_t text[1024];
    printf("hwnd=%llu\n", (unsigned long long)(ULONG_PTR)window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    printf("pid=%lu\n", pid);
    GetClassNameW(window, text, 1024);
    PrintText("class", text);
    GetWindowTextW(window, text, 1024);
    PrintText("title", text);
    printf("style=0x%08lX\n", (unsigned long)GetWindowLongW(window, GWL_STYLE));
    printf("exstyle=0x%08lX\n", (unsigned long)GetWindowLongW(window, GWL_EXSTYLE));
    RECT r;
    GetWindowRect(window, &r);
    printf("rect=%ld,%ld,%ld,%ld\n", r.left, r.top, r.right, r.bottom);
    GetClientRect(window, &r);
    POINT origin = { 0, 0 };
    ClientToScreen(window, &origin);
    printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, origin.x + r.right, origin.y + r.bottom);
    printf("iconic=%d\n", IsIconic(window) ? 1 : 0);
    printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    printf("foreground=%d\n", GetForegroundWindow() == window ? 1 : 0);
    HWND owner = GetWindow(window, GW_OWNER);
    printf("owner=%llu\n", (unsigned long long)(ULONG_PTR)owner);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (GetScrollInfo(window, SB_HORZ, &info))
        printf("hscroll=%d,%d,%u,%d\n", info.nMin, info.nMax, info.nPage, info.nPos);
    if (GetScrollInfo(window, SB_VERT, &info))
        printf("vscroll=%d,%d,%u,%d\n", info.nMin, info.nMax, info.nPage, info.nPos);
}

static BOOL CALLBACK PrintBox(HWND window, LPARAM pressOk)
{
    wchar_t name[64];
    if (!IsWindowVisible(window) || !GetClassNameW(window, name, 64) || wcscmp(name, L"#32770") != 0)
        return TRUE;
    if (pressOk) {
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    wchar_t text[1024];
    printf("box\n");
    GetWindowTextW(window, text, 1024);
    PrintText("caption", text);
    GetDlgItemTextW(window, 0xFFFF, text, 1024);
    PrintText("text", text);
    HWND owner = GetWindow(window, GW_OWNER);
    printf("owner=%llu\n", (unsigned long long)(ULONG_PTR)owner);
    return TRUE;
}

static BOOL CALLBACK PrintLists(HWND window, LPARAM)
{
    wchar_t text[1024];
    if (!IsWindowVisible(window) || !GetClassNameW(window, text, 64) || wcscmp(text, L"#32770") != 0)
        return TRUE;
    printf("dialog\n");
    GetWindowTextW(window, text, 1024);
    PrintText("caption", text);
    for (HWND list = FindWindowExW(window, NULL, L"ListBox", NULL); list != NULL;
         list = FindWindowExW(window, list, L"ListBox", NULL)) {
        printf("list\nselected=%d\n", (int)SendMessageW(list, LB_GETCURSEL, 0, 0));
        int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; i++) {
            text[0] = L'\0';
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
                SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
            PrintText("item", text);
        }
    }
    return TRUE;
}

static LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static int Cover(void)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CoverProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    windowClass.lpszClassName = L"VantrelTestCover";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"VantrelTestCover", L"Cover", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 500,
                                  NULL, NULL, windowClass.hInstance, NULL);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

static int Serve(void);

static const IID AccessibleId = { 0x618736e0, 0x3c3d, 0x11cf, { 0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 } };

// Vantrel's grid through oleacc from this process, as a screen reader asks for it: the object
// crosses the process. NULL when there is no window or no object.
static IAccessible* OpenGrid(void)
{
    HWND window = FindWindowW(L"Vantrel", NULL);
    IAccessible* list = NULL;
    CoInitialize(NULL);
    if (window == NULL || FAILED(AccessibleObjectFromWindow(window, (DWORD)OBJID_CLIENT, AccessibleId, (void**)&list)))
        return NULL;
    return list;
}

// A child that is an object of its own (the find bar): its name and how many parts it has.
static void PrintObject(IDispatch* child)
{
    IAccessible* object = NULL;
    VARIANT self = {};
    self.vt = VT_I4;
    BSTR name = NULL;
    long parts = -1;
    if (SUCCEEDED(child->QueryInterface(AccessibleId, (void**)&object)) && object->get_accName(self, &name) == S_OK)
        PrintText("object", name);
    if (object != NULL && object->get_accChildCount(&parts) == S_OK)
        printf("parts=%ld\n", parts);
    SysFreeString(name);
    if (object != NULL)
        object->Release();
}

static int ListAccessibleChildren(void)
{
    IAccessible* list = OpenGrid();
    if (list == NULL)
        return 2;
    long count = 0;
    list->get_accChildCount(&count);
    VARIANT* children = (VARIANT*)calloc(count > 0 ? (size_t)count : 1, sizeof(VARIANT));
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    long fetched = 0;
    HRESULT result = AccessibleChildren(list, 0, count, children, &fetched);
    QueryPerformanceCounter(&end);
    int inOrder = fetched == count;
    int objects = 0;
    for (long i = 0; i < fetched; i++) {
        objects += children[i].vt == VT_DISPATCH;
        inOrder = inOrder && (children[i].vt == VT_DISPATCH || (children[i].vt == VT_I4 && children[i].lVal == i + 1));
    }
    printf("count=%ld\nfetched=%ld\nresult=0x%08lX\ninorder=%d\nobjects=%d\n", count, fetched, (unsigned long)result,
           inOrder, objects);
    printf("ms=%.1f\n", (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart);
    if (objects > 0 && children[fetched - 1].vt == VT_DISPATCH)
        PrintObject(children[fetched - 1].pdispVal);
    for (long i = 0; i < fetched; i++)
        VariantClear(&children[i]);
    free(children);
    list->Release();
    return 0;
}

static int DescribeAccessibleTile(long child)
{
    IAccessible* list = OpenGrid();
    if (list == NULL)
        return 2;
    long count = 0;
    list->get_accChildCount(&count);
    printf("count=%ld\n", count);
    VARIANT tile, state;
    tile.vt = VT_I4;
    tile.lVal = child;
    BSTR name = NULL, value = NULL;
    list->get_accName(tile, &name);
    list->get_accValue(tile, &value);
    list->get_accState(tile, &state);
    PrintText("name", name != NULL ? name : L"");
    PrintText("value", value != NULL ? value : L"");
    printf("state=%ld\n", state.vt == VT_I4 ? state.lVal : -1);
    SysFreeString(name);
    SysFreeString(value);
    list->Release();
    return 0;
}

static int RunCommand(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 1;
    const wchar_t* command = argv[1];
    const wchar_t* className = argc > 2 ? argv[2] : L"Vantrel";

    if (wcscmp(command, L"window") == 0 || wcscmp(command, L"close") == 0 || wcscmp(command, L"minimize") == 0) {
        HWND window = FindWindowW(className, NULL);
        if (window == NULL)
            return 2;
        if (wcscmp(command, L"close") == 0)
            PostMessageW(window, WM_CLOSE, 0, 0);
        else if (wcscmp(command, L"minimize") == 0)
            ShowWindow(window, SW_MINIMIZE);
        else
            Describe(window);
        return 0;
    }
    if (wcscmp(command, L"foreground") == 0) {
        HWND window = GetForegroundWindow();
        if (window == NULL)
            return 2;
        Describe(window);
        return 0;
    }
    if (wcscmp(command, L"boxes") == 0 || wcscmp(command, L"press-ok") == 0) {
        EnumWindows(PrintBox, wcscmp(command, L"press-ok") == 0);
        return 0;
    }
    if (wcscmp(command, L"lists") == 0) {
        EnumWindows(PrintLists, 0);
        return 0;
    }
    if (wcscmp(command, L"cover") == 0)
        return Cover();
    if (wcscmp(command, L"hold-hotkey") == 0) {
        if (!RegisterHotKey(NULL, 1, MOD_ALT | MOD_CONTROL, 'Z'))
            return 2;
        printf("held=1\n");
        fflush(stdout);
        Sleep(INFINITE);
        return 0;
    }
    if (wcscmp(command, L"hold-file") == 0 && argc > 2) {
        bool sharing = argc > 3 && wcscmp(argv[3], L"rw") == 0;
        HANDLE file = CreateFileW(argv[2], sharing ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                                  sharing ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return 2;
        printf("held=1\n");
        fflush(stdout);
        Sleep(INFINITE);
        return 0;
    }
    if (wcscmp(command, L"accessible") == 0 && argc > 2)
        return DescribeAccessibleTile(wcstol(argv[2], NULL, 10));
    if (wcscmp(command, L"children") == 0)
        return ListAccessibleChildren();
    if (wcscmp(command, L"appdata") == 0) {
        PWSTR folder = NULL;
        if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, NULL, &folder)))
            return 2;
        PrintText("appdata", folder);
        CoTaskMemFree(folder);
        return 0;
    }
    return 1;
}

static int Serve(void)
{
    char line[4096];
    while (fgets(line, sizeof(line), stdin) != NULL) {
        wchar_t text[4096];
        if (MultiByteToWideChar(CP_UTF8, 0, line, -1, text, 4096) == 0)
            text[0] = L'\0';
        text[wcscspn(text, L"\r\n")] = L'\0';
        wchar_t* argv[8] = { (wchar_t*)L"probe" };
        int argc = 1;
        wchar_t* context = NULL;
        for (wchar_t* word = wcstok_s(text, L"\t", &context); word != NULL && argc < 8;
             word = wcstok_s(NULL, L"\t", &context))
            argv[argc++] = word;
        bool blocking = argc > 1 && (wcscmp(argv[1], L"serve") == 0 || wcscmp(argv[1], L"cover") == 0 ||
                                     wcsncmp(argv[1], L"hold-", 5) == 0);
        printf("end=%d\n", blocking ? 1 : RunCommand(argc, argv));
        fflush(stdout);
    }
    return 0;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && wcscmp(argv[1], L"serve") == 0)
        return Serve();
    return RunCommand(argc, argv);
}
