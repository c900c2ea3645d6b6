#include "dialogs/Dialogs.h"

#include "model/TileGrid.h"
#include "resources/resource.h"
#include "shell/FailureBox.h"

static const int KeyField = IDC_FIELD_1;

static void ShowKeyInUse(HWND dialog)
{
    char text[2] = { (char)AppSettings.hotkeyKey, '\0' };
    SetDlgItemTextA(dialog, KeyField, text);
}

static void OnInitHotkey(HWND dialog)
{
    if (AppSettings.hotkeyRegistered)
        ShowKeyInUse(dialog);
    SendDlgItemMessageW(dialog, KeyField, EM_LIMITTEXT, 1, 0);
    HWND field = GetDlgItem(dialog, KeyField);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 1, 1);
}

// Registers Ctrl+Alt+key under the other id while the old hotkey still works, and only
// then releases the old one, so that a key taken by another program costs nothing.
static void ChangeHotkey(HWND dialog, int key)
{
    AppSettings.hotkeyModifiers = MOD_ALT | MOD_CONTROL;
    int newId = 3 - AppSettings.hotkeyId;
    if (!RegisterHotKey(MainWindow, newId, MOD_ALT | MOD_CONTROL, (UINT)key)) {
        ReportLastErrorTo(dialog, L"RegisterHotKey Failed    ---   ");
        return;
    }
    if (AppSettings.hotkeyInForce)
        UnregisterHotKey(MainWindow, AppSettings.hotkeyId);
    AppSettings.hotkeyId = newId;
    AppSettings.hotkeyKey = key;
    AppSettings.hotkeyRegistered = 1;
    AppSettings.hotkeyInForce = 1;
}

// Returns TRUE when the dialog closed.
static INT_PTR OnHotkeyOk(HWND dialog)
{
    char text[2] = "";
    GetDlgItemTextA(dialog, KeyField, text, sizeof(text));
    int key = HotkeyKeyFromCharacter(text[0]);
    if (key == 0) {
        ShowInvalidInput(dialog, L"You must enter a single letter A-Z or single digit 0-9");
        if (AppSettings.hotkeyRegistered)
            ShowKeyInUse(dialog);
        FocusField(dialog, KeyField);
        return FALSE;
    }
    // Whether the key is really held in this run, not what the file says: after a failed
    // start-up registration, confirming the stored key must register it.
    if (key != AppSettings.hotkeyKey || !AppSettings.hotkeyInForce)
        ChangeHotkey(dialog, key);
    InvalidateRect(MainWindow, NULL, TRUE);
    EndDialog(dialog, 0);
    return TRUE;
}

int HotkeyKeyFromCharacter(char c)
{
    if (c >= 'a' && c <= 'z')
        c = (char)(c - 'a' + 'A');
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : 0;
}

INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInitHotkey(dialog);
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (wParam) {
    case IDOK:
        return OnHotkeyOk(dialog);
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowHotkeyDialog(void)
{
    RunDialog(IDD_HOTKEY, HotkeyDialogProc);
}
