#include "config/ConfigFile.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <stdlib.h>
#include <wchar.h>

#include "config/ConfigFormat.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "shell/FailureBox.h"
#include "shell/TargetNames.h"

const wchar_t ConfigWriteFailedText[] = L"Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.";

const wchar_t ConfigFolderSuffix[] = L"\\Morrowtide";
const wchar_t ConfigFileSuffix[] = L"\\Morrowtide\\Vantrel.cfg";
static const int FolderMessageCapacity = 400;

// The names the program makes beside the file: the save's temporary file, and the copies
// kept of a file it could not use whole ("Vantrel.cfg.unread", "Vantrel.cfg.v0004-2").
static const wchar_t TemporarySuffix[] = L".new";
static const wchar_t UnreadSuffix[] = L".unread";
enum {
    MaxKeptCopies = 999,
    // The longest path the program makes below the base folder, a backup's marker name:
    // "\Morrowtide\Backup\Vantrel_Bkup000-.cfg". Longer than the file's with ".unread-999".
    LongestPathBelowBase = 39
};

// The copy that the last LoadConfig kept of a file it did not fully use; empty when none.
static wchar_t unreadCopyPath[ComposedPathCapacity];

static wchar_t baseFolderOverride[ComposedPathCapacity];

void SetConfigBaseFolderForTests(const wchar_t* folder)
{
    baseFolderOverride[0] = L'\0';
    if (folder != NULL)
        wcsncpy_s(baseFolderOverride, _countof(baseFolderOverride), folder, _TRUNCATE);
}

int GetConfigBaseFolder(wchar_t* out, size_t capacity)
{
    if (baseFolderOverride[0] != L'\0')
        return ComposePath(out, capacity, baseFolderOverride, L"");

    PWSTR folder = NULL;
    HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, NULL, &folder);
    int status = SUCCEEDED(result) && folder != NULL ? ComposePath(out, capacity, folder, L"") : -1;
    CoTaskMemFree(folder);
    return status;
}

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

// Makes sure the configuration folder exists and composes the file's path. Returns 0, or
// -4 when there is no folder (after telling the user why, when it could not be created).
static int PrepareConfigFolder(const wchar_t* codeFormat, const wchar_t* caption, wchar_t* filePath, size_t capacity)
{
    wchar_t base[ComposedPathCapacity];
    wchar_t folder[ComposedPathCapacity];
    // A base folder that leaves no room for the names the program makes below it (the save's
    // temporary file, the backups) would be accepted and then fail every save.
    if (GetConfigBaseFolder(base, _countof(base)) != 0 || wcslen(base) + LongestPathBelowBase >= ComposedPathCapacity ||
        ComposePath(folder, _countof(folder), base, ConfigFolderSuffix) != 0 ||
        ComposePath(filePath, capacity, base, ConfigFileSuffix) != 0)
        return -4;

    BOOL created = CreateDirectoryW(folder, NULL);
    if (!created && GetLastError() != ERROR_ALREADY_EXISTS) {
        wchar_t first[FolderMessageCapacity];
        wchar_t second[FolderMessageCapacity];
        wchar_t message[FolderMessageCapacity];
        _snwprintf_s(first, _countof(first), _TRUNCATE, L"Couldn't Create Folder:\n   %ls\n\n", folder);
        _snwprintf_s(second, _countof(second), _TRUNCATE, codeFormat, created);
        wcsncpy_s(message, _countof(message), first, _TRUNCATE);
        wcsncat_s(message, _countof(message), second, _TRUNCATE);
        MessageBoxW(NULL, message, caption, MB_ICONWARNING);
        return -4;
    }
    return 0;
}

// Returns false when an earlier line of the file had filled the cell: that line is lost.
static bool ApplyTileLine(const TileLine* line)
{
    Tile* tile = TileAt(line->row, line->column);
    bool first = !tile->filled;
    // The reader checked both lengths against the tile's buffers.
    wmemcpy(tile->path, line->path, line->pathLength + 1);
    tile->filled = 1;
    if (line->nameLength > 0) {
        wmemcpy(tile->name, line->name, line->nameLength + 1);
    } else {
        const wchar_t* shown = ShellDisplayName(line->path);
        if (shown != NULL)
            wcsncpy_s(tile->name, _countof(tile->name), shown, _TRUNCATE);
    }
    tile->kind = line->kind;
    tile->backColor = line->backColor;
    return first;
}

// The file can be neither read nor created: -3, after telling the user.
static int ConfigFileUnusable(void)
{
    MessageBoxW(MainWindow, L"Couldn't Create Config File", L"Error - Vantrel ", MB_ICONWARNING);
    return -3;
}

