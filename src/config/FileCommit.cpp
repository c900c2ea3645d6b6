#include "config/FileCommit.h"

#include <string.h>
#include <wchar.h>

#include "model/TileGrid.h"

enum {
    MaxTemporaryNumber = 9999
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

bool ForEachBeside(const wchar_t* path, const wchar_t* suffixPattern, BesideVisit visit, void* context)
{
    wchar_t pattern[ComposedPathCapacity];
    if (ComposePath(pattern, _countof(pattern), path, suffixPattern) != 0)
        return true;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* fileName = slash != NULL ? slash + 1 : path;
    size_t folderLength = (size_t)(fileName - path);
    size_t nameLength = wcslen(fileName);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    bool going = true;
    do {
        wchar_t beside[ComposedPathCapacity];
        // The search also matches short names; only the long name counts.
        if (_wcsnicmp(found.cFileName, fileName, nameLength) != 0 ||
            folderLength + wcslen(found.cFileName) >= _countof(beside))
            continue;
        wmemcpy(beside, path, folderLength);
        wcscpy_s(beside + folderLength, _countof(beside) - folderLength, found.cFileName);
        going = visit(beside, &found, found.cFileName + nameLength, context);
    } while (going && FindNextFileW(search, &found));
    FindClose(search);
    return going;
}

// Opens a file for a whole read, with its size; INVALID_HANDLE_VALUE when it cannot be read.
static HANDLE OpenForWholeRead(const wchar_t* path, size_t* size)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    LARGE_INTEGER length = {};
    if (file != INVALID_HANDLE_VALUE && (!GetFileSizeEx(file, &length) || length.QuadPart > MaxFileSize)) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    *size = (size_t)length.QuadPart;
    return file;
}

static bool ReadAll(HANDLE file, unsigned char* bytes, size_t size)
{
    DWORD read = 0;
    bool ok = bytes != NULL && ReadFile(file, bytes, (DWORD)size, &read, NULL) && read == (DWORD)size;
    CloseHandle(file);
    return ok;
}

bool ReadWholeFile(const wchar_t* path, unsigned char** bytes, size_t* size)
{
    *bytes = NULL;
    *size = 0;
    size_t length = 0;
    HANDLE file = OpenForWholeRead(path, &length);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Two bytes more, so that a text can always be terminated where it lies.
    *bytes = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, length + 2);
    if (!ReadAll(file, *bytes, length)) {
        FreeFileBytes(*bytes);
        *bytes = NULL;
        return false;
    }
    *size = length;
    return true;
}

bool ReadWholeFileInto(const wchar_t* path, FileBlock* block, size_t* size)
{
    *size = 0;
    size_t length = 0;
    HANDLE file = OpenForWholeRead(path, &length);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (length + 2 > block->capacity) {
        FreeFileBlock(block);
        // Room for a little more, so that files of about one size share the first block.
        size_t capacity = length + length / 4 + 2;
        block->bytes = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, capacity);
        block->capacity = block->bytes != NULL ? capacity : 0;
    }
    if (!ReadAll(file, block->bytes, length))
        return false;
    *size = length;
    return true;
}

