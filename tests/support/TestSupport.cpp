#include "TestSupport.h"

#include <shellapi.h>
#include <stdio.h>
#include <winternl.h>

#include "app/MainWindow.h"
#include "app/Placement.h"
#include "commands/Mouse.h"
#include "config/ConfigFile.h"
#include "config/FileCommit.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"

// ---- message boxes -------------------------------------------------------------------

// The innermost catcher takes the boxes; catchers nest.
static MessageBoxCatcher* activeCatcher;

static HICON FindBoxIcon(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32];
        GetClassNameW(child, name, 32);
        if (_wcsicmp(name, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return (HICON)SendMessageW(child, STM_GETICON, 0, 0);
    }
    return NULL;
}

static bool HasClass(HWND window, const wchar_t* className)
{
    wchar_t name[64];
    return GetClassNameW(window, name, 64) && _wcsicmp(name, className) == 0;
}

bool IsMessageBox(HWND dialog)
{
    if (!HasClass(dialog, L"#32770"))
        return false;
    bool text = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child) & 0xFFFF;
        if (HasClass(child, L"Button") && id >= IDOK && id <= IDCONTINUE)
            continue;
        // The text and the icon: 0xFFFF and 0x440 under Wine, 0xFFFF and 20 on Windows.
        if (HasClass(child, L"Static") && (id == 0xFFFF || id == 0x440 || id == 20)) {
            text = text || id == 0xFFFF;
            continue;
        }
        return false;
    }
    return text;
}