static const wchar_t ByteOrderMark = 0xFEFF;
// Far beyond the largest file the program writes; a larger one is not read into memory.
static const LONGLONG MaxConfigFileSize = 256LL * 1024 * 1024;

// Writes bytes into a file opened with the given creation disposition, shared with no one
// while it is written, cut to their length and flushed to the disk when asked. True on
// success; false with the thread's last error otherwise.
static bool WriteWholeFile(const wchar_t* path, DWORD disposition, const void* bytes, DWORD size, bool flush)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes, size, &written, NULL) && written == size && SetEndOfFile(file);
    if (ok && flush)
        ok = FlushFileBuffers(file) != FALSE;
    DWORD error = GetLastError();
    ok = CloseHandle(file) && ok;
    SetLastError(error);
    return ok;
}

// The first run's file, holding only the byte order mark. Never replaces a file: 1 when one
// appeared since it was found missing (it is then read), 0 when created, else -3.
static int CreateEmptyConfigFile(const wchar_t* path)
{
    if (WriteWholeFile(path, CREATE_NEW, &ByteOrderMark, sizeof(ByteOrderMark), false))
        return 0;
    if (GetLastError() == ERROR_FILE_EXISTS)
        return 1;
    return ConfigFileUnusable();
}

// The whole file in one read, into a block the caller frees with HeapFree. Readers may
// share the file meanwhile, writers may not. false when it cannot be read whole.
static bool ReadWholeFile(const wchar_t* path, unsigned char** bytes, size_t* size)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length = {};
    bool ok = GetFileSizeEx(file, &length) && length.QuadPart <= MaxConfigFileSize;
    *bytes = ok ? (unsigned char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length.QuadPart + 2) : NULL;
    DWORD read = 0;
    ok = *bytes != NULL && ReadFile(file, *bytes, (DWORD)length.QuadPart, &read, NULL) && read == (DWORD)length.QuadPart;
    CloseHandle(file);
    if (!ok && *bytes != NULL) {
        HeapFree(GetProcessHeap(), 0, *bytes);
        *bytes = NULL;
    }
    *size = read;
    return ok;
}

// Reads and applies the settings line; false when there was one that could not be read.
static bool ReadSettingsLine(ConfigText* text, wchar_t* line, size_t capacity)
{
    int read = ReadConfigLine(text, line, capacity, NULL);
    if (read == 0)
        return true;
    int values[SettingsFieldCount];
    if (read < 0 || ParseSettingsLine(line, values) != 0) {
        MessageBoxW(MainWindow, L"The Configuration File settings can not be read. Using default program settings",
                    L"ERROR - Configuration File Settings Unreadable", MB_ICONWARNING);
        return false;
    }
    ApplySettingsValues(values);
    return true;
}

