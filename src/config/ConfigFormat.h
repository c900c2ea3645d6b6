// The text rules of the configuration file: escaping, trimming, and the parsers and
// writers of its lines (the tile lines are written in TileLineWriter.cpp). Nothing here
// touches a file or a window.
#pragma once
#include <stddef.h>

#include "config/ConfigText.h"
#include "model/TileGrid.h"

enum {
    SettingsFieldCount = 12,
    // A text of 359 commas escapes to 5 x 359 characters; one more for a guarding blank.
    EscapedTextCapacity = (TileTextCapacity - 1) * 5 + 2,
    // The longest line the writer can produce, with room to spare.
    ConfigLineCapacity = 4096,
    UnreadSetting = -99999
};

// Positions of the twelve values of the settings line.
enum SettingsField {
    FieldWindowLeft, FieldWindowTop, FieldWindowWidth, FieldWindowHeight,
    FieldScrollH, FieldScrollV, FieldHotkeyKey, FieldHotkeyRegistered,
    FieldRows, FieldColumns, FieldSelectedRow, FieldSelectedColumn
};

extern const wchar_t ConfigHeaderLine[];

// What a comma in a text is written as, with the comma after it.
constexpr wchar_t CommaEscape[] = L"#^e$";
constexpr size_t CommaEscapeLength = 4;

// The text with every comma written as "#^e$,", in a buffer owned by the function that
// stays valid until the next call.
const wchar_t* EscapeCommas(const wchar_t* text);

// The same into a caller's buffer; returns the length, or -1 when it does not fit.
int EscapeCommasInto(const wchar_t* text, wchar_t* out, size_t capacity);

// Removes a final line feed, then leading and trailing blanks and tabs, in place.
void TrimBlanks(wchar_t* text);

// The value of exactly four decimal digits, else -1.
int ParseFourDigits(const wchar_t* text);

// 0 when the line is not a header ("//#v" missing), else 1 with the version in *version
// (-1 when the four characters after "//#v" are not digits).
int ReadHeaderVersion(const wchar_t* line, int* version);

// Parses a settings line into twelve values. Returns 0 when every field was readable; 1 when
// they were but the line holds more fields, which are left out; -1 otherwise, with
// UnreadSetting in each field that was not.
int ParseSettingsLine(const wchar_t* line, int values[SettingsFieldCount]);

// Applies twelve readable settings values to AppSettings and the selection.
void ApplySettingsValues(const int values[SettingsFieldCount]);

// A tile line read: the texts are gathered where they stay, as long as a line may make them,
// and are shorter than a tile's texts once the line is valid.
struct TileLine {
    int row;
    int column;
    int kind;
    COLORREF backColor;
    size_t pathLength;
    size_t nameLength;
    wchar_t path[ConfigLineCapacity];
    wchar_t name[ConfigLineCapacity];
};

// Parses a tile line. Returns 0 when it is valid; 1 when it is valid but holds more than six
// fields (an unescaped comma in a name): the sixth is the name and the rest is left out; -1
// when it must be skipped.
int ParseTileLine(const wchar_t* line, TileLine* tile);

// Writes the settings line (with its line feed); returns the length or -1. Values are
// brought into -999..9999, the range the reader's four-character fields take back.
int FormatSettingsLine(const int values[SettingsFieldCount], wchar_t* out, size_t capacity);

// Writes the line of a filled tile (with its line feed); returns the length or -1.
int FormatTileLine(int row, int column, const Tile* tile, wchar_t* out, size_t capacity);

// The line of a filled tile as the file stores it, every line feed as CR LF; returns the
// length or -1.
int FormatTileLineForFile(int row, int column, const Tile* tile, wchar_t* out, size_t capacity);

// Writes text as the file stores it in UTF-16LE, every LF as CR LF, and terminates it.
// Returns the characters written, or -1 when they do not fit capacity.
int EncodeConfigText(const wchar_t* text, size_t length, wchar_t* out, size_t capacity);
