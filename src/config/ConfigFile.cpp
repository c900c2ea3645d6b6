#include "config/ConfigFile.h"

#include <io.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <stdio.h>
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

// Reads one line, line feed included. Returns 1 for a line, 0 at the end of the file, and
// -1 for a line that cannot be taken whole (too long for the buffer, or holding a NUL):
// its rest is consumed, so it never comes back as a line of its own.
static int ReadConfigLine(FILE* file, wchar_t* line, size_t capacity)
{
    size_t length = 0;
    bool whole = true;
    wint_t c = fgetwc(file);
    if (c == WEOF)
        return 0;
    for (; c != WEOF; c = fgetwc(file)) {
        if (c == L'\0' || length + 1 >= capacity)
            whole = false;
        else
            line[length++] = (wchar_t)c;
        if (c == L'\n')
            break;
    }
    line[length] = L'\0';
    return whole ? 1 : -1;
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

// True for a file that begins with the big-endian byte order mark FE FF. Windows' runtime
// refuses to open such a file in UTF-16LE mode, other runtimes would read it as garbage;
// either way it must not be read, nor replaced by the next save.
static bool StartsBigEndian(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    unsigned char mark[2] = {};
    DWORD read = 0;
    BOOL ok = ReadFile(file, mark, sizeof(mark), &read, NULL);
    CloseHandle(file);
    return ok && read == 2 && mark[0] == 0xFE && mark[1] == 0xFF;
}

// The file can be neither read nor created: -3, after telling the user.
static int ConfigFileUnusable(void)
{
    MessageBoxW(MainWindow, L"Couldn't Create Config File", L"Error - Vantrel ", MB_ICONWARNING);
    return -3;
}

static int CreateEmptyConfigFile(const wchar_t* path)
{
    FILE* file = NULL;
    if (_wfopen_s(&file, path, L"w, ccs=UTF-16LE") != 0 || file == NULL)
        return ConfigFileUnusable();
    fclose(file);
    return 0;
}

static void ReadSettingsLine(FILE* file, wchar_t* line, size_t capacity)
{
    int read = ReadConfigLine(file, line, capacity);
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

int LoadConfig(void)
{
    static wchar_t line[ConfigLineCapacity];
    static TileLine tileLine;
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
    // An existing file that cannot be read is left exactly as it is.
    FILE* file = NULL;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || StartsBigEndian(path) ||
        _wfopen_s(&file, path, L"r, ccs=UTF-16LE") != 0 || file == NULL)
        return ConfigFileUnusable();
    if (feof(file)) {
        fclose(file);
        return -1;
    }

    int read = ReadConfigLine(file, line, _countof(line));
    int version = 0;
    if (read == 1 && ReadHeaderVersion(line, &version)) {
        if (version != 3) {
            fclose(file);
            return -2;
        }
        ReadSettingsLine(file, line, _countof(line));
    }

    for (;;) {
        read = ReadConfigLine(file, line, _countof(line));
        if (read == 0)
            break;
        if (read < 0 || wcsncmp(line, L"//", 2) == 0)
            continue;
        if (ParseTileLine(line, &tileLine) == 0)
            ApplyTileLine(&tileLine);
    }
    fclose(file);
    return 0;
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

static bool WriteConfigContent(FILE* file)
{
    static wchar_t line[ConfigLineCapacity];
    int values[SettingsFieldCount];
    GatherSettingsValues(values);

    fputws(ConfigHeaderLine, file);
    fputws(L"\n", file);
    if (FormatSettingsLine(values, line, _countof(line)) < 0)
        return false;
    fputws(line, file);

    for (int row = 1; row <= MaxRows; row++) {
        for (int column = 1; column <= MaxColumns; column++) {
            const Tile* tile = TileAt(row, column);
            if (!tile->filled)
                continue;
            if (FormatTileLine(row, column, tile, line, _countof(line)) < 0)
                return false;
            fputws(line, file);
        }
    }
    return ferror(file) == 0;
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

    // The new content is written beside the file and replaces it in one step, so that a
    // crash or power loss leaves either the old file or the new one, never a part.
    FILE* file = NULL;
    if (_wfopen_s(&file, temp, L"w, ccs=UTF-16LE") != 0 || file == NULL)
        return -1;
    bool written = WriteConfigContent(file);
    // On the disk before the rename, so that a power loss cannot keep the name but not the data.
    if (fflush(file) != 0 || _commit(_fileno(file)) != 0)
        written = false;
    if (fclose(file) != 0)
        written = false;
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