// Keeps a copy of the file beside it under stem ("Vantrel.cfg.v0004"), or the next free name
// ("Vantrel.cfg.v0004-2" and so on), never over a copy kept before, and flushed to the disk
// before anything replaces the file: nothing a user had is lost when start-up rewrites a
// file it could not use whole. Stores the copy's path in kept; false when none was made.
static bool KeepCopyBeside(const wchar_t* path, const wchar_t* stem, wchar_t* kept, size_t capacity)
{
    for (int copy = 1; copy <= MaxKeptCopies; copy++) {
        wchar_t name[32];
        if (copy == 1)
            wcsncpy_s(name, _countof(name), stem, _TRUNCATE);
        else
            swprintf_s(name, _countof(name), L"%ls-%d", stem, copy);
        if (ComposePath(kept, capacity, path, name) != 0)
            return false;
        if (CopyFileW(path, kept, TRUE)) {
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

// The stem for the copy of a file of another format version: ".v" and the four characters
// after "//#v", digits kept and anything else shown as "x".
static void OtherVersionStem(const wchar_t* header, wchar_t* stem)
{
    wcscpy_s(stem, 8, L".v");
    bool ended = false;
    for (int i = 0; i < 4; i++) {
        wchar_t c = ended ? L'\0' : header[4 + i];
        ended = ended || c == L'\0';
        stem[2 + i] = c >= L'0' && c <= L'9' ? c : L'x';
    }
    stem[6] = L'\0';
}

static bool IsBlankLine(const wchar_t* line)
{
    return line[wcsspn(line, L" \t\r\n")] == L'\0';
}

// Applies the header, the settings line and the tile lines of the decoded text. 0, or -2 for
// another format version (*header then holds its first line). *leftOut tells whether
// anything the text holds was not taken into the model: content without a header, an
// unreadable settings line, a line refused, skipped or given again for the same cell.
static int ApplyConfigText(ConfigText* text, wchar_t* header, size_t headerCapacity, bool* leftOut)
{
    static wchar_t line[ConfigLineCapacity];
    static TileLine tileLine;
    *leftOut = false;
    int read = ReadConfigLine(text, line, _countof(line), NULL);
    int version = 0;
    if (read == 1 && ReadHeaderVersion(line, &version)) {
        if (version != 3) {
            wcsncpy_s(header, headerCapacity, line, _TRUNCATE);
            return -2;
        }
        *leftOut = !ReadSettingsLine(text, line, _countof(line));
    } else if (read != 0) {
        *leftOut = read < 0 || !IsBlankLine(line);
    }
    for (;;) {
        read = ReadConfigLine(text, line, _countof(line), NULL);
        if (read == 0)
            return 0;
        if (read < 0 || wcsncmp(line, L"//", 2) == 0)
            *leftOut = true;
        else if (ParseTileLine(line, &tileLine) == 0)
            *leftOut = !ApplyTileLine(&tileLine) || *leftOut;
        else
            *leftOut = *leftOut || !IsBlankLine(line);
    }
}

int LoadConfig(void)
{
    unreadCopyPath[0] = L'\0';
    wchar_t path[ComposedPathCapacity];
    int status = PrepareConfigFolder(L"CreateDirectoryW() return code = %d", L"This is Vantrel", path, _countof(path));
    if (status != 0)
        return status;

    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return ConfigFileUnusable();
        status = CreateEmptyConfigFile(path);
        if (status != 1)
            return status;
        attributes = GetFileAttributesW(path);
    }
    // An existing file that cannot be read whole is left exactly as it is: a read that
    // stopped part-way must not pass for the end of the file, or the next save would
    // replace the file with the tiles read so far. A file that begins with the big-endian
    // mark FE FF is refused as Windows' runtime refuses to open it.
    unsigned char* bytes = NULL;
    size_t size = 0;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !ReadWholeFile(path, &bytes, &size))
        return ConfigFileUnusable();
    // UTF-16 text is read where it lies, in one pass; UTF-8 needs a block of its own.
    bool utf8 = ConfigTextIsUtf8(bytes, size);
    bool bigEndian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    wchar_t* decoded = utf8 ? (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (size + 1) * sizeof(wchar_t)) : NULL;
    if (bigEndian || (utf8 && decoded == NULL)) {
        HeapFree(GetProcessHeap(), 0, bytes);
        return ConfigFileUnusable();
    }
    ConfigText text;
    StartConfigText(bytes, size, decoded, &text);
    wchar_t header[16];
    bool leftOut = false;
    status = ApplyConfigText(&text, header, _countof(header), &leftOut);
    if (decoded != NULL)
        HeapFree(GetProcessHeap(), 0, decoded);
    HeapFree(GetProcessHeap(), 0, bytes);

    // What the next save would lose is kept first; start-up ends rather than lose it.
    wchar_t kept[ComposedPathCapacity];
    if (status == -2) {
        wchar_t stem[8];
        OtherVersionStem(header, stem);
        return KeepCopyBeside(path, stem, kept, _countof(kept)) ? -2 : ConfigFileUnusable();
    }
    if (leftOut) {
        if (!KeepCopyBeside(path, UnreadSuffix, kept, _countof(kept)))
            return ConfigFileUnusable();
        wcscpy_s(unreadCopyPath, _countof(unreadCopyPath), kept);
    }
    return status;
}

const wchar_t* UnreadConfigCopy(void)
{
    return unreadCopyPath[0] != L'\0' ? unreadCopyPath : NULL;
}

// The file's content goes out through one block, reused from save to save: a fresh block of
// a megabyte for 5,000 tiles cost more than writing it (its first touch is slow under Wine),
// and one kept for the whole content would be held all the run.
enum { SaveBlockCharacters = 32768 };
static wchar_t saveBlock[SaveBlockCharacters];

// Copies the new content, already written and flushed beside the file as temp, over the file
// in place, through a handle that shares reading and writing as the runtime's own open for
// writing does: for a file that another program holds open with that sharing (a backup tool,
// a virus scanner, a viewer), which no rename can replace. 1 written; 0 the file is held so
// that no writer may open it; -1 failed with the file untouched; -2 failed part-way, the
// file may hold a part of each.
static int OverwriteInPlace(const wchar_t* path, const wchar_t* temp)
{
    HANDLE source = CreateFileW(temp, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return -1;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        CloseHandle(source);
        return error == ERROR_SHARING_VIOLATION ? 0 : -1;
    }
    bool ok = true;
    for (DWORD read = 1; ok && read > 0;) {
        DWORD written = 0;
        ok = ReadFile(source, saveBlock, sizeof(saveBlock), &read, NULL) &&
             WriteFile(file, saveBlock, read, &written, NULL) && written == read;
    }
    // A file that cannot be cut (mapped by its holder) ends its text with a CTRL+Z instead,
    // so that nothing of the old file behind it is ever read again.
    static const wchar_t EndOfText = 0x1A;
    DWORD written = 0;
    ok = ok && (SetEndOfFile(file) || (WriteFile(file, &EndOfText, sizeof(EndOfText), &written, NULL) &&
                                         written == sizeof(EndOfText)));
    ok = ok && FlushFileBuffers(file);
    CloseHandle(source);
    return CloseHandle(file) && ok ? 1 : -2;
}

// A file that another program holds so that no writer may open it is waited for, with
// growing waits, for about two seconds in all.
static const DWORD BusyFileWaits[] = { 20, 40, 80, 160, 320, 500, 500, 500 };

// Whether the file may be written now, as the runtime's open for writing decides (a handle
// that shares reading and writing does not stop it); waits while it is held. A missing file
// may be written.
static bool WaitUntilWritable(const wchar_t* path)
{
    for (int attempt = 0;; attempt++) {
        HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        if (error != ERROR_SHARING_VIOLATION || attempt == _countof(BusyFileWaits))
            return false;
        Sleep(BusyFileWaits[attempt]);
    }
}

// Replaces the file with its new content, already written and flushed beside it as temp,
// waiting as WaitUntilWritable does for a file held meanwhile; one held with reading and
// writing shared is written in place. 2 renamed over the file; 1 written in place, temp
// still there; 0 not replaced, the file as it was; -1 not, and the file may hold a part of
// the new content (see OverwriteInPlace).
static int ReplaceConfigFile(const wchar_t* path, const wchar_t* temp)
{
    for (int attempt = 0;; attempt++) {
        if (MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 2;
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            return 0;
        int written = OverwriteInPlace(path, temp);
        if (written != 0 || attempt == _countof(BusyFileWaits))
            return written > 0 ? 1 : written == -2 ? -1 : 0;
        Sleep(BusyFileWaits[attempt]);
    }
}

// The rectangle a minimised window comes back to, in screen coordinates.
static void RestoredWindowRect(RECT* rect)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(MainWindow, &placement))
        return;
    // The normal position is given in work-area coordinates.
    RECT normal = placement.rcNormalPosition;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST), &monitor))
        OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    *rect = normal;
}

