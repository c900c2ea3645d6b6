#include "shell/TargetNames.h"

#include <windows.h>
#include <shellapi.h>
#include <wchar.h>

#include "model/TileGrid.h"
#include "model/TileLabel.h"
#include "shell/Com.h"

static wchar_t displayNameBuffer[ShellDisplayNameCapacity];

int ClassifyTarget(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return TileKind::NotOnDisk;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return TileKind::Folder;
    size_t length = wcslen(path);
    if (length >= 4 && wcscmp(path + length - 4, L".exe") == 0)
        return TileKind::Program;
    return TileKind::PlainFile;
}

const wchar_t* LastPathComponent(const wchar_t* s)
{
    if (s == NULL || s[0] == L'\0')
        return NULL;
    const wchar_t* last = wcsrchr(s, L'\\');
    const wchar_t* component = last ? last + 1 : s;
    return component[0] != L'\0' ? component : NULL;
}

const wchar_t* ShellDisplayName(const wchar_t* path)
{
    SHFILEINFOW info = {};
    EnsureComInitialized();
    if (SHGetFileInfoW(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), SHGFI_DISPLAYNAME) == 0)
        return NULL;
    MakeTileLabel(info.szDisplayName, displayNameBuffer, ShellDisplayNameCapacity);
    return displayNameBuffer;
}
