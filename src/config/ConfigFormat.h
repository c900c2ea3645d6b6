// The text rules of the configuration file: escaping, trimming, and the parsers and
// writers of its lines. Nothing here touches a file or a window.
#pragma once
#include <stddef.h>

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

// Parses a settings line into twelve values. Returns 0 when every field was readable;
// -1 otherwise, with UnreadSetting in each field that was not.
int ParseSettingsLine(const wchar_t* line, int values[SettingsFieldCount]);

// Applies twelve readable settings values to AppSettings and the selection.
void ApplySettingsValues(const int values[SettingsFieldCount]);

struct TileLine {
    int row;
    int column;
    int kind;
    COLORREF backColor;
    wchar_t path[TileTextCapacity];
    wchar_t name[TileTextCapacity];
};

// Parses a tile line. Returns 0 when it is valid; -1 when it must be skipped.
int ParseTileLine(const wchar_t* line, TileLine* tile);

// Writes the settings line (with its line feed); returns the length or -1. Values are
// brought into -999..9999, the range the reader's four-character fields take back.
int FormatSettingsLine(const int values[SettingsFieldCount], wchar_t* out, size_t capacity);

// Writes the line of a filled tile (with its line feed); returns the length or -1.
int FormatTileLine(int row, int column, const Tile* tile, wchar_t* out, size_t capacity);

// True when the file's bytes are UTF-8: after the mark EF BB BF, or without a mark when they
// begin with the ASCII "//#v" of a header, which no UTF-16 text can begin with (an editor
// leaves that after a hand edit).
bool ConfigTextIsUtf8(const unsigned char* bytes, size_t size);

// The text of the file's bytes as the runtime's text mode reads it: UTF-8 (see above), else
// UTF-16LE after an optional FF FE; CR LF becomes LF, a CTRL+Z ends the text, a last odd
// byte is dropped and malformed UTF-8 becomes U+FFFD. out holds at least size + 1
// characters, or for UTF-16 text size / 2 + 1 and may then be the bytes themselves; returns
// the text's length. The caller refuses FE FF.
size_t DecodeConfigText(const unsigned char* bytes, size_t size, wchar_t* out);

// Appends text to out as the runtime's text mode writes it in UTF-16LE: every LF as
// CR LF. out holds at least 2 x length characters; returns the characters appended.
size_t EncodeConfigText(const wchar_t* text, size_t length, wchar_t* out);
