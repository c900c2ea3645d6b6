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

static const wchar_t EndOfText = 0x1A;   // CTRL+Z

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

// A field of a line, not terminated: where it begins and how long it is.
struct Token {
    const wchar_t* text;
    size_t length;
};

// The next token of a NUL-terminated line as wcstok with "," finds it: runs of commas
// separate, so an empty field is never seen. False when none is left; *cursor moves past the
// token and its comma. Reads the line in place, where wcstok would copy and cut it.
static bool NextToken(const wchar_t** cursor, Token* token)
{
    const wchar_t* p = *cursor;
    while (*p == L',')
        p++;
    const wchar_t* start = p;
    while (*p != L'\0' && *p != L',')
        p++;
    token->text = start;
    token->length = (size_t)(p - start);
    *cursor = *p == L',' ? p + 1 : p;
    return token->length > 0;
}

// TrimBlanks on a token: a final line feed, then blanks and tabs at both ends.
static void TrimToken(Token* token)
{
    if (token->length > 0 && token->text[token->length - 1] == L'\n')
        token->length--;
    while (token->length > 0 && IsBlank(token->text[0])) {
        token->text++;
        token->length--;
    }
    while (token->length > 0 && IsBlank(token->text[token->length - 1]))
        token->length--;
}

// A signed number field, already trimmed: at most maxLength characters, digits with an
// optional leading "-". Nothing, or a lone "-", reads as 0 (as wcstol reads them). False when
// the field is unreadable.
static bool ReadNumberField(Token token, size_t maxLength, bool allowSign, long* value)
{
    if (token.length > maxLength)
        return false;
    long number = 0;
    bool negative = false;
    for (size_t i = 0; i < token.length; i++) {
        wchar_t c = token.text[i];
        if (IsDigit(c))
            number = number * 10 + (c - L'0');
        else if (allowSign && i == 0 && c == L'-')
            negative = true;
        else
            return false;
    }
    *value = negative ? -number : number;
    return true;
}

