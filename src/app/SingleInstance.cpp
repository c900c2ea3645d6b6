#include "app/SingleInstance.h"

#include <windows.h>

#include "app/MainWindow.h"

// FindWindowW alone lets two simultaneous starts both find nothing before either window
// exists. The mutex, held for the life of the process, makes one of them the instance;
// the other waits for that instance's window and hands over to it.
static const wchar_t InstanceMutexName[] = L"Local\\Morrowtide.Vantrel.Instance";

// How long a second start waits for the running instance to show its window or to end.
static const DWORD HandOverWaitMs = 30000;
static const DWORD PollIntervalMs = 25;

static HANDLE instanceMutex;

void ActivateRunningInstance(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    else if (window != GetForegroundWindow())
        SetForegroundWindow(window);
}

// A window that is not shown belongs to an instance that is still starting (before its
// ShowWindow) or already ending (DestroyWindow hides it first, then the instance saves and
// may show a message): handing over to it could leave no instance running.
static bool IsShownInstance(HWND window)
{
    return window != NULL && IsWindowVisible(window);
}

bool HandOverToRunningInstance(void)
{
    HWND running = FindWindowW(MainWindowClassName, NULL);
    if (IsShownInstance(running)) {
        ActivateRunningInstance(running);
        return true;
    }

    if (instanceMutex == NULL)
        instanceMutex = CreateMutexW(NULL, FALSE, InstanceMutexName);
    if (instanceMutex == NULL)
        return running != NULL;   // no lock to be had: the window check alone decides

    DWORD waited = 0;
    for (;;) {
        DWORD result = WaitForSingleObject(instanceMutex, 0);
        // An abandoned lock means the previous holder died: this process takes over.
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
            return false;
        running = FindWindowW(MainWindowClassName, NULL);
        if (IsShownInstance(running)) {
            ActivateRunningInstance(running);
            return true;
        }
        if (waited >= HandOverWaitMs)
            return true;   // the instance neither shows its window nor ends
        Sleep(PollIntervalMs);
        waited += PollIntervalMs;
    }
}