static int ReadScrollPositionForSave(int bar, const wchar_t* failureText)
{
    int position = 0;
    if (QueryScrollPosition(bar, &position))
        return position;
    if (GetLastError() == ERROR_NO_SCROLLBARS)
        return 0;
    ReportLastError(failureText);
    return 1;
}

static void GatherSettingsValues(int values[SettingsFieldCount])
{
    RECT rect = {};
    if (GetWindowRect(MainWindow, &rect)) {
        // Saving the -32000 rectangle of a minimised window would lose every setting.
        if (IsIconic(MainWindow))
            RestoredWindowRect(&rect);
    } else {
        ReportLastError(L"GetWindowRect()  -\n\n ");
        SetRectEmpty(&rect);
    }
    values[FieldWindowLeft] = rect.left;
    values[FieldWindowTop] = rect.top;
    values[FieldWindowWidth] = rect.right - rect.left;
    values[FieldWindowHeight] = rect.bottom - rect.top;
    values[FieldScrollH] = ReadScrollPositionForSave(SB_HORZ, L"GetScrollInfo(hwnd, SB_HORZ) - \n\n ");
    values[FieldScrollV] = ReadScrollPositionForSave(SB_VERT, L"GetScrollInfo(hwnd,SB_VERT)  -\n\n ");
    values[FieldHotkeyKey] = AppSettings.hotkeyKey;
    values[FieldHotkeyRegistered] = AppSettings.hotkeyRegistered;
    values[FieldRows] = AppSettings.rows;
    values[FieldColumns] = AppSettings.columns;
    values[FieldSelectedRow] = AppSettings.selectedRow;
    values[FieldSelectedColumn] = AppSettings.selectedColumn;
}

// The content written out through the save block.
struct SaveStream {
    HANDLE file;
    size_t length;   // characters in the block not yet written
    bool ok;
};