int ParseSettingsLine(const wchar_t* line, int values[SettingsFieldCount])
{
    for (int i = 0; i < SettingsFieldCount; i++)
        values[i] = UnreadSetting;
    int result = 0;
    const wchar_t* cursor = line;
    for (int i = 0; i < SettingsFieldCount; i++) {
        Token token;
        // A line with fewer than twelve fields cannot be trusted: later values moved up.
        if (!NextToken(&cursor, &token))
            return -1;
        long value = 0;
        TrimToken(&token);
        if (ReadNumberField(token, 4, true, &value))
            values[i] = (int)value;
        else
            result = -1;
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
// comma and continues the field into the next token. Returns the field's length, or -1 when
// it does not fit.
static int GatherTextField(const wchar_t** cursor, wchar_t* field, size_t capacity)
{
    size_t length = 0;
    for (;;) {
        Token token;
        NextToken(cursor, &token);   // none left: an empty token
        bool escaped = token.length >= CommaEscapeLength &&
                       wmemcmp(token.text + token.length - CommaEscapeLength, CommaEscape, CommaEscapeLength) == 0;
        size_t partLength = escaped ? token.length - CommaEscapeLength : token.length;
        if (length + partLength + (escaped ? 1 : 0) >= capacity)
            return -1;
        wmemcpy(field + length, token.text, partLength);
        length += partLength;
        if (escaped)
            field[length++] = L',';
        field[length] = L'\0';
        if (!escaped)
            return (int)length;
    }
}

// The next token as a number field; blanks only read as 0.
static bool ReadNextNumber(const wchar_t** cursor, size_t maxLength, bool allowSign, long* value)
{
    Token token;
    if (!NextToken(cursor, &token))
        return false;
    TrimToken(&token);
    return ReadNumberField(token, maxLength, allowSign, value);
}

// A row or a column: one to three digits, 1 to last.
static bool ReadPosition(const wchar_t** cursor, long last, long* value)
{
    Token token;
    if (!NextToken(cursor, &token))
        return false;
    TrimToken(&token);
    return token.length > 0 && ReadNumberField(token, 3, false, value) && *value >= 1 && *value <= last;
}

int ParseTileLine(const wchar_t* line, TileLine* tile)
{
    const wchar_t* cursor = line;
    long row = 0, column = 0, kind = 0, color = 0;
    // -1 is the kind the program itself writes for a target it could not find.
    if (!ReadPosition(&cursor, MaxRows, &row) || !ReadPosition(&cursor, MaxColumns, &column) ||
        !ReadNextNumber(&cursor, 4, true, &kind) || kind < TileKind::NotOnDisk ||
        !ReadNextNumber(&cursor, 8, false, &color))
        return -1;

    int pathLength = GatherTextField(&cursor, tile->path, _countof(tile->path));
    int nameLength = pathLength < 0 ? -1 : GatherTextField(&cursor, tile->name, _countof(tile->name));
    if (nameLength < 0)
        return -1;
    // The path as TrimBlanks leaves it; of the name only a final line feed goes.
    Token path = { tile->path, (size_t)pathLength };
    TrimToken(&path);
    if (nameLength > 0 && tile->name[nameLength - 1] == L'\n')
        tile->name[--nameLength] = L'\0';

    // A text longer than the tile can hold is never loaded shortened.
    if (path.length == 0 || path.length >= TileTextCapacity || (size_t)nameLength >= TileTextCapacity)
        return -1;
    wmemmove(tile->path, path.text, path.length);
    tile->path[path.length] = L'\0';
    tile->pathLength = path.length;
    tile->nameLength = (size_t)nameLength;
    tile->row = (int)row;
    tile->column = (int)column;
    tile->kind = (int)kind;
    tile->backColor = (COLORREF)color;
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
    bool fileForm;   // every line feed written as CR LF, as the file stores it
};

static void Put(LineWriter* line, wchar_t c)
{
    if (c == L'\n' && line->fileForm)
        Put(line, L'\r');
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

// The same into room known to be large enough, a run between two commas at a time: the
// save writes 5,000 of these.
static wchar_t* CopyEscaped(wchar_t* out, const wchar_t* text, bool fileForm)
{
    for (;;) {
        const wchar_t* run = text;
        while (*text != L'\0' && *text != L',' && *text != L'\n')
            text++;
        wmemcpy(out, run, (size_t)(text - run));
        out += text - run;
        if (*text == L'\0')
            return out;
        if (*text == L',') {
            wmemcpy(out, CommaEscape, CommaEscapeLength);
            out += CommaEscapeLength;
        } else if (fileForm) {
            *out++ = L'\r';
        }
        *out++ = *text++;
    }
}

// Written by hand rather than through the runtime's formatter: saving 5,000 tiles spent
// most of its time there.
static int WriteTileLine(int row, int column, const Tile* tile, wchar_t* out, size_t capacity, bool fileForm)
{
    LineWriter line = { out, capacity, 0, capacity == 0, fileForm };
    PutNumber(&line, row);
    Put(&line, L',');
    PutNumber(&line, column);
    Put(&line, L',');
    PutNumber(&line, tile->kind);
    Put(&line, L',');
    PutNumber(&line, (int)tile->backColor);
    Put(&line, L',');
    // Both texts, every character escaped, and the line's end fit what is left: no checks.
    bool roomy = !line.full && line.capacity - line.length > 2 * (CommaEscapeLength + 1) * TileTextCapacity + 8;
    if (roomy) {
        wchar_t* out = CopyEscaped(line.out + line.length, tile->path, fileForm);
        if (PathNeedsGuard(tile->path))
            *out++ = L' ';
        *out++ = L',';
        out = CopyEscaped(out, tile->name, fileForm);
        line.length = (size_t)(out - line.out);
    } else {
        PutEscaped(&line, tile->path);
        if (PathNeedsGuard(tile->path))
            Put(&line, L' ');
        Put(&line, L',');
        PutEscaped(&line, tile->name);
    }
    Put(&line, L'\n');
    if (line.full)
        return -1;
    out[line.length] = L'\0';
    return (int)line.length;
}

int FormatTileLine(int row, int column, const Tile* tile, wchar_t* out, size_t capacity)
{
    return WriteTileLine(row, column, tile, out, capacity, false);
}

int FormatTileLineForFile(int row, int column, const Tile* tile, wchar_t* out, size_t capacity)
{
    return WriteTileLine(row, column, tile, out, capacity, true);
}


static bool HasUtf8Mark(const unsigned char* bytes, size_t size)
{
    return size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

bool ConfigTextIsUtf8(const unsigned char* bytes, size_t size)
{
    return HasUtf8Mark(bytes, size) || (size >= 4 && memcmp(bytes, "//#v", 4) == 0);
}

void StartConfigText(const unsigned char* bytes, size_t size, wchar_t* utf8Text, ConfigText* text)
{
    if (ConfigTextIsUtf8(bytes, size)) {
        // CTRL+Z is one byte in UTF-8: the text ends there before it is decoded.
        size_t skipped = HasUtf8Mark(bytes, size) ? 3 : 0;
        const unsigned char* start = bytes + skipped;
        const unsigned char* stop = (const unsigned char*)memchr(start, EndOfText, size - skipped);
        size_t count = stop != NULL ? (size_t)(stop - start) : size - skipped;
        int decoded = count > 0 ? MultiByteToWideChar(CP_UTF8, 0, (const char*)start, (int)count, utf8Text, (int)count + 1) : 0;
        text->next = utf8Text;
        text->end = utf8Text + (decoded > 0 ? decoded : 0);
    } else {
        size_t offset = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
        text->next = (const wchar_t*)(bytes + offset);
        text->end = text->next + (size - offset) / 2;   // a last odd byte is no character
    }
}

// Puts characters at the end of a line being read, as far as the buffer holds them; the
// length counts them all.
static void AppendToLine(const wchar_t* characters, size_t count, wchar_t* line, size_t capacity, size_t* length)
{
    size_t kept = *length < capacity ? *length : capacity;
    size_t room = kept + 1 < capacity ? capacity - 1 - kept : 0;
    wmemcpy(line + kept, characters, count < room ? count : room);
    *length += count;
}

int ReadConfigLine(ConfigText* text, wchar_t* line, size_t capacity, size_t* length)
{
    const wchar_t* p = text->next;
    size_t n = 0;
    bool holdsNul = false;
    while (p < text->end) {
        // Characters that text mode passes on as they are, a run at a time.
        const wchar_t* run = p;
        while (p < text->end && *p >= 0x20)
            p++;
        AppendToLine(run, (size_t)(p - run), line, capacity, &n);
        if (p == text->end)
            break;
        wchar_t c = *p++;
        if (c == EndOfText) {
            text->end = p - 1;
            break;
        }
        if (c == L'\r' && p < text->end && *p == L'\n')
            c = *p++;   // CR LF reads as LF
        holdsNul = holdsNul || c == L'\0';
        AppendToLine(&c, 1, line, capacity, &n);
        if (c == L'\n')
            break;
    }
    text->next = p;
    size_t kept = n + 1 < capacity ? n : (capacity > 0 ? capacity - 1 : 0);
    if (capacity > 0)
        line[kept] = L'\0';
    if (length != NULL)
        *length = kept;
    if (n == 0)
        return 0;
    return !holdsNul && n + 1 <= capacity ? 1 : -1;
}

int EncodeConfigText(const wchar_t* text, size_t length, wchar_t* out, size_t capacity)
{
    LineWriter writer = { out, capacity, 0, capacity == 0, true };
    for (size_t i = 0; i < length; i++)
        Put(&writer, text[i]);
    if (writer.full)
        return -1;
    out[writer.length] = L'\0';
    return (int)writer.length;
}