void FreeFileBlock(FileBlock* block)
{
    FreeFileBytes(block->bytes);
    *block = FileBlock();
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

// How long a held file is waited for, step by step. About two seconds in all where nothing
// else can be done: the holder lets no one write, and the save fails after it.
static const DWORD LongWaits[] = { 20, 40, 80, 160, 320, 500, 500, 500 };
// A quarter of a second where the file can be written in place, and only once while the same
// holder keeps it: no save holds the window longer.
static const DWORD ShortWaits[] = { 10, 20, 40, 60, 100 };
static int busyWaitDivisor = 1;
// The last commit found the file held and wrote it in place; cleared by the next replace.
static bool heldLately;

void SetBusyWaitDivisorForTests(int divisor)
{
    busyWaitDivisor = divisor > 0 ? divisor : 1;
    heldLately = false;
}

typedef bool (*FileStep)(const wchar_t*, const wchar_t*);

// Runs step again after each wait, until it succeeds, or fails for another reason than a file
// held elsewhere, or the waits are used up. false then, with step's last error. The caller
// made the first try.
static bool RetryWhileBusy(FileStep step, const wchar_t* first, const wchar_t* second, const DWORD* waits, int count)
{
    for (int attempt = 0; attempt < count && IsBusyError(GetLastError()); attempt++) {
        Sleep(waits[attempt] / (DWORD)busyWaitDivisor);
        if (step(first, second))
            return true;
    }
    return false;
}

static bool WhileBusy(FileStep step, const wchar_t* first, const wchar_t* second)
{
    return step(first, second) || RetryWhileBusy(step, first, second, LongWaits, (int)_countof(LongWaits));
}

// Whether the file could be opened so now: what its holder, if any, lets others do.
static bool CanOpen(const wchar_t* path, DWORD access, DWORD share)
{
    HANDLE probe = CreateFileW(path, access, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

// Replaces the file at path with the one at replacement in one step: a rename, which also
// fills a free path. ReplaceFileW gets past a holder that lets others delete the file, where
// the rename is refused; it is tried only then, as a refused one leaves an empty temporary
// file of its own beside the file under Wine.
static bool ReplaceWhole(const wchar_t* path, const wchar_t* replacement)
{
    if (MoveFileExW(replacement, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DWORD error = GetLastError();
    if (!IsBusyError(error) || !CanOpen(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
        SetLastError(error);
        return false;
    }
    return ReplaceFileW(path, replacement, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL) != FALSE;
}

static bool RemoveFile(const wchar_t* path, const wchar_t*)
{
    return DeleteFileW(path) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool FileIsThere(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES || (GetLastError() != ERROR_FILE_NOT_FOUND &&
                                                     GetLastError() != ERROR_PATH_NOT_FOUND);
}

// Opens the file for a write in place, as the runtime's own open for writing would: only a
// holder that lets others write allows it.
static HANDLE OpenForWriteInPlace(const wchar_t* path)
{
    return CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       NULL);
}

// Tries the replace, then waits for a holder as long as it deserves (see the waits above).
static bool ReplaceOrWait(const wchar_t* path, const wchar_t* temporary)
{
    if (ReplaceWhole(path, temporary))
        return true;
    DWORD error = GetLastError();
    bool writable = IsBusyError(error) && CanOpen(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    SetLastError(error);
    if (writable && heldLately)
        return false;
    return writable ? RetryWhileBusy(ReplaceWhole, path, temporary, ShortWaits, (int)_countof(ShortWaits))
                    : RetryWhileBusy(ReplaceWhole, path, temporary, LongWaits, (int)_countof(LongWaits));
}

// The file's content goes through one block, reused from write to write.
enum { CopyBlockBytes = 65536 };
static unsigned char copyBlock[CopyBlockBytes];

// Writes CTRL+Zs over the count bytes from the file's position: the end mark, then the same
// mark over the old tail, so that the reader can tell it from a CTRL+Z a person typed.
static bool WriteEndMarks(HANDLE file, LONGLONG count)
{
    for (size_t i = 0; i < sizeof(copyBlock); i += 2) {
        copyBlock[i] = 0x1A;
        copyBlock[i + 1] = 0;
    }
    while (count > 0) {
        DWORD chunk = count < (LONGLONG)sizeof(copyBlock) ? (DWORD)count : (DWORD)sizeof(copyBlock);
        DWORD written = 0;
        if (!WriteFile(file, copyBlock, chunk, &written, NULL) || written != chunk)
            return false;
        count -= chunk;
    }
    return true;
}

// Writes the whole text of source over the open file, cuts the file after it and flushes it.
// A file that cannot be cut (mapped by its holder) has the rest of its old length overwritten
// with CTRL+Zs instead, which the reader takes as the end: nothing of the old file behind the
// new text is read again. false when any of it failed, and the file may then hold a part of each.
static bool WriteOver(HANDLE file, const wchar_t* source)
{
    HANDLE from = CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (from == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER oldLength = {};
    bool ok = GetFileSizeEx(file, &oldLength) != FALSE;
    LONGLONG newLength = 0;
    for (DWORD read = 1; ok && read > 0;) {
        DWORD written = 0;
        ok = ReadFile(from, copyBlock, sizeof(copyBlock), &read, NULL) && WriteFile(file, copyBlock, read, &written, NULL) &&
             written == read;
        newLength += read;
    }
    CloseHandle(from);
    ok = ok && (SetEndOfFile(file) || WriteEndMarks(file, oldLength.QuadPart - newLength));
    return ok && FlushFileBuffers(file);
}

int CommitTemporary(const wchar_t* path, const wchar_t* temporary)
{
    wchar_t pending[ComposedPathCapacity];
    if (ComposePath(pending, _countof(pending), path, PendingSuffix) != 0) {
        DeleteFileW(temporary);
        return CommitRefused;
    }
    if (ReplaceOrWait(path, temporary)) {
        heldLately = false;
        // A pending copy left by an earlier save of this run is older than the file now: the
        // next start must not take it. Reported when it cannot go, as the save is then undone.
        return WhileBusy(RemoveFile, pending, NULL) ? CommitDone : CommitRefused;
    }
    DWORD error = GetLastError();
    // A replace that removed the file and then could not move the new one in (something holds
    // it): the new text now lies only beside, and must stay there for the next start.
    if (!FileIsThere(path))
        return CommitBeside;
    // Refused for good, or held past the waits. Written in place only for a holder that lets
    // others write.
    HANDLE file = IsBusyError(error) ? OpenForWriteInPlace(path) : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE || !MoveFileExW(temporary, pending, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        DeleteFileW(temporary);
        return CommitRefused;
    }
    heldLately = true;
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

bool ReplaceWholeWhileBusy(const wchar_t* path, const wchar_t* replacement)
{
    return WhileBusy(ReplaceWhole, path, replacement);
}
