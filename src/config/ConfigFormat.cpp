#include "config/ConfigFormat.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

const wchar_t ConfigHeaderLine[] = L"//#v0003 DO NOT CHANGE THIS LINE";

static const wchar_t CommaEscape[] = L"#^e$";
static const size_t CommaEscapeLength = 4;
static const int ConfigVersion = 3;

static wchar_t escapeBuffer[EscapedTextCapacity];

// Only ASCII digits: wcstol reads nothing else, so any other "digit" would come out as 0.
static bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

int EscapeCommasInto(const wchar_t* text, wchar_t* out, size_t capacity)
{
    if (capacity == 0)
        return -1;
    size_t length = 0;
    for (const wchar_t* p = text; *p != L'\0'; p++) {
        size_t needed = *p == L',' ? CommaEscapeLength + 1 : 1;
        if (length + needed >= capacity)
            return -1;
        if (*p == L',') {
            wmemcpy(out + length, CommaEscape, CommaEscapeLength);
            length += CommaEscapeLength;
        }
        out[length++] = *p;
    }
    out[length] = L'\0';
    return (int)length;
}

const wchar_t* EscapeCommas(const wchar_t* text)
{
    if (EscapeCommasInto(text, escapeBuffer, _countof(escapeBuffer)) < 0)
        escapeBuffer[0] = L'\0';
    return escapeBuffer;
}

static bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

void TrimBlanks(wchar_t* text)
{
    if (text == NULL)
        return;
    size_t length = wcslen(text);
    if (length > 0 && text[length - 1] == L'\n')
        text[--length] = L'\0';
    size_t start = 0;
    while (start < length && IsBlank(text[start]))
        start++;
    size_t end = length;
    while (end > start && IsBlank(text[end - 1]))
        end--;
    wmemmove(text, text + start, end - start);
    text[end - start] = L'\0';
}

int ParseFourDigits(const wchar_t* text)
{
    if (wcslen(text) != 4)
        return -1;
    for (int i = 0; i < 4; i++)
        if (!IsDigit(text[i]))
            return -1;
    return (int)wcstol(text, NULL, 10);
}

int ReadHeaderVersion(const wchar_t* line, int* version)
{
    if (wcsncmp(line, L"//#v", 4) != 0)
        return 0;
    wchar_t digits[5] = {};
    for (int i = 0; i < 4 && line[4 + i] != L'\0'; i++)
        digits[i] = line[4 + i];
    *version = ParseFourDigits(digits);
    return 1;
}

// A signed number field: at most maxLength characters, digits with an optional leading
// "-". Blanks only read as 0. Returns false when the field is unreadable.
static bool ReadNumberField(wchar_t* token, size_t maxLength, bool allowSign, long* value)
{
    TrimBlanks(token);
    size_t length = wcslen(token);
    if (length > maxLength)
        return false;
    for (size_t i = 0; i < length; i++) {
        if (IsDigit(token[i]))
            continue;
        if (allowSign && i == 0 && token[i] == L'-')
            continue;
        return false;
    }
    *value = wcstol(token, NULL, 10);
    return true;
}

int ParseSettingsLine(const wchar_t* line, int values[SettingsFieldCount])
{
    static wchar_t work[ConfigLineCapacity];
    for (int i = 0; i < SettingsFieldCount; i++)
        values[i] = UnreadSetting;
    if (wcslen(line) >= _countof(work))
        return -1;
    wcscpy_s(work, _countof(work), line);

    int result = 0;
    wchar_t* context = NULL;
    wchar_t* token = wcstok_s(work, L",", &context);
    for (int i = 0; i < SettingsFieldCount; i++) {
        // A line with fewer than twelve fields cannot be trusted: later values moved up.
        if (token == NULL)
            return -1;
        long value = 0;
        if (ReadNumberField(token, 4, true, &value))
            values[i] = (int)value;
        else
            result = -1;
        token = wcstok_s(NULL, L",", &context);
    }
    return result;
}

static int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