static LRESULT CALLBACK CatcherProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && activeCatcher != NULL) {
        HWND box = (HWND)wParam;
        if (IsMessageBox(box) && GetPropW(box, L"VantrelCaught") == NULL) {
            SetPropW(box, L"VantrelCaught", (HANDLE)1);
            CaughtBox caught;
            wchar_t text[2048];
            GetWindowTextW(box, text, 2048);
            caught.caption = text;
            HWND label = GetDlgItem(box, 0xFFFF);
            std::wstring full((size_t)GetWindowTextLengthW(label) + 1, L'\0');
            GetWindowTextW(label, &full[0], (int)full.size());
            caught.text = full.c_str();
            caught.owner = GetWindow(box, GW_OWNER);
            caught.icon = FindBoxIcon(box);
            MSG quit;
            caught.quitPending = PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
            activeCatcher->boxes.push_back(caught);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(activeCatcher->button, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

MessageBoxCatcher::MessageBoxCatcher(int pressed) : button(pressed)
{
    previous = activeCatcher;
    activeCatcher = this;
    hook = SetWindowsHookExW(WH_CBT, CatcherProc, NULL, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(hook);
    activeCatcher = previous;
}

// ---- dialogs and menus ---------------------------------------------------------------

static ModalDriver* activeDriver;
static HHOOK driverHook;
static UINT_PTR driverTimer;
static DWORD driverDeadline;
static std::vector<HWND> pendingWindows;
static const DWORD WatchdogMs = 15000;

void PressButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

std::wstring ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    std::wstring text((size_t)GetWindowTextLengthW(control) + 1, L'\0');
    GetWindowTextW(control, &text[0], (int)text.size());
    return text.c_str();
}

static BOOL CALLBACK EndOpenWindow(HWND window, LPARAM)
{
    if (HasClass(window, L"#32770")) {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

// Picks a menu item as the keyboard would: down to it, then Return.
static void PickMenuItem(const ModalDriver::Menu& menu, UINT id)
{
    if (id == 0) {
        EndMenu();
        return;
    }
    int steps = 0;
    for (const auto& item : menu.items) {
        if (item.first == 0)
            continue;
        steps++;
        if (item.first == id)
            break;
    }
    for (int i = 0; i < steps; i++)
        PostMessageW(menu.window, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu.window, WM_KEYDOWN, VK_RETURN, 0);
}

static void HandleMenuWindow(HWND window)
{
    HMENU handle = (HMENU)SendMessageW(window, MN_GETHMENU, 0, 0);
    ModalDriver::Menu menu;
    menu.window = window;
    GetWindowRect(window, &menu.rect);
    for (int i = 0; handle != NULL && i < GetMenuItemCount(handle); i++) {
        wchar_t text[128] = L"";
        GetMenuStringW(handle, (UINT)i, text, 128, MF_BYPOSITION);
        UINT state = GetMenuState(handle, (UINT)i, MF_BYPOSITION);
        menu.items.push_back({ (state & MF_SEPARATOR) ? 0u : GetMenuItemID(handle, i), text });
    }
    activeDriver->menus.push_back(menu);
    PickMenuItem(menu, activeDriver->onMenu ? activeDriver->onMenu(menu) : 0);
}

static void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeDriver == NULL)
        return;
    if ((int)(GetTickCount() - driverDeadline) > 0) {
        if (!activeDriver->timedOut)
            ADD_FAILURE() << "a dialog or menu was still open after the watchdog's deadline";
        activeDriver->timedOut = true;
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), EndOpenWindow, 0);
        return;
    }
    std::vector<HWND> ready;
    ready.swap(pendingWindows);
    for (HWND window : ready) {
        if (!IsWindow(window))
            continue;
        if (!IsWindowVisible(window)) {
            pendingWindows.push_back(window);   // not shown yet: try on the next tick
            continue;
        }
        if (HasClass(window, L"#32768")) {
            HandleMenuWindow(window);
        } else if (IsMessageBox(window)) {
            if (activeDriver->onBox)
                activeDriver->onBox(window);
        } else {
            wchar_t caption[256] = L"";
            GetWindowTextW(window, caption, 256);
            activeDriver->dialogs.push_back(caption);
            if (activeDriver->onDialog)
                activeDriver->onDialog(window);
            else
                EndOpenWindow(window, 0);
        }
    }
}

static LRESULT CALLBACK DriverProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (activeDriver != NULL && (code == HCBT_ACTIVATE || code == HCBT_CREATEWND)) {
        HWND window = (HWND)wParam;
        bool menu = code == HCBT_CREATEWND && HasClass(window, L"#32768");
        bool dialog = code == HCBT_ACTIVATE && HasClass(window, L"#32770") && GetPropW(window, L"VantrelDriven") == NULL;
        if (menu || dialog) {
            SetPropW(window, L"VantrelDriven", (HANDLE)1);
            pendingWindows.push_back(window);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

ModalDriver::ModalDriver()
{
    activeDriver = this;
    pendingWindows.clear();
    driverDeadline = GetTickCount() + WatchdogMs;
    driverHook = SetWindowsHookExW(WH_CBT, DriverProc, NULL, GetCurrentThreadId());
    driverTimer = SetTimer(NULL, 0, 40, DriverTick);
}

ModalDriver::~ModalDriver()
{
    KillTimer(NULL, driverTimer);
    UnhookWindowsHookEx(driverHook);
    activeDriver = NULL;
    pendingWindows.clear();
}

// The suite's last line of defence: a dialog, message box or menu that no driver or
// catcher answers is ended after a while and fails its test, instead of hanging the suite.
static const DWORD AbandonedAfterMs = 20000;
static DWORD firstSeenOpen;

static BOOL CALLBACK FindOpenModal(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && (HasClass(window, L"#32770") || HasClass(window, L"#32768")))
        *(bool*)found = true;
    return TRUE;
}

static void CALLBACK AbandonedModalTick(HWND, UINT, UINT_PTR, DWORD)
{
    bool open = false;
    EnumThreadWindows(GetCurrentThreadId(), FindOpenModal, (LPARAM)&open);
    if (!open || activeDriver != NULL) {
        firstSeenOpen = 0;
        return;
    }
    if (firstSeenOpen == 0) {
        firstSeenOpen = GetTickCount();
    } else if (GetTickCount() - firstSeenOpen > AbandonedAfterMs) {
        ADD_FAILURE() << "a dialog, message box or menu was left open with nothing to answer it";
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), EndOpenWindow, 0);
        firstSeenOpen = 0;
    }
}

