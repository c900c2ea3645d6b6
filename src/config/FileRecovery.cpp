#include "config/FileRecovery.h"

#include <string.h>
#include <wchar.h>

#include "config/FileCommit.h"
#include "model/TileGrid.h"

enum {
    MaxKeptCopies = 999,
    // Copies are made at the first free name: a run of this many free names ends the search.
    FreeNamesThatEndTheSearch = 16
};

// Whether the part of a name after the file's own name is one of the save's temporary files:
// the stem alone (an earlier version's fixed name), or the stem, "-" and digits and dashes.
static bool IsTemporarySuffix(const wchar_t* suffix)
{
    size_t stemLength = wcslen(TemporaryStem);
    if (_wcsnicmp(suffix, TemporaryStem, stemLength) != 0)
        return false;
    const wchar_t* rest = suffix + stemLength;
    if (*rest == L'\0')
        return true;
    if (*rest != L'-')
        return false;
    return rest[1] != L'\0' && rest[wcsspn(rest, L"-0123456789")] == L'\0';
}

// Calls visit with the path and the find data of every temporary file beside the file at path,
// until it returns false. false when it did.
typedef bool (*TemporaryVisit)(const wchar_t* temporary, const WIN32_FIND_DATAW* found, void* context);
struct TemporarySearch {
    TemporaryVisit visit;
    void* context;
};

static bool VisitIfTemporary(const wchar_t* beside, const WIN32_FIND_DATAW* found, const wchar_t* suffix, void* context)
{
    const TemporarySearch* search = (const TemporarySearch*)context;
    if ((found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTemporarySuffix(suffix))
        return true;
    return search->visit(beside, found, search->context);
}

static bool ForEachTemporary(const wchar_t* path, TemporaryVisit visit, void* context)
{
    TemporarySearch search = { visit, context };
    return ForEachBeside(path, L".new*", VisitIfTemporary, &search);
}

static bool RemoveTemporary(const wchar_t* temporary, const WIN32_FIND_DATAW*, void*)
{
    DeleteFileW(temporary);
    return true;
}

void RemoveLeftoverTemporaries(const wchar_t* path)
{
    ForEachTemporary(path, RemoveTemporary, NULL);
}

static bool SameBytes(const unsigned char* a, size_t aSize, const unsigned char* b, size_t bSize)
{
    return aSize == bSize && (aSize == 0 || memcmp(a, b, aSize) == 0);
}

// Whether a file holds a text: the same bytes, or those and then the CTRL+Zs that a write in
// place leaves over the old tail of a file it could not cut, from the start of a line.
static bool HoldsSameText(const unsigned char* file, size_t fileSize, const unsigned char* text, size_t textSize)
{
    if (SameBytes(file, fileSize, text, textSize))
        return true;
    bool endsLine = textSize >= 2 && text[textSize - 2] == '\n' && text[textSize - 1] == 0;
    if (!endsLine || fileSize < textSize + 2 || (fileSize - textSize) % 2 != 0 || memcmp(file, text, textSize) != 0)
        return false;
    for (size_t i = textSize; i < fileSize; i += 2)
        if (file[i] != 0x1A || file[i + 1] != 0)
            return false;
    return true;
}

// Whether the file at path holds exactly these bytes.
static bool FileHolds(const wchar_t* path, const unsigned char* bytes, size_t size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        data.nFileSizeHigh != 0 || data.nFileSizeLow != size)
        return false;
    unsigned char* held = NULL;
    size_t heldSize = 0;
    bool same = ReadWholeFile(path, &held, &heldSize) && SameBytes(held, heldSize, bytes, size);
    FreeFileBytes(held);
    return same;
}