static void WriteOutBlock(SaveStream* out)
{
    DWORD bytes = (DWORD)(out->length * sizeof(wchar_t));
    DWORD written = 0;
    if (out->ok && bytes > 0)
        out->ok = WriteFile(out->file, saveBlock, bytes, &written, NULL) && written == bytes;
    out->length = 0;
}

// Where the next line goes: the block is written out first when the longest line (a tile's,
// every comma of its texts escaped) might not fit behind what it holds.
static wchar_t* RoomForLine(SaveStream* out, size_t* capacity)
{
    if (SaveBlockCharacters - out->length < ConfigLineCapacity)
        WriteOutBlock(out);
    *capacity = SaveBlockCharacters - out->length;
    return saveBlock + out->length;
}

static void WriteText(SaveStream* out, const wchar_t* text)
{
    size_t capacity = 0;
    wchar_t* room = RoomForLine(out, &capacity);
    int length = EncodeConfigText(text, wcslen(text), room, capacity);
    out->ok = out->ok && length >= 0;
    out->length += length >= 0 ? (size_t)length : 0;
}

// Tiles lie 1.4 KB apart, so a save of thousands waits on the memory tile by tile: the
// texts of a tile a few ahead are asked for while one is formatted.
enum { PrefetchDistance = 8 };

static void PrefetchTile(size_t index)
{
    if (index >= _countof(TileGrid))
        return;
    const Tile* tile = &TileGrid[index];
    PreFetchCacheLine(PF_TEMPORAL_LEVEL_1, (const char*)tile->path);
    PreFetchCacheLine(PF_TEMPORAL_LEVEL_1, (const char*)tile->path + 64);
    PreFetchCacheLine(PF_TEMPORAL_LEVEL_1, (const char*)&tile->filled);
    PreFetchCacheLine(PF_TEMPORAL_LEVEL_1, (const char*)tile->name + 64);
    PreFetchCacheLine(PF_TEMPORAL_LEVEL_1, (const char*)&tile->backColor);
}

// The byte order mark, the header, the settings line and the line of every filled tile of
// the whole array, as the runtime's text mode writes them.
static bool WriteConfigContent(HANDLE file)
{
    static const wchar_t start[] = { ByteOrderMark, L'\0' };
    wchar_t line[ConfigLineCapacity];
    int values[SettingsFieldCount];
    GatherSettingsValues(values);
    SaveStream out = { file, 0, true };
    WriteText(&out, start);
    WriteText(&out, ConfigHeaderLine);
    WriteText(&out, L"\n");
    out.ok = out.ok && FormatSettingsLine(values, line, _countof(line)) >= 0;
    WriteText(&out, line);
    for (int row = 1; row <= MaxRows && out.ok; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            const Tile* tile = TileAt(row, column);
            PrefetchTile((size_t)(tile - TileGrid) + PrefetchDistance);
            if (!tile->filled)
                continue;
            size_t capacity = 0;
            wchar_t* room = RoomForLine(&out, &capacity);
            int length = FormatTileLineForFile(row, column, tile, room, capacity);
            out.ok = out.ok && length >= 0;
            out.length += length >= 0 ? (size_t)length : 0;
        }
    }
    WriteOutBlock(&out);
    return out.ok;
}

// Writes the new content into a file of its own, flushed to the disk.
static bool WriteConfigFileTo(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteConfigContent(file) && FlushFileBuffers(file);
    return CloseHandle(file) && ok;
}

int SaveConfig(void)
{
    wchar_t path[ComposedPathCapacity];
    wchar_t temp[ComposedPathCapacity];
    int status =
        PrepareConfigFolder(L"CreateDirectoryW return code = %d", L"This is Vantrel - msg 101", path, _countof(path));
    if (status != 0)
        return status;
    if (ComposePath(temp, _countof(temp), path, TemporarySuffix) != 0 || !WaitUntilWritable(path))
        return -1;

    // The new content is written beside the file, flushed to the disk, and only then
    // replaces it in one step: a crash or power loss leaves either the old file or the new
    // one, never a part.
    int replaced = WriteConfigFileTo(temp) ? ReplaceConfigFile(path, temp) : 0;
    // The new content is kept beside a file that a failed write in place may have torn: the
    // only whole copy.
    if (replaced == 0 || replaced == 1)
        DeleteFileW(temp);
    return replaced > 0 ? 0 : -1;
}

int SaveConfigOrClose(HWND window)
{
    int status = SaveConfig();
    if (status != 0) {
        MessageBoxW(NULL, ConfigWriteFailedText, NULL, MB_OK);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return status;
}