void InstallAbandonedModalWatchdog()
{
    SetTimer(NULL, 0, 500, AbandonedModalTick);
}

// ---- events for screen readers ----------------------------------------------------------

static TileEventRecorder* activeRecorder;

static void CALLBACK RecordTileEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (activeRecorder != NULL && window == MainWindow && object == OBJID_CLIENT && child != CHILDID_SELF)
        activeRecorder->events.push_back({ event, child });
}

TileEventRecorder::TileEventRecorder()
{
    activeRecorder = this;
    hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, NULL, RecordTileEvent, GetCurrentProcessId(), 0,
                           WINEVENT_OUTOFCONTEXT);
    EXPECT_NE(hook, nullptr);
    // Wine sees a new hook once a message is taken.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    PumpMessages();
    events.clear();
}

TileEventRecorder::~TileEventRecorder()
{
    if (hook != NULL)
        UnhookWinEvent(hook);
    activeRecorder = NULL;
}

// ---- fault injection ------------------------------------------------------------------

static void** FindImportSlot(const char* dll, const char* function)
{
    BYTE* base = (BYTE*)GetModuleHandleW(NULL);
    IMAGE_NT_HEADERS* headers = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY directory = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* import = (IMAGE_IMPORT_DESCRIPTOR*)(base + directory.VirtualAddress); import->Name != 0;
         import++) {
        if (_stricmp((const char*)(base + import->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + import->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* name = (IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData);
            if (strcmp((const char*)name->Name, function) == 0)
                return (void**)&slots->u1.Function;
        }
    }
    return nullptr;
}

static void WriteSlot(void** slot, void* value)
{
    DWORD protection = 0;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(void*), protection, &protection);
}

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
{
    slot = FindImportSlot(dll, function);
    EXPECT_NE(slot, nullptr) << dll << "!" << function;
    if (slot != nullptr) {
        original = *slot;
        WriteSlot(slot, replacement);
    }
}

ImportPatch::~ImportPatch()
{
    if (slot != nullptr)
        WriteSlot(slot, original);
}

// ---- painting ------------------------------------------------------------------------

DibCanvas::DibCanvas(int canvasWidth, int canvasHeight) : width(canvasWidth), height(canvasHeight)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = NULL;
    dc = CreateCompatibleDC(NULL);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, NULL, 0);
    bits = (const DWORD*)pixels;
    original = SelectObject(dc, bitmap);
}

DibCanvas::~DibCanvas()
{
    SelectObject(dc, original);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

COLORREF DibCanvas::Pixel(int x, int y) const
{
    GdiFlush();
    DWORD bgra = bits[y * width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

int DibCanvas::CountColor(const RECT& area, COLORREF color) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++)
            if (Pixel(x, y) == color)
                count++;
    return count;
}

bool DibCanvas::Save(const wchar_t* path) const
{
    GdiFlush();
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    DWORD size = (DWORD)(width * height * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + size;
    std::string bytes((const char*)&file, sizeof(file));
    bytes.append((const char*)&info, sizeof(info));
    bytes.append((const char*)bits, size);
    return WriteFileBytes(path, bytes);
}

// ---- files and folders ---------------------------------------------------------------

static std::wstring sessionFolder;

void RemoveTree(const std::wstring& folder)
{
    std::wstring from = folder;
    from.push_back(L'\0');   // the list of names ends with a second terminator
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

static std::wstring MakeUniqueFolder(const wchar_t* stem)
{
    static int counter;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t folder[MAX_PATH];
    swprintf_s(folder, MAX_PATH, L"%lsvantrel-%ls-%lu-%d", temp, stem, GetCurrentProcessId(), ++counter);
    RemoveTree(folder);
    CreateDirectoryW(folder, NULL);
    return folder;
}

// Every test program keeps the configuration code in a folder of its own, so that no
// test reads or writes a real configuration, not even the test prefix's.
class SessionFolderEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        sessionFolder = MakeUniqueFolder(L"session");
        SetConfigBaseFolderForTests(sessionFolder.c_str());
        // A file held for good is given up on after a tenth of a second, not two: the waiting
        // itself is tested where it matters.
        SetBusyWaitDivisorForTests(TestBusyWaitDivisor);
        InstallAbandonedModalWatchdog();
    }
    void TearDown() override
    {
        RemoveTree(sessionFolder);
    }
};

void InstallTestEnvironment()
{
    ::testing::AddGlobalTestEnvironment(new SessionFolderEnvironment);
}

TestFolder::TestFolder() : path(MakeUniqueFolder(L"test"))
{
    SetConfigBaseFolderForTests(path.c_str());
}

TestFolder::~TestFolder()
{
    SetConfigBaseFolderForTests(sessionFolder.c_str());
    RemoveTree(path);
}

std::wstring TestFolder::Join(const std::wstring& relative) const
{
    return path + L"\\" + relative;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, NULL) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string Utf16FileBytes(const std::wstring& text)
{
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t c : text) {
        if (c == L'\n') {
            bytes.append("\r\0", 2);
        }
        bytes.push_back((char)(c & 0xFF));
        bytes.push_back((char)((c >> 8) & 0xFF));
    }
    return bytes;
}

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring CopyMarkProgram(const TestFolder& folder)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    std::wstring mark = self;
    mark = mark.substr(0, mark.rfind(L'\\') + 1) + L"mark.exe";
    std::wstring copy = folder.Join(L"mark.exe");
    EXPECT_TRUE(CopyFileW(mark.c_str(), copy.c_str(), FALSE));
    return copy;
}

