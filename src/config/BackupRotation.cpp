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

    wchar_t marker[ComposedPathCapacity];
    wchar_t plain[ComposedPathCapacity];
    wchar_t nextMarker[ComposedPathCapacity];
    wchar_t nextPlain[ComposedPathCapacity];
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        if (!SourceUsable(source))
            continue;
        int next = (slot + 1) % BackupSlotCount;
        SlotPath(folder, slot, true, marker, _countof(marker));
        SlotPath(folder, slot, false, plain, _countof(plain));
        if (Exists(marker)) {
            if (IsFolder(marker))
                continue;
            // The newest copy is written first, then the old marker renamed, then the
            // oldest copy deleted: a failure never leaves fewer backups than before.
            SlotPath(folder, next, true, nextMarker, _countof(nextMarker));
            SlotPath(folder, next, false, nextPlain, _countof(nextPlain));
            if (!CopyFileW(source, nextMarker, FALSE))
                return -4;
            if (!MoveFileW(marker, plain))
                return -5;
            DeleteFileW(nextPlain);
            return 0;
        }
        if (Exists(plain))
            continue;
        return CopyFileW(source, marker, TRUE) ? 0 : -3;
    }

    if (!SourceUsable(source))
        return -4;
    SlotPath(folder, 0, true, marker, _countof(marker));
    SlotPath(folder, 0, false, plain, _countof(plain));
    if (!CopyFileW(source, marker, FALSE))
        return -4;
    DeleteFileW(plain);
    return 0;
}
