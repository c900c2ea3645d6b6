#include "app/Startup.h"

#include <stdio.h>
#include <stdlib.h>

#include "BuildDate.h"

#include "app/MainWindow.h"
#include "app/Placement.h"
#include "app/SingleInstance.h"
#include "config/ConfigFile.h"
#include "model/TileGrid.h"
#include "shell/FailureBox.h"
#include "view/Scroll.h"

const wchar_t ConfigFolderFailedText[] = L"Unable to Create or Access the config file folder - Exiting Program.";
const wchar_t ConfigAccessFailedText[] = L"Unable to Create or Access the config file Vantrel.cfg - Exiting Program.";
const wchar_t RegisterClassFailedText[] = L"RegisterClass failed";
const wchar_t CreateWindowFailedText[] = L"CreateWindow failed! - Exiting Program.";
const wchar_t RegisterHotKeyFailedText[] = L"RegisterHotKey Failed    ---   ";
const wchar_t UnreadCopyText[] = L"Some of the configuration file could not be read and was left out. The file as it was "
                                 L"is kept in:\n\n%ls";

// A start-up failure the program cannot run past: the box has no owner and the
// system's default caption, and the process ends with the thread's last error.
static int FatalStartupMessage(const wchar_t* text)
{
    MessageBoxW(NULL, text, NULL, MB_OK);
    return (int)GetLastError();
}

void FormBuildDateText(void)
{
#ifdef VANTREL_BUILD_DATE
    // Built with SOURCE_DATE_EPOCH: every build of one commit carries the same date.
    const char narrow[] = "Build Date:  " VANTREL_BUILD_DATE " at " VANTREL_BUILD_TIME;
#else
    const char narrow[] = "Build Date:  " __DATE__ " at " __TIME__;
#endif
    size_t converted = 0;
    mbstowcs_s(&converted, AppSettings.buildDateText, BuildDateCapacity, narrow, _TRUNCATE);
}

void TellAboutUnreadCopy(void)
{
    const wchar_t* copy = UnreadConfigCopy();
    if (copy == NULL)
        return;
    wchar_t text[ComposedPathCapacity + 160];
    swprintf_s(text, _countof(text), UnreadCopyText, copy);
    MessageBoxW(MainWindow, text, MainWindowTitle, MB_OK | MB_ICONINFORMATION);
}

void RegisterStartupHotkey(void)
{
    if (RegisterHotKey(MainWindow, AppSettings.hotkeyId, (UINT)AppSettings.hotkeyModifiers, (UINT)AppSettings.hotkeyKey)) {
        AppSettings.hotkeyRegistered = 1;
        AppSettings.hotkeyInForce = 1;
    } else
        ReportLastError(RegisterHotKeyFailedText);
}

int RunVantrel(HINSTANCE instance, int showCommand)
{
    if (HandOverToRunningInstance())
        return 1;

    SetStartSettings();
    ApplyFirstPlacement();

    switch (LoadConfig()) {
    case 0:
        break;
    case -1:
    case -2:
        if (SaveConfig() != 0)
            return FatalStartupMessage(ConfigWriteFailedText);
        break;
    case -4:
        return FatalStartupMessage(ConfigFolderFailedText);
    default:
        return FatalStartupMessage(ConfigAccessFailedText);
    }
    KeepWindowReachable();

    FormBuildDateText();
    if (!RegisterMainWindowClass(instance))
        return FatalStartupMessage(RegisterClassFailedText);
    if (CreateMainWindow(instance) == NULL)
        return FatalStartupMessage(CreateWindowFailedText);

    RecomputeContentSize();
    // The WM_SIZE of the window's creation came before the content size was known.
    UpdateScrollRanges();
    RegisterStartupHotkey();
    ShowWindow(MainWindow, showCommand);
    RestoreScrollPositions();
    InvalidateRect(MainWindow, NULL, TRUE);
    UpdateWindow(MainWindow);
    TellAboutUnreadCopy();
    SaveConfigOrClose(MainWindow);

    MSG message = {};
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return (int)message.wParam;
}