bool KeepCopyBeside(const wchar_t* path, const wchar_t* source, const unsigned char* bytes, size_t size,
                    const wchar_t* stem, wchar_t* kept, size_t capacity)
{
    wchar_t name[ComposedPathCapacity];
    int firstFree = 0;
    for (int copy = 1, freeRun = 0; copy <= MaxKeptCopies && freeRun < FreeNamesThatEndTheSearch; copy++) {
        wchar_t suffix[32];
        if (copy == 1)
            wcsncpy_s(suffix, _countof(suffix), stem, _TRUNCATE);
        else
            swprintf_s(suffix, _countof(suffix), L"%ls-%d", stem, copy);
        if (ComposePath(name, _countof(name), path, suffix) != 0)
            return false;
        if (GetFileAttributesW(name) == INVALID_FILE_ATTRIBUTES) {
            firstFree = firstFree != 0 ? firstFree : copy;
            freeRun++;
            continue;
        }
        freeRun = 0;
        // Each start that cannot use the same file would otherwise add one more copy of it.
        if (FileHolds(name, bytes, size))
            return ComposePath(kept, capacity, name, L"") == 0;
    }
    for (int copy = firstFree != 0 ? firstFree : MaxKeptCopies + 1; copy <= MaxKeptCopies; copy++) {
        wchar_t suffix[32];
        if (copy == 1)
            wcsncpy_s(suffix, _countof(suffix), stem, _TRUNCATE);
        else
            swprintf_s(suffix, _countof(suffix), L"%ls-%d", stem, copy);
        if (ComposePath(kept, capacity, path, suffix) != 0)
            return false;
        if (CopyFileW(source, kept, TRUE)) {
            // Flushed before anything may replace the file it was taken from.
            HANDLE file = CreateFileW(kept, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
            bool flushed = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
            return flushed;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

int TakePendingCopy(const wchar_t* path, unsigned char** bytes, size_t* size, const wchar_t** source, wchar_t* kept,
                    size_t keptCapacity)
{
    static wchar_t pending[ComposedPathCapacity];
    kept[0] = L'\0';
    *bytes = NULL;
    *size = 0;
    if (ComposePath(pending, _countof(pending), path, PendingSuffix) != 0)
        return 0;
    DWORD attributes = GetFileAttributesW(pending);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (!ReadWholeFile(pending, bytes, size))
        return -1;
    // The file it replaces: a text written in place that stopped part-way, or one a hand edited
    // meanwhile. Kept when it differs; gone only once it is kept.
    unsigned char* current = NULL;
    size_t currentSize = 0;
    DWORD fileAttributes = GetFileAttributesW(path);
    bool present = fileAttributes != INVALID_FILE_ATTRIBUTES && !(fileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    bool readable = present && ReadWholeFile(path, &current, &currentSize);
    bool keep = readable && !HoldsSameText(current, currentSize, *bytes, *size);
    bool safe = (!present || readable) && (!keep || KeepCopyBeside(path, path, current, currentSize, UnreadSuffix, kept,
                                                                   keptCapacity));
    FreeFileBytes(current);
    if (!safe) {
        kept[0] = L'\0';
        FreeFileBytes(*bytes);
        *bytes = NULL;
        return -1;
    }
    *source = ReplaceWholeWhileBusy(path, pending) ? path : pending;
    return 1;
}

// The newest temporary file whose text reads whole, as TakeNewestTemporary looks for it.
struct NewestTemporary {
    TemporaryCheck readsWhole;
    wchar_t path[ComposedPathCapacity];
    FILETIME written;
};

static bool NoteIfNewestWhole(const wchar_t* temporary, const WIN32_FIND_DATAW* found, void* context)
{
    NewestTemporary* newest = (NewestTemporary*)context;
    if (newest->path[0] != L'\0' && CompareFileTime(&found->ftLastWriteTime, &newest->written) <= 0)
        return true;
    unsigned char* bytes = NULL;
    size_t size = 0;
    if (ReadWholeFile(temporary, &bytes, &size) && newest->readsWhole(bytes, size)) {
        wcscpy_s(newest->path, _countof(newest->path), temporary);
        newest->written = found->ftLastWriteTime;
    }
    FreeFileBytes(bytes);
    return true;
}

// Where the temporary files that are not taken are kept, and the first copy's path.
struct KeptTemporaries {
    const wchar_t* path;
    const wchar_t* taken;
    wchar_t* kept;
    size_t capacity;
};

// Keeps a file beside the file at path as an ".unread" copy, then removes it. false when it
// could not be kept: it stays where it is.
static bool KeepAndRemove(const wchar_t* path, const wchar_t* file, wchar_t* kept, size_t capacity)
{
    unsigned char* bytes = NULL;
    size_t size = 0;
    wchar_t copy[ComposedPathCapacity];
    bool safe = ReadWholeFile(file, &bytes, &size) &&
                KeepCopyBeside(path, file, bytes, size, UnreadSuffix, copy, _countof(copy));
    FreeFileBytes(bytes);
    if (!safe)
        return false;
    if (kept[0] == L'\0')
        wcsncpy_s(kept, capacity, copy, _TRUNCATE);
    DeleteFileW(file);
    return true;
}

static bool KeepIfNotTaken(const wchar_t* temporary, const WIN32_FIND_DATAW*, void* context)
{
    KeptTemporaries* keep = (KeptTemporaries*)context;
    return _wcsicmp(temporary, keep->taken) == 0 || KeepAndRemove(keep->path, temporary, keep->kept, keep->capacity);
}

int TakeNewestTemporary(const wchar_t* path, TemporaryCheck readsWhole, wchar_t* kept, size_t keptCapacity)
{
    kept[0] = L'\0';
    if (FileIsThere(path)) {
        RemoveLeftoverTemporaries(path);
        return 0;
    }
    static NewestTemporary newest;
    newest.readsWhole = readsWhole;
    newest.path[0] = L'\0';
    ForEachTemporary(path, NoteIfNewestWhole, &newest);

    // A pending copy is the newest whole state unless a later save's text lies beside it.
    wchar_t pending[ComposedPathCapacity];
    WIN32_FILE_ATTRIBUTE_DATA data;
    bool hasPending = ComposePath(pending, _countof(pending), path, PendingSuffix) == 0 &&
                      GetFileAttributesExW(pending, GetFileExInfoStandard, &data) &&
                      !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (hasPending && newest.path[0] != L'\0' && CompareFileTime(&data.ftLastWriteTime, &newest.written) >= 0)
        newest.path[0] = L'\0';

    // Everything not taken is kept first: a start that stops here finds it all again.
    KeptTemporaries keep = { path, newest.path, kept, keptCapacity };
    if (!ForEachTemporary(path, KeepIfNotTaken, &keep))
        return -1;
    if (newest.path[0] == L'\0')
        return 0;
    if (hasPending && !KeepAndRemove(path, pending, kept, keptCapacity))
        return -1;
    return MoveFileExW(newest.path, path, MOVEFILE_WRITE_THROUGH) ? 1 : -1;
}
