#include "config/BackupRotation.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "config/ConfigPaths.h"
#include "config/FileCommit.h"
#include "config/FileRecovery.h"
#include "model/TileGrid.h"

int BackupSlotFileName(int slot, bool marker, wchar_t* out, size_t capacity)
{
    if (slot < 0 || slot >= BackupSlotCount)
        return -1;
    int length = _snwprintf_s(out, capacity, _TRUNCATE, L"%ls%c%c%ls%ls", SlotNameStem, slot >= 10 ? L'1' : L'0',
                              (wchar_t)(L'0' + slot % 10), marker ? SlotMarker : L"", SlotExtension);
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

// What a slot's two names hold when the rotation starts.
struct SlotState {
    wchar_t marker[ComposedPathCapacity];
    wchar_t plain[ComposedPathCapacity];
    DWORD markerAttributes;   // INVALID_FILE_ATTRIBUTES when there is nothing of that name
    DWORD plainAttributes;
    FILETIME markerWritten;
    bool markerTaken;         // held by something the rotation may neither write over nor delete
    bool plainTaken;
    bool markerWhole;         // a file under the marker name that holds a whole copy
};

static bool IsFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a name is held by something the rotation could neither write over nor delete: a
// folder, a read-only file, a file that another program holds without sharing.
static bool NameTaken(const wchar_t* path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return true;
    HANDLE probe = CreateFileW(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(probe);
    return false;
}

// Whether the file holds a whole copy of a configuration file as the program writes it: its
// byte order mark and header first, a line end (or the CTRL+Zs that a write in place leaves over
// a longer file's tail) last. An empty or cut copy (a full disk in an earlier version's copy) is
// not one, and is never carried over another copy.
static bool CopyIsWhole(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static const unsigned char start[] = { 0xFF, 0xFE, '/', 0, '/', 0 };
    unsigned char head[sizeof(start)] = {}, tail[2] = {};
    DWORD headRead = 0, tailRead = 0;
    LARGE_INTEGER back = {};
    back.QuadPart = -2;
    bool read = ReadFile(file, head, sizeof(head), &headRead, NULL) && headRead == sizeof(head) &&
                SetFilePointerEx(file, back, NULL, FILE_END) && ReadFile(file, tail, sizeof(tail), &tailRead, NULL) &&
                tailRead == sizeof(tail);
    CloseHandle(file);
    return read && memcmp(head, start, sizeof(start)) == 0 && (tail[0] == '\n' || tail[0] == 0x1A) && tail[1] == 0;
}

static SlotState slots[BackupSlotCount];

static void ReadSlots(const wchar_t* folder)
{
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        SlotState* state = &slots[slot];
        SlotPath(folder, slot, true, state->marker, _countof(state->marker));
        SlotPath(folder, slot, false, state->plain, _countof(state->plain));
        WIN32_FILE_ATTRIBUTE_DATA data;
        bool found = GetFileAttributesExW(state->marker, GetFileExInfoStandard, &data) != FALSE;
        state->markerAttributes = found ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
        state->markerWritten = found ? data.ftLastWriteTime : FILETIME{};
        state->plainAttributes = GetFileAttributesW(state->plain);
        state->markerTaken = NameTaken(state->marker, state->markerAttributes);
        state->plainTaken = NameTaken(state->plain, state->plainAttributes);
        state->markerWhole = IsFile(state->markerAttributes) && CopyIsWhole(state->marker);
    }
}

// A marker that does not hold a whole copy, which the rotation may write over or remove.
static bool MarkerBroken(const SlotState* state)
{
    return IsFile(state->markerAttributes) && !state->markerWhole && !state->markerTaken;
}

// The slot of the newest copy: the whole marker written last (a copy keeps the time the file was
// saved, and every run saves before it rotates), or -1 when there is none. Among the two
// markers that a rotation stopped between its copy and its rename leaves, that is the new one.
// A marker that nothing may change (read-only, held elsewhere) is stuck there, not the copy
// the last exit made, whatever its time: it counts only when no other marker is left.
static int NewestSlot(void)
{
    int newest = -1;
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        const SlotState* state = &slots[slot];
        if (!state->markerWhole)
            continue;
        bool newer = newest < 0 || (slots[newest].markerTaken && !state->markerTaken) ||
                     (slots[newest].markerTaken == state->markerTaken &&
                      CompareFileTime(&state->markerWritten, &slots[newest].markerWritten) > 0);
        if (newer)
            newest = slot;
    }
    return newest;
}

// The first slot that holds no copy, before the first marker: a gap that a hand left among the
// copies is filled first. -1 when there is none.
static int FirstEmptySlot(void)
{
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        if (slots[slot].markerWhole)
            return -1;
        bool markerFree = slots[slot].markerAttributes == INVALID_FILE_ATTRIBUTES || MarkerBroken(&slots[slot]);
        if (markerFree && slots[slot].plainAttributes == INVALID_FILE_ATTRIBUTES)
            return slot;
    }
    return -1;
}

