#include "config/ConfigFile.h"

#include <stdlib.h>
#include <wchar.h>

#include "config/BackupRotation.h"
#include "config/ConfigFormat.h"
#include "config/ConfigReader.h"
#include "config/FileCommit.h"
#include "config/FileRecovery.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "shell/FailureBox.h"
#include "shell/TargetNames.h"

const wchar_t ConfigWriteFailedText[] = L"Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.";

static const int FolderMessageCapacity = 400;

constexpr size_t Larger(size_t a, size_t b)
{
    return a > b ? a : b;
}

// The longest path the program makes below the base folder: a name beside the file (a save's
// temporary file), or a backup's marker name.
constexpr size_t LongestPathBelowBase =
    Larger(_countof(ConfigFileSuffix) - 1 + _countof(LongestSuffixBeside) - 1, LongestBackupPathBelowBase);

// The copy that the last LoadConfig kept of a file it did not fully use; empty when none.
static wchar_t unreadCopyPath[ComposedPathCapacity];

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

// The file's bytes when there is no pending copy: the first run's file is made here. 0 read,
// else LoadConfig's result (0 for a file just created, which holds nothing to read).
static int ReadConfigBytes(const wchar_t* path, unsigned char** bytes, size_t* size, bool* created)
{
    *created = false;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return ConfigFileUnusable();
        int status = CreateEmptyConfigFile(path);
        if (status != 1) {
            *created = status == 0;
            return status;
        }
        attributes = GetFileAttributesW(path);
    }
    // An existing file that cannot be read whole is left exactly as it is: a read that
    // stopped part-way must not pass for the end of the file, or the next save would
    // replace the file with the tiles read so far. A file that begins with the big-endian
    // mark FE FF is refused as Windows' runtime refuses to open it.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !ReadWholeFile(path, bytes, size))
        return ConfigFileUnusable();
    if (*size >= 2 && (*bytes)[0] == 0xFE && (*bytes)[1] == 0xFF) {
        FreeFileBytes(*bytes);
        *bytes = NULL;
        return ConfigFileUnusable();
    }
    return 0;
}

// The model as the reader's destination at start.
static void ApplySettings(const int* values, void*)
{
    if (values != NULL) {
        ApplySettingsValues(values);
        return;
    }
    MessageBoxW(MainWindow, L"The Configuration File settings can not be read. Using default program settings",
                L"ERROR - Configuration File Settings Unreadable", MB_ICONWARNING);
}

static bool ApplyTile(const TileLine* line, void*)
{
    return ApplyTileLine(line);
}

// Whether a save's text would be read whole: every line of the current version taken as it is,
// each cell once, the last line ended as the writer ends every line (a text cut short inside a
// line would otherwise pass). Nothing changes and no box is shown.
static bool CountCell(const TileLine* line, void* seen)
{
    unsigned char* bits = (unsigned char*)seen;
    int cell = (line->row - 1) * MaxColumns + (line->column - 1);
    bool first = (bits[cell / 8] & (1 << (cell % 8))) == 0;
    bits[cell / 8] |= (unsigned char)(1 << (cell % 8));
    return first;
}

static bool TextReadsWhole(const unsigned char* bytes, size_t size)
{
    static unsigned char seen[MaxRows * MaxColumns / 8 + 1];
    if (size < 4 || bytes[size - 2] != '\n' || bytes[size - 1] != 0)
        return false;
    memset(seen, 0, sizeof(seen));
    ConfigReader check = { NULL, CountCell, seen };
    wchar_t header[16];
    bool leftOut = true;
    return ReadConfigBytesWith(bytes, size, &check, header, _countof(header), &leftOut) == 0 && !leftOut;
}

