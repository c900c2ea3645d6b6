#include "config/FileCommit.h"

#include <string.h>
#include <wchar.h>

#include "model/TileGrid.h"

enum {
    MaxKeptCopies = 999,
    MaxTemporaryNumber = 9999,
    // Copies are made at the first free name: a run of this many free names ends the search.
    FreeNamesThatEndTheSearch = 16
};
// Far beyond the largest file the program writes; a larger one is not read into memory.
static const LONGLONG MaxFileSize = 256LL * 1024 * 1024;

int ComposePath(wchar_t* out, size_t capacity, const wchar_t* base, const wchar_t* suffix)
{
    size_t baseLength = wcslen(base);
    size_t suffixLength = wcslen(suffix);
    if (baseLength + suffixLength >= capacity)
        return -1;
    wmemcpy(out, base, baseLength);
    wmemcpy(out + baseLength, suffix, suffixLength + 1);
    return 0;
}

bool ReadWholeFile(const wchar_t* path, unsigned char** bytes, size_t* size)
{
    *bytes = NULL;
    *size = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length = {};
    bool ok = GetFileSizeEx(file, &length) && length.QuadPart <= MaxFileSize;
    // Two bytes more, so that a text can always be terminated where it lies.
    *bytes = ok ? (unsigned char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length.QuadPart + 2) : NULL;
    DWORD read = 0;
    ok = *bytes != NULL && ReadFile(file, *bytes, (DWORD)length.QuadPart, &read, NULL) && read == (DWORD)length.QuadPart;
    CloseHandle(file);
    if (!ok) {
        FreeFileBytes(*bytes);
        *bytes = NULL;
        return false;
    }
    *size = read;
    return true;
}

void FreeFileBytes(unsigned char* bytes)
{
    if (bytes != NULL)
        HeapFree(GetProcessHeap(), 0, bytes);
}

HANDLE CreateFreshTemporary(const wchar_t* path, wchar_t* temporary, size_t capacity)
{
    static unsigned counter;
    for (int attempt = 0; attempt < 100; attempt++) {
        counter = counter % MaxTemporaryNumber + 1;
        wchar_t suffix[_countof(LongestSuffixBeside)];
        swprintf_s(suffix, _countof(suffix), L"%ls-%lu-%u", TemporaryStem, GetCurrentProcessId(), counter);
        if (ComposePath(temporary, capacity, path, suffix) != 0) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE || (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS))
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Errors that mean another program holds a file for now (open, mapped, its replace refused),
// which it may let go of in a moment.
static bool IsBusyError(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return true;
    default:
        return false;
    }
}

// How long a held file is waited for, step by step: about two seconds in all.
static const DWORD BusyWaits[] = { 20, 40, 80, 160, 320, 500, 500, 500 };
static int busyWaitDivisor = 1;

void SetBusyWaitDivisorForTests(int divisor)
{
    busyWaitDivisor = divisor > 0 ? divisor : 1;
}

// Runs step until it succeeds, or fails for another reason than a file held elsewhere, or the
// waits are used up. false then, with step's last error.
static bool WhileBusy(bool (*step)(const wchar_t*, const wchar_t*), const wchar_t* first, const wchar_t* second)
{
    for (int attempt = 0;; attempt++) {
        if (step(first, second))
            return true;
        DWORD error = GetLastError();
        if (!IsBusyError(error) || attempt == (int)_countof(BusyWaits))
            return false;
        Sleep(BusyWaits[attempt] / (DWORD)busyWaitDivisor);
        SetLastError(error);
    }
}