void ApplySettingsValues(const int values[SettingsFieldCount])
{
    AppSettings.windowLeft = values[FieldWindowLeft];
    AppSettings.windowTop = values[FieldWindowTop];
    AppSettings.windowWidth = values[FieldWindowWidth];
    AppSettings.windowHeight = values[FieldWindowHeight];
    AppSettings.scrollPosH = values[FieldScrollH];
    AppSettings.scrollPosV = values[FieldScrollV];

    int key = values[FieldHotkeyKey];
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        AppSettings.hotkeyKey = key;
    int registered = values[FieldHotkeyRegistered];
    if (registered == 0 || registered == 1)
        AppSettings.hotkeyRegistered = registered;

    int rows = values[FieldRows];
    AppSettings.rows = rows < 1 ? 6 : rows > MaxRows ? MaxRows : rows;
    AppSettings.rowsHighWater = AppSettings.rows;
    int columns = values[FieldColumns];
    AppSettings.columns = columns < 1 ? 8 : columns > MaxColumns ? MaxColumns : columns;
    AppSettings.columnsHighWater = AppSettings.columns;

    int row = values[FieldSelectedRow];
    int column = values[FieldSelectedColumn];
    if (row > 0 && column > 0) {
        // A selection outside the grid in use is brought inside it, never past the array.
        MoveSelection(Clamp(row, 1, AppSettings.rows), Clamp(column, 1, AppSettings.columns));
    }
}

// Gathers one text field from the tokens: a token that ends in the escape stands for a
// comma and continues the field into the next token.
static bool GatherTextField(wchar_t** context, wchar_t* field, size_t capacity)
{
    size_t length = 0;
    field[0] = L'\0';
    for (;;) {
        wchar_t* token = wcstok_s(NULL, L",", context);
        if (token == NULL)
            token = (wchar_t*)L"";
        size_t tokenLength = wcslen(token);
        bool escaped = tokenLength >= CommaEscapeLength &&
                       wcscmp(token + tokenLength - CommaEscapeLength, CommaEscape) == 0;
        size_t partLength = escaped ? tokenLength - CommaEscapeLength : tokenLength;
        if (length + partLength + (escaped ? 1 : 0) >= capacity)
            return false;
        wmemcpy(field + length, token, partLength);
        length += partLength;
        if (escaped)
            field[length++] = L',';
        field[length] = L'\0';
        if (!escaped)
            return true;
    }
}

int ParseTileLine(const wchar_t* line, TileLine* tile)
{
    static wchar_t work[ConfigLineCapacity];
    static wchar_t path[ConfigLineCapacity];
    static wchar_t name[ConfigLineCapacity];
    if (wcslen(line) >= _countof(work))
        return -1;
    wcscpy_s(work, _countof(work), line);

    wchar_t* context = NULL;
    wchar_t* token = wcstok_s(work, L",", &context);
    long row = 0;
    if (token == NULL || !ReadNumberField(token, 3, false, &row) || token[0] == L'\0' || row < 1 || row > MaxRows)
        return -1;
    token = wcstok_s(NULL, L",", &context);
    long column = 0;
    if (token == NULL || !ReadNumberField(token, 3, false, &column) || token[0] == L'\0' || column < 1 ||
        column > MaxColumns)
        return -1;
    token = wcstok_s(NULL, L",", &context);
    long kind = 0;
    // -1 is what the program itself writes for a target it could not find.
    if (token == NULL || !ReadNumberField(token, 4, true, &kind) || kind < TileKind::NotOnDisk)
        return -1;
    token = wcstok_s(NULL, L",", &context);
    long color = 0;
    if (token == NULL || !ReadNumberField(token, 8, false, &color))
        return -1;

    if (!GatherTextField(&context, path, _countof(path)) || !GatherTextField(&context, name, _countof(name)))
        return -1;
    TrimBlanks(path);
    size_t nameLength = wcslen(name);
    if (nameLength > 0 && name[nameLength - 1] == L'\n')
        name[--nameLength] = L'\0';

    // A text longer than the tile can hold is never loaded shortened.
    size_t pathLength = wcslen(path);
    if (pathLength == 0 || pathLength >= TileTextCapacity || nameLength >= TileTextCapacity)
        return -1;

    tile->row = (int)row;
    tile->column = (int)column;
    tile->kind = (int)kind;
    tile->backColor = (COLORREF)color;
    wcscpy_s(tile->path, _countof(tile->path), path);
    wcscpy_s(tile->name, _countof(tile->name), name);
    return 0;
}

