#include "config/ConfigFile.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <stdlib.h>
#include <wchar.h>

#include "app/FailureBox.h"
#include "commands/TargetNames.h"
#include "config/ConfigFormat.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"

const wchar_t ConfigWriteFailedText[] = L"Unable to Create or Write to the config file Vantrel.cfg - Exiting Program.";

const wchar_t ConfigFolderSuffix[] = L"\\Morrowtide";
const wchar_t ConfigFileSuffix[] = L"\\Morrowtide\\Vantrel.cfg";
static const int FolderMessageCapacity = 400;

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
    if (GetConfigBaseFolder(base, _countof(base)) != 0 || ComposePath(folder, _countof(folder), base, ConfigFolderSuffix) != 0 ||
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

// The decoded text of the file, read line by line.
struct TextCursor {
    const wchar_t* next;
    const wchar_t* end;
};

// Reads one line, line feed included. Returns 1 for a line, 0 at the end of the text, and
// -1 for a line that cannot be taken whole (too long for the buffer, or holding a NUL):
// its rest is consumed, so it never comes back as a line of its own.
static int ReadConfigLine(TextCursor* text, wchar_t* line, size_t capacity)
{
    if (text->next >= text->end)
        return 0;
    size_t remaining = (size_t)(text->end - text->next);
    const wchar_t* feed = wmemchr(text->next, L'\n', remaining);
    size_t length = feed != NULL ? (size_t)(feed - text->next) + 1 : remaining;
    const wchar_t* start = text->next;
    text->next += length;
    if (length + 1 > capacity) {
        line[0] = L'\0';
        return -1;
    }
    wmemcpy(line, start, length);
    line[length] = L'\0';
    return wcslen(line) == length ? 1 : -1;
}

static void ApplyTileLine(const TileLine* line)
{
    Tile* tile = TileAt(line->row, line->column);
    wcscpy_s(tile->path, _countof(tile->path), line->path);
    tile->filled = 1;
    if (line->name[0] != L'\0') {
        wcscpy_s(tile->name, _countof(tile->name), line->name);
    } else {
        const wchar_t* shown = ShellDisplayName(line->path);
        if (shown != NULL)
            wcsncpy_s(tile->name, _countof(tile->name), shown, _TRUNCATE);
    }
    tile->kind = line->kind;
    tile->backColor = line->backColor;
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

// Writes bytes as a new file of its own, shared with no one while it is written; flushed
// to the disk when asked. True on success.
static bool WriteNewFile(const wchar_t* path, const void* bytes, DWORD size, bool flush)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes, size, &written, NULL) && written == size;
    if (ok && flush)
        ok = FlushFileBuffers(file) != FALSE;
    return CloseHandle(file) && ok;
}