int LoadConfig(void)
{
    unreadCopyPath[0] = L'\0';
    wchar_t path[ComposedPathCapacity];
    int status = PrepareConfigFolder(L"CreateDirectoryW() return code = %d", L"This is Vantrel", path, _countof(path));
    if (status != 0)
        return status;
    // With no file at the path, the newest whole state may lie in a save's temporary file.
    if (TakeNewestTemporary(path, TextReadsWhole, unreadCopyPath, _countof(unreadCopyPath)) < 0)
        return ConfigFileUnusable();

    // The newest whole state: a pending copy when a save left one, else the file.
    unsigned char* bytes = NULL;
    size_t size = 0;
    const wchar_t* source = path;
    wchar_t replaced[ComposedPathCapacity];
    int pending = TakePendingCopy(path, &bytes, &size, &source, replaced, _countof(replaced));
    if (pending < 0)
        return ConfigFileUnusable();
    if (unreadCopyPath[0] == L'\0')
        wcscpy_s(unreadCopyPath, _countof(unreadCopyPath), replaced);
    if (pending == 0) {
        bool created = false;
        status = ReadConfigBytes(path, &bytes, &size, &created);
        if (status != 0 || created)
            return status;
    }
    wchar_t header[16];
    bool leftOut = false;
    const ConfigReader model = { ApplySettings, ApplyTile, NULL };
    status = ReadConfigBytesWith(bytes, size, &model, header, _countof(header), &leftOut);

    // What the next save would lose is kept first; start-up ends rather than lose it.
    wchar_t kept[ComposedPathCapacity];
    bool safe = status != -3;
    if (status == -2) {
        wchar_t stem[8];
        OtherVersionStem(header, stem);
        safe = KeepCopyBeside(path, source, bytes, size, stem, kept, _countof(kept));
    } else if (safe && leftOut) {
        safe = KeepCopyBeside(path, source, bytes, size, UnreadSuffix, kept, _countof(kept));
        // The copy of a file that a pending copy replaced, made first, is the one to tell of.
        if (safe && unreadCopyPath[0] == L'\0')
            wcscpy_s(unreadCopyPath, _countof(unreadCopyPath), kept);
    }
    FreeFileBytes(bytes);
    return safe ? status : ConfigFileUnusable();
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
    // Before the window exists its bars will start where the settings say.
    if (MainWindow == NULL)
        return bar == SB_HORZ ? AppSettings.scrollPosH : AppSettings.scrollPosV;
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
    if (MainWindow == NULL) {
        // A file of another version is rewritten before the window exists: the window will open
        // where the settings say, and there is nothing to ask, nor any failure to show.
        SetRect(&rect, AppSettings.windowLeft, AppSettings.windowTop, AppSettings.windowLeft + AppSettings.windowWidth,
                AppSettings.windowTop + AppSettings.windowHeight);
    } else if (GetWindowRect(MainWindow, &rect)) {
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
// the whole array (also outside the grid in use), as the runtime's text mode writes them.
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
    // Only the rows and columns ever reached can hold a tile; the rest of the array stays
    // untouched (reading it would take 7 MB of memory on an empty start).
    int rows = 0, columns = 0;
    ReachedExtent(&rows, &columns);
    for (int row = 1; row <= rows && out.ok; row++) {
        for (int column = 1; column <= columns; column++) {
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

int SaveConfig(void)
{
    wchar_t path[ComposedPathCapacity];
    wchar_t temporary[ComposedPathCapacity];
    int status =
        PrepareConfigFolder(L"CreateDirectoryW return code = %d", L"This is Vantrel - msg 101", path, _countof(path));
    if (status != 0)
        return status;

    // The whole new text is written beside the file and flushed before anything touches the
    // file: a crash, a kill or a full disk until the file is replaced costs the last change only.
    HANDLE file = CreateFreshTemporary(path, temporary, _countof(temporary));
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    bool written = WriteConfigContent(file) && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
    if (!written) {
        DeleteFileW(temporary);
        return -1;
    }
    return CommitTemporary(path, temporary) == CommitDone ? 0 : -1;
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
