#include "config/ConfigText.h"

#include <string.h>
#include <wchar.h>
#include <windows.h>

static const wchar_t EndOfText = 0x1A;   // CTRL+Z

static bool HasUtf8Mark(const unsigned char* bytes, size_t size)
{
    return size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

bool ConfigTextIsUtf8(const unsigned char* bytes, size_t size)
{
    return HasUtf8Mark(bytes, size) || (size >= 4 && memcmp(bytes, "//#v", 4) == 0);
}

void StartConfigText(const unsigned char* bytes, size_t size, wchar_t* decodedText, ConfigText* text)
{
    text->notTakenAsIs = false;
    if (ConfigTextIsUtf8(bytes, size)) {
        size_t skipped = HasUtf8Mark(bytes, size) ? 3 : 0;
        const char* start = (const char*)bytes + skipped;
        int count = (int)(size - skipped);
        int decoded = count > 0 ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, start, count, decodedText, count + 1) : 0;
        // Bytes that are not UTF-8 come from an editor that saved in the system's code page;
        // read so, they keep their letters, where UTF-8 would make each one a U+FFFD.
        if (count > 0 && decoded == 0) {
            decoded = MultiByteToWideChar(CP_ACP, 0, start, count, decodedText, count + 1);
            text->notTakenAsIs = true;
        }
        text->next = decodedText;
        text->end = decodedText + (decoded > 0 ? decoded : 0);
    } else {
        size_t offset = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
        text->next = (const wchar_t*)(bytes + offset);
        text->end = text->next + (size - offset) / 2;
        text->notTakenAsIs = (size - offset) % 2 != 0;   // a last odd byte is no character
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

static bool OnlyEndMarksFrom(const wchar_t* p, const wchar_t* end)
{
    while (p < end && *p == EndOfText)
        p++;
    return p == end;
}

int ReadConfigLine(ConfigText* text, wchar_t* line, size_t capacity, size_t* length)
{
    const wchar_t* p = text->next;
    size_t n = 0;
    bool refused = false;
    while (p < text->end) {
        // Characters taken as they are, a run at a time.
        const wchar_t* run = p;
        while (p < text->end && *p >= 0x20)
            p++;
        AppendToLine(run, (size_t)(p - run), line, capacity, &n);
        if (p == text->end)
            break;
        wchar_t c = *p++;
        if (c == L'\n' || c == L'\r') {
            if (c == L'\r' && p < text->end && *p == L'\n')
                p++;
            AppendToLine(L"\n", 1, line, capacity, &n);
            break;
        }
        // The mark that ends the text when a save wrote over a file it could not cut: the save
        // fills everything after it with the same mark. One followed by anything else was typed,
        // and refuses its line like any control character, so the lines after it are still read.
        if (c == EndOfText && n == 0 && OnlyEndMarksFrom(p, text->end)) {
            text->end = p - 1;
            break;
        }
        // Any other control character but the tab breaks what the line means.
        refused = refused || c != L'\t';
        AppendToLine(&c, 1, line, capacity, &n);
    }
    text->next = p;
    size_t kept = n + 1 < capacity ? n : (capacity > 0 ? capacity - 1 : 0);
    if (capacity > 0)
        line[kept] = L'\0';
    if (length != NULL)
        *length = kept;
    if (n == 0)
        return 0;
    return !refused && n + 1 <= capacity ? 1 : -1;
}
