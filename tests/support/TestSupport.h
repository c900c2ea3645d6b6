// Helpers shared by the unit tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// A message box seen by MessageBoxCatcher.
struct CaughtBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = NULL;
    HICON icon = NULL;            // the icon shown in the box, if any
    bool quitPending = false;     // a WM_QUIT was already queued when the box appeared
};

// Catches every message box that this thread opens while it lives, through a CBT hook:
// records caption, text, owner and icon, then presses the given button. Other dialogs
// are left to a ModalDriver.
class MessageBoxCatcher {
public:
    explicit MessageBoxCatcher(int button = IDOK);
    ~MessageBoxCatcher();
    std::vector<CaughtBox> boxes;
    int button;
private:
    MessageBoxCatcher* previous = nullptr;
    HHOOK hook = NULL;
};

// True for a message box: a dialog holding nothing but its text, its icon and buttons.
bool IsMessageBox(HWND dialog);

// Drives the dialogs and popup menus that this thread opens while it lives: each dialog
// (not a message box) and each menu is handed, once shown, to the given action, which
// fills fields and presses a button, or picks a menu item; message boxes too, when onBox is
// given (else a MessageBoxCatcher answers them). A watchdog ends every dialog
// and menu still open after a deadline, so that a faulty test fails instead of hanging.
class ModalDriver {
public:
    struct Menu {
        std::vector<std::pair<UINT, std::wstring>> items;   // id (0 for a separator), text
        HWND window = NULL;
        RECT rect = {};   // on the screen, once shown
    };
    ModalDriver();
    ~ModalDriver();
    std::function<void(HWND dialog)> onDialog;
    // Returns the id of the item to pick (0 dismisses the menu).
    std::function<UINT(const Menu& menu)> onMenu;
    // Runs inside the box's own modal loop and must press one of its buttons.
    std::function<void(HWND box)> onBox;
    std::vector<std::wstring> dialogs;   // captions of the dialogs seen, in order
    std::vector<Menu> menus;
    bool timedOut = false;
};

// Ends, and fails, any dialog or menu left open for 20 seconds without a ModalDriver;
// every test program installs it at start.
void InstallAbandonedModalWatchdog();

// The focus and selection events raised for the tiles of MainWindow's client while a recorder
// lives: (event, child) in order; the system's own events for the client itself are left out.
using TileEvents = std::vector<std::pair<DWORD, LONG>>;
class TileEventRecorder {
public:
    TileEventRecorder();
    ~TileEventRecorder();
    TileEvents events;
private:
    HWINEVENTHOOK hook = NULL;
};

// Presses a dialog's button as a click would.
void PressButton(HWND dialog, int id);
// The text of a dialog's control.
std::wstring ControlText(HWND dialog, int id);

// Replaces, while it lives, a function that this program imports from a DLL (through
// its import address table), so that a test can make a system call fail part-way.
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    void* original = nullptr;
private:
    void** slot = nullptr;
};

// A 32-bit top-down DIB section selected into a memory device context.
class DibCanvas {
public:
    DibCanvas(int width, int height);
    ~DibCanvas();
    COLORREF Pixel(int x, int y) const;   // 0x00BBGGRR, like GetPixel
    int CountColor(const RECT& area, COLORREF color) const;
    bool Save(const wchar_t* path) const;  // as a .bmp, for looking at a failure
    HDC dc = NULL;
    int width;
    int height;
private:
    HBITMAP bitmap = NULL;
    HGDIOBJ original = NULL;
    const DWORD* bits = NULL;
};

// A fresh folder under %TEMP% that the configuration code uses as its base folder while
// it lives; removed with its contents afterwards.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    std::wstring path;
    std::wstring Join(const std::wstring& relative) const;
};

// Everything about files that tests need.
void RemoveTree(const std::wstring& folder);
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// UTF-16LE with its byte order mark, "\n" written as CR LF: how the program stores text.
std::string Utf16FileBytes(const std::wstring& text);
bool FileExists(const std::wstring& path);
// Copies mark.exe (a program that adds a line to "<its path>.ran" each time it runs) into
// the folder; returns the copy's path.
std::wstring CopyMarkProgram(const TestFolder& folder);
// The runs that the mark program at this path recorded, once there are at least atLeast (or
// ten seconds have passed), and then after a further settle time for late runs to show.
int MarkCount(const std::wstring& markProgram, int atLeast = 1, DWORD settleMs = 0);
bool FolderExists(const std::wstring& path);

// A test program started again by one of its own tests, to do one thing in a process of its
// own and end (killed part-way, say). A static ChildProgram names the thing; RunChildProgram
// starts the test program as that child, handing it a folder, and waits for its exit code.
struct ChildProgram {
    ChildProgram(const char* name, int (*run)());
};
DWORD RunChildProgram(const char* name, const std::wstring& folder);
// In a child: the folder its parent handed it.
std::wstring ChildProgramFolder();
// Called by main: runs the child that the environment names and returns its exit code, or -1
// when this process is no child.
int RunChildProgramIfAsked();

// Raw UTF-16LE bytes of a text, with nothing added and no line end translated.
std::string Utf16Bytes(const std::wstring& text);
// Sets a file's last write time to a number of seconds after a fixed day, for tests that
// need one file to be older than another whatever the clock's granularity.
bool SetFileWrittenAt(const std::wstring& path, int seconds);

// How much shorter the waits for a held configuration file are in the unit tests.
enum { TestBusyWaitDivisor = 20 };

// The program-wide state back to its start values and the defaults of start-up.
void ResetProgramState();

// Registers the main window class once per process and creates a main window (hidden).
HWND CreateTestMainWindow(int width = 600, int height = 500);
// Creates a hidden main window, content size computed, whose client area is exactly
// clientWidth x clientHeight with the scroll bars the grid then needs.
HWND CreateTestMainWindowWithClient(int clientWidth, int clientHeight);
// The state of one scroll bar of MainWindow.
SCROLLINFO ScrollBarInfo(int bar);
// Destroys the window, answering any message box its shutdown shows, and removes the
// WM_QUIT that its destruction posts.
void DestroyTestMainWindow();

inline bool StartsWith(const std::wstring& text, const std::wstring& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// How many times an endurance test repeats: the short count of the default run, or the long
// one when VANTREL_ENDURANCE is "long" (scripts/endurance.sh).
int EnduranceCount(int shortCount, int longCount);

// Dispatches pending messages of this thread.
void PumpMessages();

// Dispatches this thread's messages as they come until done() holds or timeoutMs have
// passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// GDI objects that this process holds. GetGuiResources where the system counts them;
// under Wine, whose GetGuiResources counts nothing, the live entries of the GDI handle
// table that Wine shares with the process (icons hold GDI bitmaps there as well).
int GdiObjectCount();

// USER objects (windows, menus, icons and cursors) that this process holds. GetGuiResources
// where the system counts them; under Wine, whose GetGuiResources counts nothing, the
// live entries of the USER handle table that belong to this process.
int UserObjectCount();