int MarkCount(const std::wstring& markProgram, int atLeast, DWORD settleMs)
{
    auto count = [&] {
        std::string bytes = ReadFileBytes(markProgram + L".ran");
        int lines = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            lines += bytes[i] == '\n' && bytes[i + 1] == 0;
        return lines;
    };
    for (int i = 0; i < 200 && count() < atLeast; i++)
        Sleep(50);
    Sleep(settleMs);
    return count();
}

bool FolderExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- child programs -------------------------------------------------------------------

struct ChildEntry {
    const char* name;
    int (*run)();
};

static std::vector<ChildEntry>& ChildPrograms()
{
    static std::vector<ChildEntry> children;
    return children;
}

ChildProgram::ChildProgram(const char* name, int (*run)())
{
    ChildPrograms().push_back({ name, run });
}

static const wchar_t ChildNameVariable[] = L"VANTREL_TEST_CHILD";
static const wchar_t ChildFolderVariable[] = L"VANTREL_TEST_CHILD_FOLDER";

DWORD RunChildProgram(const char* name, const std::wstring& folder)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    wchar_t wideName[64];
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wideName, 64);
    SetEnvironmentVariableW(ChildNameVariable, wideName);
    SetEnvironmentVariableW(ChildFolderVariable, folder.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
    BOOL started = CreateProcessW(self, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    SetEnvironmentVariableW(ChildNameVariable, NULL);
    SetEnvironmentVariableW(ChildFolderVariable, NULL);
    if (!started)
        return (DWORD)-1;
    // A child that hangs is ended, not left behind.
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, (UINT)-2);
        WaitForSingleObject(process.hProcess, 10000);
    }
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::wstring ChildProgramFolder()
{
    wchar_t folder[MAX_PATH] = L"";
    GetEnvironmentVariableW(ChildFolderVariable, folder, MAX_PATH);
    return folder;
}

int RunChildProgramIfAsked()
{
    wchar_t name[64] = L"";
    if (GetEnvironmentVariableW(ChildNameVariable, name, 64) == 0)
        return -1;
    char narrow[64];
    WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow, 64, NULL, NULL);
    for (const ChildEntry& child : ChildPrograms())
        if (strcmp(child.name, narrow) == 0)
            return child.run();
    return 125;
}

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string((const char*)text.data(), text.size() * sizeof(wchar_t));
}

bool SetFileWrittenAt(const std::wstring& path, int seconds)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ULARGE_INTEGER time;
    time.QuadPart = 133000000000000000ULL + (ULONGLONG)seconds * 10000000ULL;
    FILETIME written = { time.LowPart, time.HighPart };
    BOOL ok = SetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);
    return ok != FALSE;
}