// The file the rotation copies: the pending copy when the last save's write in place stopped
// part-way (the file is then torn, and the pending copy holds the whole new state), else the file.
static int RotationSource(const wchar_t* base, wchar_t* source, size_t capacity)
{
    wchar_t pending[ComposedPathCapacity];
    if (ComposePath(source, capacity, base, ConfigFileSuffix) != 0 ||
        ComposePath(pending, _countof(pending), source, PendingSuffix) != 0)
        return -1;
    DWORD attributes = GetFileAttributesW(pending);
    if (IsFile(attributes))
        wcscpy_s(source, capacity, pending);
    return 0;
}

// Writes bytes to a fresh temporary file in the backup folder, flushes it and reads it back: the
// copy is whole, or it is removed. Its path goes into copy; false when no whole copy was made.
static bool WriteCheckedCopy(const wchar_t* folder, const unsigned char* bytes, size_t size, wchar_t* copy,
                             size_t capacity)
{
    wchar_t stem[ComposedPathCapacity];
    if (ComposePath(stem, _countof(stem), folder, BackupCopyStem) != 0)
        return false;
    // What a rotation that was stopped in its copy left.
    RemoveLeftoverTemporaries(stem);
    HANDLE file = CreateFreshTemporary(stem, copy, capacity);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes, (DWORD)size, &written, NULL) && written == size && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    unsigned char* back = NULL;
    size_t backSize = 0;
    ok = ok && ReadWholeFile(copy, &back, &backSize) && backSize == size && (size == 0 || memcmp(back, bytes, size) == 0);
    FreeFileBytes(back);
    if (!ok)
        DeleteFileW(copy);
    return ok;
}

// Puts the checked copy under a slot's marker name; a broken marker there is written over.
static bool PlaceCopy(const wchar_t* copy, const SlotState* state)
{
    DWORD flags = MOVEFILE_WRITE_THROUGH | (IsFile(state->markerAttributes) ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExW(copy, state->marker, flags) != FALSE;
}

int RotateBackups(void)
{
    wchar_t base[ComposedPathCapacity];
    wchar_t source[ComposedPathCapacity];
    wchar_t folder[ComposedPathCapacity];
    // Without a base folder there is no valid path: nothing is touched.
    if (GetConfigBaseFolder(base, _countof(base)) != 0 || RotationSource(base, source, _countof(source)) != 0 ||
        ComposePath(folder, _countof(folder), base, BackupFolderSuffix) != 0)
        return -1;
    wchar_t probe[ComposedPathCapacity];
    if (SlotPath(folder, 0, true, probe, _countof(probe)) != 0)
        return -1;

    if (!CreateDirectoryW(folder, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        return -1;

    ReadSlots(folder);
    int empty = FirstEmptySlot();
    if (!IsFile(GetFileAttributesW(source)))
        return -4;
    int failed = empty >= 0 ? -3 : -4;

    // The copy is made under a fresh name and checked whole before it takes any slot's name: a
    // copy that fails (a full disk) changes no slot and no marker.
    unsigned char* bytes = NULL;
    size_t size = 0;
    wchar_t copy[ComposedPathCapacity];
    bool copied = ReadWholeFile(source, &bytes, &size) && WriteCheckedCopy(folder, bytes, size, copy, _countof(copy));
    FreeFileBytes(bytes);
    if (!copied)
        return failed;

    // The newest copy goes into an empty slot, else into the slots after the newest copy in turn
    // (from slot 0 when there is none), passing over any whose names are taken and never onto
    // the newest copy itself.
    int newest = NewestSlot();
    int target = empty >= 0 && PlaceCopy(copy, &slots[empty]) ? empty : -1;
    for (int step = 1; target < 0 && step <= BackupSlotCount; step++) {
        int slot = newest >= 0 ? (newest + step) % BackupSlotCount : step - 1;
        const SlotState* state = &slots[slot];
        if (slot == newest || slot == empty || state->markerTaken || state->plainTaken)
            continue;
        if (PlaceCopy(copy, state))
            target = slot;
    }
    if (target < 0) {
        DeleteFileW(copy);
        return failed;
    }

    // Then the older markers become plain copies, then the oldest copy goes: a failure never
    // leaves fewer backups than before. What takes a marker's name for good is left alone; a
    // marker that cannot be renamed stays, and being older is never taken for the newest. A
    // marker that holds no whole copy is never carried over a plain one: beside one it goes.
    int result = 0;
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        const SlotState* state = &slots[slot];
        if (slot == target || !IsFile(state->markerAttributes) || state->markerTaken)
            continue;
        bool moved = state->markerWhole || state->plainAttributes == INVALID_FILE_ATTRIBUTES
                         ? MoveFileExW(state->marker, state->plain, (state->markerWhole ? MOVEFILE_REPLACE_EXISTING : 0) |
                                                                        MOVEFILE_WRITE_THROUGH)
                         : DeleteFileW(state->marker);
        if (!moved)
            result = -5;
    }
    DeleteFileW(slots[target].plain);
    return result;
}
