#include "config/ConfigFormat.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

const wchar_t ConfigHeaderLine[] = L"//#v0003 DO NOT CHANGE THIS LINE";

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

// A field of a line, not terminated: where it begins, how long it is, and whether a comma
// follows it.
struct Token {
    const wchar_t* text;
    size_t length;
    bool separated;
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
    token->separated = *p == L',';
    *cursor = token->separated ? p + 1 : p;
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
    // Fields after the twelfth are not used; one that holds more than blanks is reported.
    for (Token extra; result == 0 && NextToken(&cursor, &extra);) {
        TrimToken(&extra);
        if (extra.length > 0)
            result = 1;
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
// comma and continues the field into the next token, unless a second comma follows at once:
// that one is the separator, and the text ends with a comma. Returns the field's length, or
// -1 when it does not fit; *separated tells whether a separator ended the field.
static int GatherTextField(const wchar_t** cursor, wchar_t* field, size_t capacity, bool* separated)
{
    size_t length = 0;
    for (;;) {
        Token token;
        NextToken(cursor, &token);   // none left: an empty token
        bool escaped = token.separated && token.length >= CommaEscapeLength &&
                       wmemcmp(token.text + token.length - CommaEscapeLength, CommaEscape, CommaEscapeLength) == 0;
        size_t partLength = escaped ? token.length - CommaEscapeLength : token.length;
        if (length + partLength + (escaped ? 1 : 0) >= capacity)
            return -1;
        wmemcpy(field + length, token.text, partLength);
        length += partLength;
        if (escaped)
            field[length++] = L',';
        field[length] = L'\0';
        *separated = token.separated;
        if (escaped && **cursor == L',') {
            (*cursor)++;
            return (int)length;
        }
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

    bool separated = false;
    int pathLength = GatherTextField(&cursor, tile->path, _countof(tile->path), &separated);
    int nameLength = pathLength < 0 ? -1 : GatherTextField(&cursor, tile->name, _countof(tile->name), &separated);
    if (nameLength < 0)
        return -1;
    // The path as TrimBlanks leaves it; of the name only a final line feed goes.
    Token path = { tile->path, (size_t)pathLength, false };
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
    // A separator after the name: a seventh field, from a comma written by hand.
    return separated ? 1 : 0;
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
