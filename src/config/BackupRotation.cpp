#include "config/BackupRotation.h"

#include <windows.h>
#include <stdlib.h>
#include <wchar.h>

#include "config/ConfigFile.h"
#include "model/TileGrid.h"

int BackupSlotFileName(int slot, bool marker, wchar_t* out, size_t capacity)
{
    if (slot < 0 || slot >= BackupSlotCount)
        return -1;
    int length = _snwprintf_s(out, capacity, _TRUNCATE, L"Vantrel_Bkup0%c%c%ls.cfg", slot >= 10 ? L'1' : L'0',
                              (wchar_t)(L'0' + slot % 10), marker ? L"-" : L"");
    return length < 0 ? -1 : 0;
}

static int SlotPath(const wchar_t* backupFolder, int slot, bool marker, wchar_t* out, size_t capacity)
{
    wchar_t name[32];
    wchar_t suffix[40];
    if (BackupSlotFileName(slot, marker, name, _countof(name)) != 0)
        return -1;
    suffix[0] = L'\\';
    wcscpy_s(suffix + 1, _countof(suffix) - 1, name);
    return ComposePath(out, capacity, backupFolder, suffix);
}

static bool Exists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

static bool IsFolder(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool SourceUsable(const wchar_t* source)
{
    return Exists(source) && !IsFolder(source);
}

int RotateBackups(void)
{
    wchar_t base[ComposedPathCapacity];
    wchar_t source[ComposedPathCapacity];
    wchar_t folder[ComposedPathCapacity];
    // Without a base folder there is no valid path: nothing is touched.
    if (GetConfigBaseFolder(base, _countof(base)) != 0 ||
        ComposePath(source, _countof(source), base, ConfigFileSuffix) != 0 ||
        ComposePath(folder, _countof(folder), base, L"\\Morrowtide\\Backup") != 0)
        return -1;
    wchar_t probe[ComposedPathCapacity];
    if (SlotPath(folder, 0, true, probe, _countof(probe)) != 0)
        return -1;

    if (!CreateDirectoryW(folder, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        return -1;

    if (!SourceUsable(source))
        return -4;

    // The new copy goes to the slot after the lowest marker, or into the first empty slot
    // before it; with all twenty slots plain and no marker, to slot 0.
    wchar_t marker[ComposedPathCapacity];
    wchar_t plain[ComposedPathCapacity];
    int target = 0;
    bool intoEmptySlot = false;
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        SlotPath(folder, slot, true, marker, _countof(marker));
        SlotPath(folder, slot, false, plain, _countof(plain));
        if (Exists(marker)) {
            if (IsFolder(marker))
                continue;
            target = (slot + 1) % BackupSlotCount;
            break;
        }
        if (Exists(plain))
            continue;
        target = slot;
        intoEmptySlot = true;
        break;
    }

    // The newest copy is written first, then the older markers become plain copies, then
    // the oldest copy goes: a failure never leaves fewer backups than before.
    SlotPath(folder, target, true, marker, _countof(marker));
    if (!CopyFileW(source, marker, intoEmptySlot))
        return intoEmptySlot ? -3 : -4;
    // Every other marker is renamed over its slot's plain copy: whatever an interrupted
    // rotation left (two markers, a plain copy where a marker goes), one marker remains.
    int result = 0;
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        SlotPath(folder, slot, true, marker, _countof(marker));
        SlotPath(folder, slot, false, plain, _countof(plain));
        if (slot != target && Exists(marker) && !IsFolder(marker) &&
            !MoveFileExW(marker, plain, MOVEFILE_REPLACE_EXISTING))
            result = -5;
    }
    SlotPath(folder, target, false, plain, _countof(plain));
    DeleteFileW(plain);
    return result;
}