// Replaces the file at path with the one at replacement in one step. ReplaceFileW first: it
// replaces a file whose holder lets others delete it, where a rename is refused; MoveFileExW
// where it cannot (no file at path yet).
static bool ReplaceWhole(const wchar_t* path, const wchar_t* replacement)
{
    if (ReplaceFileW(path, replacement, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL))
        return true;
    return MoveFileExW(replacement, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

static bool RemoveFile(const wchar_t* path, const wchar_t*)
{
    return DeleteFileW(path) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}

// The file's content goes through one block, reused from write to write.
enum { CopyBlockBytes = 65536 };
static unsigned char copyBlock[CopyBlockBytes];

// Writes the whole text of source over the open file, cuts the file after it and flushes it.
// A file that cannot be cut (mapped by its holder) ends its text with a CTRL+Z at the start of
// a line instead, which the reader takes as the end: nothing of the old file behind it is read
// again. false when any of it failed, and the file may then hold a part of each.
static bool WriteOver(HANDLE file, const wchar_t* source)
{
    HANDLE from = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (from == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    for (DWORD read = 1; ok && read > 0;) {
        DWORD written = 0;
        ok = ReadFile(from, copyBlock, sizeof(copyBlock), &read, NULL) && WriteFile(file, copyBlock, read, &written, NULL) &&
             written == read;
    }
    CloseHandle(from);
    static const wchar_t EndOfText = 0x1A;
    DWORD written = 0;
    ok = ok && (SetEndOfFile(file) ||
                (WriteFile(file, &EndOfText, sizeof(EndOfText), &written, NULL) && written == sizeof(EndOfText)));
    return ok && FlushFileBuffers(file);
}

int CommitTemporary(const wchar_t* path, const wchar_t* temporary)
{
    wchar_t pending[ComposedPathCapacity];
    if (ComposePath(pending, _countof(pending), path, PendingSuffix) != 0) {
        DeleteFileW(temporary);
        return CommitRefused;
    }
    if (WhileBusy(ReplaceWhole, path, temporary)) {
        // A pending copy left by an earlier save of this run is older than the file now: the
        // next start must not take it. Reported when it cannot go, as the save is then undone.
        return WhileBusy(RemoveFile, pending, NULL) ? CommitDone : CommitRefused;
    }
    // Refused for good, or held past the waits. Written in place only for a holder that lets
    // others write, as the runtime's own open for writing would.
    HANDLE file = IsBusyError(GetLastError()) ? CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL)
                                              : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE || !MoveFileExW(temporary, pending, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        DeleteFileW(temporary);
        return CommitRefused;
    }
    // From here the whole new text lies beside the file under the name the next start looks
    // for: a crash, a kill or a full disk in the write below costs nothing.
    bool written = WriteOver(file, pending);
    written = CloseHandle(file) && written;
    if (!written)
        return CommitTorn;
    // Left behind, the copy equals the file: the next start takes it and loses nothing.
    WhileBusy(RemoveFile, pending, NULL);
    return CommitDone;
}

// Whether a name found beside the file is one of the save's temporary files: the stem alone
// (an earlier version's fixed name), or the stem, "-" and digits and dashes.
static bool IsTemporaryName(const wchar_t* name, const wchar_t* fileName)
{
    size_t fileLength = wcslen(fileName);
    size_t stemLength = wcslen(TemporaryStem);
    if (_wcsnicmp(name, fileName, fileLength) != 0 || _wcsnicmp(name + fileLength, TemporaryStem, stemLength) != 0)
        return false;
    const wchar_t* rest = name + fileLength + stemLength;
    if (*rest == L'\0')
        return true;
    if (*rest != L'-')
        return false;
    return rest[1] != L'\0' && rest[wcsspn(rest, L"-0123456789")] == L'\0';
}

void RemoveLeftoverTemporaries(const wchar_t* path)
{
    wchar_t pattern[ComposedPathCapacity];
    if (ComposePath(pattern, _countof(pattern), path, L".new*") != 0)
        return;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* fileName = slash != NULL ? slash + 1 : path;
    size_t folderLength = (size_t)(fileName - path);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        wchar_t leftover[ComposedPathCapacity];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTemporaryName(found.cFileName, fileName) ||
            folderLength + wcslen(found.cFileName) >= _countof(leftover))
            continue;
        wmemcpy(leftover, path, folderLength);
        wcscpy_s(leftover + folderLength, _countof(leftover) - folderLength, found.cFileName);
        DeleteFileW(leftover);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

static bool SameBytes(const unsigned char* a, size_t aSize, const unsigned char* b, size_t bSize)
{
    return aSize == bSize && (aSize == 0 || memcmp(a, b, aSize) == 0);
}

// Whether a file holds a text: the same bytes, or those and then the end mark that a write in
// place leaves on a file it could not cut, at the start of a line, before the old tail.
static bool HoldsSameText(const unsigned char* file, size_t fileSize, const unsigned char* text, size_t textSize)
{
    if (SameBytes(file, fileSize, text, textSize))
        return true;
    bool endsLine = textSize >= 2 && text[textSize - 2] == '\n' && text[textSize - 1] == 0;
    return endsLine && fileSize >= textSize + 2 && memcmp(file, text, textSize) == 0 && file[textSize] == 0x1A &&
           file[textSize + 1] == 0;
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
    *source = WhileBusy(ReplaceWhole, path, pending) ? path : pending;
    return 1;
}