static int CreateEmptyConfigFile(const wchar_t* path)
{
    if (!WriteNewFile(path, &ByteOrderMark, sizeof(ByteOrderMark), false))
        return ConfigFileUnusable();
    return 0;
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
    // Two bytes more than the file: room for the terminator of UTF-16 text decoded in place.
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

static void ReadSettingsLine(TextCursor* text, wchar_t* line, size_t capacity)
{
    int read = ReadConfigLine(text, line, capacity);
    if (read == 0)
        return;
    int values[SettingsFieldCount];
    if (read < 0 || ParseSettingsLine(line, values) != 0) {
        MessageBoxW(MainWindow, L"The Configuration File settings can not be read. Using default program settings",
                    L"ERROR - Configuration File Settings Unreadable", MB_ICONWARNING);
        return;
    }
    ApplySettingsValues(values);
}

// Start-up replaces a file of another format version with defaults; the old file is first
// kept beside it as "Vantrel.cfg.v0004" (the version it names), or the next free name
// "Vantrel.cfg.v0004-2" and so on, never overwriting one kept before. False when it could
// not be kept.
static bool KeepFileOfOtherVersion(const wchar_t* path, const wchar_t* header)
{
    wchar_t suffix[16] = L".v";
    bool ended = false;
    for (int i = 0; i < 4; i++) {
        wchar_t c = ended ? L'\0' : header[4 + i];
        ended = ended || c == L'\0';
        suffix[2 + i] = c >= L'0' && c <= L'9' ? c : L'x';
    }
    suffix[6] = L'\0';
    for (int copy = 1; copy < 1000; copy++) {
        wchar_t kept[ComposedPathCapacity];
        wchar_t name[32];
        if (copy == 1)
            wcscpy_s(name, _countof(name), suffix);
        else
            swprintf_s(name, _countof(name), L"%ls-%d", suffix, copy);
        if (ComposePath(kept, _countof(kept), path, name) != 0)
            return false;
        if (CopyFileW(path, kept, TRUE))
            return true;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// Applies the header, the settings line and the tile lines of the decoded text. 0, -2 for
// another format version (kept beside the file), or -3 when that file could not be kept.
static int ApplyConfigText(TextCursor* text, const wchar_t* path)
{
    static wchar_t line[ConfigLineCapacity];
    static TileLine tileLine;
    int read = ReadConfigLine(text, line, _countof(line));
    int version = 0;
    if (read == 1 && ReadHeaderVersion(line, &version)) {
        if (version != 3)
            return KeepFileOfOtherVersion(path, line) ? -2 : ConfigFileUnusable();
        ReadSettingsLine(text, line, _countof(line));
    }
    for (;;) {
        read = ReadConfigLine(text, line, _countof(line));
        if (read == 0)
            return 0;
        if (read < 0 || wcsncmp(line, L"//", 2) == 0)
            continue;
        if (ParseTileLine(line, &tileLine) == 0)
            ApplyTileLine(&tileLine);
    }
}

int LoadConfig(void)
{
    wchar_t path[ComposedPathCapacity];
    int status = PrepareConfigFolder(L"CreateDirectoryW() return code = %d", L"This is Vantrel", path, _countof(path));
    if (status != 0)
        return status;

    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return CreateEmptyConfigFile(path);
        return ConfigFileUnusable();
    }
    // An existing file that cannot be read whole is left exactly as it is: a read that
    // stopped part-way must not pass for the end of the file, or the next save would
    // replace the file with the tiles read so far. A file that begins with the big-endian
    // mark FE FF is refused as Windows' runtime refuses to open it.
    unsigned char* bytes = NULL;
    size_t size = 0;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !ReadWholeFile(path, &bytes, &size))
        return ConfigFileUnusable();
    // UTF-16 text is decoded where it was read; UTF-8 needs a block of its own.
    bool utf8 = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    bool bigEndian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    wchar_t* decoded = utf8 ? (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (size + 1) * sizeof(wchar_t)) : (wchar_t*)bytes;
    if (bigEndian || decoded == NULL) {
        HeapFree(GetProcessHeap(), 0, bytes);
        return ConfigFileUnusable();
    }
    size_t length = DecodeConfigText(bytes, size, decoded);
    TextCursor text = { decoded, decoded + length };
    status = ApplyConfigText(&text, path);
    if (decoded != (wchar_t*)bytes)
        HeapFree(GetProcessHeap(), 0, decoded);
    HeapFree(GetProcessHeap(), 0, bytes);
    return status;
}

// True when another process holds the file open, so that it may not be replaced now.
static bool ConfigFileInUse(const wchar_t* path)
{
    HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    CloseHandle(handle);
    return false;
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

// The file's content, built whole in memory so that it is written with one call.
struct ContentBuffer {
    wchar_t* text;
    size_t length;
    size_t capacity;
};

// Room for at least `needed` more characters. false when memory runs out.
static bool ReserveContent(ContentBuffer* content, size_t needed)
{
    if (content->length + needed <= content->capacity)
        return true;
    size_t capacity = content->capacity * 2 + needed;
    void* grown = content->text == NULL ? HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(wchar_t))
                                        : HeapReAlloc(GetProcessHeap(), 0, content->text, capacity * sizeof(wchar_t));
    if (grown == NULL)
        return false;
    content->text = (wchar_t*)grown;
    content->capacity = capacity;
    return true;
}

// Appends a line as the file stores it (every LF as CR LF). false when memory runs out.
static bool AppendEncoded(ContentBuffer* content, const wchar_t* line)
{
    size_t length = wcslen(line);
    if (!ReserveContent(content, 2 * length))
        return false;
    content->length += EncodeConfigText(line, length, content->text + content->length);
    return true;
}

// Room for a typical line per filled tile from the start: growing a block of megabytes
// step by step would copy it again and again.
static const size_t TypicalLineLength = 256;

static bool BuildConfigContent(ContentBuffer* content)
{
    static wchar_t line[ConfigLineCapacity];
    int values[SettingsFieldCount];
    GatherSettingsValues(values);
    size_t filled = 0;
    for (const Tile& tile : TileGrid)
        filled += tile.filled ? 1 : 0;
    if (!ReserveContent(content, (filled + 2) * TypicalLineLength))
        return false;

    const wchar_t start[] = { ByteOrderMark, L'\0' };
    if (!AppendEncoded(content, start) || !AppendEncoded(content, ConfigHeaderLine) || !AppendEncoded(content, L"\n"))
        return false;
    if (FormatSettingsLine(values, line, _countof(line)) < 0 || !AppendEncoded(content, line))
        return false;
    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            const Tile* tile = TileAt(row, column);
            if (!tile->filled)
                continue;
            if (FormatTileLine(row, column, tile, line, _countof(line)) < 0 || !AppendEncoded(content, line))
                return false;
        }
    }
    return true;
}

int SaveConfig(void)
{
    wchar_t path[ComposedPathCapacity];
    wchar_t temp[ComposedPathCapacity];
    int status =
        PrepareConfigFolder(L"CreateDirectoryW return code = %d", L"This is Vantrel - msg 101", path, _countof(path));
    if (status != 0)
        return status;
    if (ComposePath(temp, _countof(temp), path, L".new") != 0)
        return -1;
    if (ConfigFileInUse(path))
        return -1;

    ContentBuffer content = {};
    bool built = BuildConfigContent(&content);
    // The new content is written beside the file, flushed to the disk, and only then
    // replaces it in one step: a crash or power loss leaves either the old file or the new
    // one, never a part.
    bool written = built && content.length * sizeof(wchar_t) <= MAXDWORD &&
                   WriteNewFile(temp, content.text, (DWORD)(content.length * sizeof(wchar_t)), true);
    if (content.text != NULL)
        HeapFree(GetProcessHeap(), 0, content.text);
    if (!written || !MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp);
        return -1;
    }
    return 0;
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
