#include "dialogs/Dialogs.h"

#include <stdlib.h>
#include <wchar.h>

#include "model/TileGrid.h"

const wchar_t InvalidInputCaption[] = L"ERROR - Invalid Input";

void ShowInvalidInput(HWND dialog, const wchar_t* text)
{
    MessageBoxW(dialog, text, InvalidInputCaption, MB_ICONWARNING);
}

void FocusField(HWND dialog, int fieldId)
{
    SendMessageW(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, fieldId), TRUE);
}

int ReadIntegerField(HWND dialog, int id, int maxCharacters)
{
    wchar_t text[16] = L"";
    int capacity = maxCharacters + 1 < (int)_countof(text) ? maxCharacters + 1 : (int)_countof(text);
    GetDlgItemTextW(dialog, id, text, capacity);
    return (int)wcstol(text, NULL, 10);
}

void SplitTileName(const wchar_t* name, wchar_t* line1, wchar_t* line2)
{
    const size_t lineLength = NameLineLength;
    size_t length = wcslen(name);
    size_t first = length < lineLength ? length : lineLength;
    wmemcpy(line1, name, first);
    while (first > 0 && line1[first - 1] == L' ')
        first--;
    line1[first] = L'\0';

    size_t second = length > lineLength ? length - lineLength : 0;
    if (second > lineLength)
        second = lineLength;
    wmemcpy(line2, name + (length > lineLength ? lineLength : length), second);
    line2[second] = L'\0';
}

void JoinTileName(const wchar_t* line1, const wchar_t* line2, bool padAlways, wchar_t* name, size_t capacity)
{
    wcsncpy_s(name, capacity, line1, _TRUNCATE);
    if (padAlways || line2[0] != L'\0') {
        while (wcslen(name) < NameLineLength && wcslen(name) + 1 < capacity)
            wcscat_s(name, capacity, L" ");
    }
    wcsncat_s(name, capacity, line2, _TRUNCATE);
}

Tile* ContextTile(void)
{
    return TileAt(AppSettings.contextRow, AppSettings.contextColumn);
}

void StoreNameLines(HWND dialog, int line1Id, int line2Id, bool padAlways, Tile* tile)
{
    wchar_t line1[NameLineLength + 1];
    wchar_t line2[NameLineLength + 1];
    GetDlgItemTextW(dialog, line1Id, line1, _countof(line1));
    GetDlgItemTextW(dialog, line2Id, line2, _countof(line2));
    // A pasted line break or CTRL+Z would break the line the file stores the name on.
    DropControlCharacters(line1);
    DropControlCharacters(line2);
    JoinTileName(line1, line2, padAlways, tile->name, _countof(tile->name));
}

void RunDialog(int templateId, DLGPROC procedure)
{
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(templateId), MainWindow, procedure, 0);
}
