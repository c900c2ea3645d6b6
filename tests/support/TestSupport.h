// Helpers shared by the unit tests.
#pragma once
#include <windows.h>

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
// records caption, text, owner and icon, then presses the given button.
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
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// UTF-16LE with its byte order mark, "\n" written as CR LF: how the program stores text.
std::string Utf16FileBytes(const std::wstring& text);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

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

// Dispatches pending messages of this thread.
void PumpMessages();

// GDI objects that this process holds. GetGuiResources where the system counts them;
// under Wine, whose GetGuiResources counts nothing, the live entries of the GDI handle
// table that Wine shares with the process (icons hold GDI bitmaps there as well).
int GdiObjectCount();