// ---- program state and the main window -----------------------------------------------

void ResetProgramState()
{
    ResetGridAndSettings();
    ApplyFirstPlacement();
    RecomputeContentSize();
    ForgetLastClick();
}

HWND CreateTestMainWindow(int width, int height)
{
    static bool registered;
    if (!registered)
        registered = RegisterMainWindowClass(GetModuleHandleW(NULL));
    AppSettings.windowLeft = 50;
    AppSettings.windowTop = 40;
    AppSettings.windowWidth = width;
    AppSettings.windowHeight = height;
    return CreateMainWindow(GetModuleHandleW(NULL));
}

HWND CreateTestMainWindowWithClient(int clientWidth, int clientHeight)
{
    RecomputeContentSize();
    HWND window = CreateTestMainWindow(clientWidth + 40, clientHeight + 60);
    // Scroll bars come and go with the size, so the outer size converges in a few steps.
    for (int i = 0; window != NULL && i < 4; i++) {
        RECT client, outer;
        GetClientRect(window, &client);
        if (client.right == clientWidth && client.bottom == clientHeight)
            break;
        GetWindowRect(window, &outer);
        SetWindowPos(window, NULL, 0, 0, outer.right - outer.left + clientWidth - client.right,
                     outer.bottom - outer.top + clientHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return window;
}

SCROLLINFO ScrollBarInfo(int bar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(MainWindow, bar, &info);
    return info;
}

int EnduranceCount(int shortCount, int longCount)
{
    wchar_t run[8] = L"";
    GetEnvironmentVariableW(L"VANTREL_ENDURANCE", run, 8);
    return wcscmp(run, L"long") == 0 ? longCount : shortCount;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, timeoutMs - waited < 50 ? timeoutMs - waited : 50, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

void DestroyTestMainWindow()
{
    if (MainWindow != NULL && IsWindow(MainWindow)) {
        MessageBoxCatcher catcher;
        DestroyWindow(MainWindow);
    }
    MainWindow = NULL;
    MSG quit;
    while (PeekMessageW(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// ---- resource counting ---------------------------------------------------------------

struct SharedGdiEntry {
    unsigned long long object;
    unsigned short owner;
    unsigned short lock;
    unsigned short unique;
    unsigned char type;
    unsigned char flags;
    unsigned long long user;
};

int GdiObjectCount()
{
    DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return (int)counted;
    // The handle table's address sits in the process environment block (x64 offset 0xF8).
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), NULL) != 0)
        return -1;
    const BYTE* peb = (const BYTE*)basic.PebBaseAddress;
    const SharedGdiEntry* table = *(const SharedGdiEntry* const*)(peb + 0xF8);
    if (table == NULL)
        return -1;
    int count = 0;
    for (int i = 0; i < 0x10000; i++)
        if (table[i].type != 0)
            count++;
    return count;
}

// Wine numbers USER handles 0x20, 0x22, ... and accepts them without their generation.
static bool IsLiveIcon(HANDLE handle)
{
    ICONINFO info;
    if (!GetIconInfo((HICON)handle, &info))
        return false;
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return true;
}

int UserObjectCount()
{
    DWORD counted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (counted != 0)
        return (int)counted;
    int count = 0;
    DWORD self = GetCurrentProcessId();
    // Wine hands out USER handles from the bottom of its table and reuses freed ones, so a
    // long run of free entries marks the end of the part in use.
    int freeRun = 0;
    for (ULONG_PTR value = 0x20; value < 0x10000 && freeRun < 1024; value += 2) {
        HANDLE handle = (HANDLE)value;
        DWORD owner = 0;
        freeRun++;
        if (IsWindow((HWND)handle)) {
            GetWindowThreadProcessId((HWND)handle, &owner);
            count += owner == self;
            freeRun = 0;
        } else if (IsMenu((HMENU)handle) || IsLiveIcon(handle)) {
            count++;
            freeRun = 0;
        }
    }
    return count;
}
