#include "config/ConfigReader.h"

#include <wchar.h>

#include "config/ConfigFormat.h"
#include "config/ConfigText.h"

// Reads the settings line and hands it on; false when there was one that could not be read, or
// one that held more than its twelve values.
static bool ReadSettingsLine(ConfigText* text, wchar_t* line, size_t capacity, const ConfigReader* reader)
{
    int read = ReadConfigLine(text, line, capacity, NULL);
    if (read == 0)
        return true;
    int values[SettingsFieldCount];
    int parsed = read < 0 ? -1 : ParseSettingsLine(line, values);
    if (reader->settings != NULL)
        reader->settings(parsed < 0 ? NULL : values, reader->context);
    return parsed == 0;
}

static bool IsBlankLine(const wchar_t* line)
{
    return line[wcsspn(line, L" \t\r\n")] == L'\0';
}

// Hands the settings line and the tile lines of the decoded text to reader. 0, or -2 for
// another format version (*header then holds its first line). *leftOut tells whether anything
// the text holds was not taken as it is: content without a header, an unreadable settings
// line, a line refused, skipped, given again for the same cell or with fields left over, bytes
// that are no text or were read in a guessed code page.
static int ReadConfigText(ConfigText* text, const ConfigReader* reader, wchar_t* header, size_t headerCapacity,
                          bool* leftOut)
{
    static wchar_t line[ConfigLineCapacity];
    static TileLine tileLine;
    *leftOut = text->notTakenAsIs;
    int read = ReadConfigLine(text, line, _countof(line), NULL);
    int version = 0;
    if (read == 1 && ReadHeaderVersion(line, &version)) {
        if (version != 3) {
            wcsncpy_s(header, headerCapacity, line, _TRUNCATE);
            return -2;
        }
        *leftOut = !ReadSettingsLine(text, line, _countof(line), reader) || *leftOut;
    } else if (read != 0) {
        *leftOut = *leftOut || read < 0 || !IsBlankLine(line);
    }
    for (;;) {
        read = ReadConfigLine(text, line, _countof(line), NULL);
        if (read == 0)
            return 0;
        int parsed = read < 0 || wcsncmp(line, L"//", 2) == 0 ? -1 : ParseTileLine(line, &tileLine);
        if (parsed >= 0)
            *leftOut = !reader->tile(&tileLine, reader->context) || parsed > 0 || *leftOut;
        else
            *leftOut = *leftOut || read < 0 || !IsBlankLine(line);
    }
}

int ReadConfigBytesWith(const unsigned char* bytes, size_t size, const ConfigReader* reader, wchar_t* header,
                        size_t headerCapacity, bool* leftOut)
{
    // UTF-16 text is read where it lies, in one pass; 8-bit text needs a block of its own.
    bool eightBit = ConfigTextIsUtf8(bytes, size);
    wchar_t* decoded = eightBit ? (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (size + 1) * sizeof(wchar_t)) : NULL;
    if (eightBit && decoded == NULL)
        return -3;
    ConfigText text;
    StartConfigText(bytes, size, decoded, &text);
    int status = ReadConfigText(&text, reader, header, headerCapacity, leftOut);
    if (decoded != NULL)
        HeapFree(GetProcessHeap(), 0, decoded);
    return status;
}