int FormatSettingsLine(const int values[SettingsFieldCount], wchar_t* out, size_t capacity)
{
    // A longer value (a window on a monitor left of the main one, say) would make the
    // whole line unreadable at the next start and cost every setting in it.
    int v[SettingsFieldCount];
    for (int i = 0; i < SettingsFieldCount; i++)
        v[i] = Clamp(values[i], -999, 9999);
    int length = _snwprintf_s(out, capacity, _TRUNCATE, L"%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", v[0], v[1], v[2],
                              v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
    return length < 0 ? -1 : length;
}

// A path whose text ends in a comma or in the escape itself would run on into the name
// when read back. The reader trims blanks from paths, so a blank after it ends it safely.
static bool PathNeedsGuard(const wchar_t* path)
{
    size_t length = wcslen(path);
    if (length > 0 && path[length - 1] == L',')
        return true;
    return length >= CommaEscapeLength && wcscmp(path + length - CommaEscapeLength, CommaEscape) == 0;
}

// Writes into a line buffer; once it is full, further characters are dropped and the
// line is refused.
struct LineWriter {
    wchar_t* out;
    size_t capacity;
    size_t length;
    bool full;
};

static void Put(LineWriter* line, wchar_t c)
{
    if (line->length + 1 < line->capacity)
        line->out[line->length++] = c;
    else
        line->full = true;
}

static void PutNumber(LineWriter* line, int value)
{
    wchar_t digits[12];
    int count = 0;
    unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
    do {
        digits[count++] = (wchar_t)(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        Put(line, L'-');
    while (count > 0)
        Put(line, digits[--count]);
}

static void PutEscaped(LineWriter* line, const wchar_t* text)
{
    for (const wchar_t* p = text; *p != L'\0'; p++) {
        if (*p == L',') {
            for (size_t i = 0; i < CommaEscapeLength; i++)
                Put(line, CommaEscape[i]);
        }
        Put(line, *p);
    }
}

// Written by hand rather than through the runtime's formatter: saving 5,000 tiles spent
// most of its time there.
int FormatTileLine(int row, int column, const Tile* tile, wchar_t* out, size_t capacity)
{
    LineWriter line = { out, capacity, 0, capacity == 0 };
    PutNumber(&line, row);
    Put(&line, L',');
    PutNumber(&line, column);
    Put(&line, L',');
    PutNumber(&line, tile->kind);
    Put(&line, L',');
    PutNumber(&line, (int)tile->backColor);
    Put(&line, L',');
    PutEscaped(&line, tile->path);
    if (PathNeedsGuard(tile->path))
        Put(&line, L' ');
    Put(&line, L',');
    PutEscaped(&line, tile->name);
    Put(&line, L'\n');
    if (line.full)
        return -1;
    out[line.length] = L'\0';
    return (int)line.length;
}

static const wchar_t EndOfText = 0x1A;   // CTRL+Z

// CR LF to LF and the end at CTRL+Z, on UTF-16 code units.
static size_t TranslateTextMode(const wchar_t* in, size_t length, wchar_t* out)
{
    size_t n = 0;
    for (size_t i = 0; i < length; i++) {
        if (in[i] == EndOfText)
            break;
        if (in[i] == L'\r' && i + 1 < length && in[i + 1] == L'\n')
            continue;
        out[n++] = in[i];
    }
    return n;
}

static bool HasUtf8Mark(const unsigned char* bytes, size_t size)
{
    return size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

bool ConfigTextIsUtf8(const unsigned char* bytes, size_t size)
{
    return HasUtf8Mark(bytes, size) || (size >= 4 && memcmp(bytes, "//#v", 4) == 0);
}

size_t DecodeConfigText(const unsigned char* bytes, size_t size, wchar_t* out)
{
    size_t length = 0;
    if (ConfigTextIsUtf8(bytes, size)) {
        // CR LF and CTRL+Z are single bytes in UTF-8: cut at CTRL+Z, decode, then translate.
        size_t skipped = HasUtf8Mark(bytes, size) ? 3 : 0;
        const unsigned char* start = bytes + skipped;
        const unsigned char* end = (const unsigned char*)memchr(start, EndOfText, size - skipped);
        size_t count = end != NULL ? (size_t)(end - start) : size - skipped;
        int decoded = count > 0 ? MultiByteToWideChar(CP_UTF8, 0, (const char*)start, (int)count, out, (int)count + 1) : 0;
        length = TranslateTextMode(out, decoded > 0 ? (size_t)decoded : 0, out);
    } else {
        size_t offset = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
        size_t units = (size - offset) / 2;   // a last odd byte is no character
        memmove(out, bytes + offset, units * sizeof(wchar_t));
        length = TranslateTextMode(out, units, out);
    }
    out[length] = L'\0';
    return length;
}

size_t EncodeConfigText(const wchar_t* text, size_t length, wchar_t* out)
{
    size_t n = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] == L'\n')
            out[n++] = L'\r';
        out[n++] = text[i];
    }
    return n;
}
