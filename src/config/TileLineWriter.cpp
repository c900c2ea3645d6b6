#include "config/ConfigFormat.h"

#include <wchar.h>

// A path whose text ends in the escape itself would read back as an escaped comma and run on
// into the name. The reader trims blanks from paths, so a blank after it ends it safely. (A
// path that ends in a comma needs nothing: its escaped comma and the separator stand side by
// side, which ends the field.)
static bool PathNeedsGuard(const wchar_t* path)
{
    size_t length = wcslen(path);
    return length >= CommaEscapeLength && wcscmp(path + length - CommaEscapeLength, CommaEscape) == 0;
}

// Control characters never enter a tile's texts; one that got there anyway must not break the
// line it is written on. The tab is kept, as the reader takes it.
static bool IsControl(wchar_t c)
{
    return c < 0x20 && c != L'\t';
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
        if (IsControl(*p))
            continue;
        if (*p == L',') {
            for (size_t i = 0; i < CommaEscapeLength; i++)
                Put(line, CommaEscape[i]);
        }
        Put(line, *p);
    }
}

// The same into room known to be large enough, a run between two commas at a time: the
// save writes 5,000 of these.
static wchar_t* CopyEscaped(wchar_t* destination, const wchar_t* text)
{
    for (;;) {
        const wchar_t* run = text;
        while (*text != L',' && !IsControl(*text))
            text++;
        wmemcpy(destination, run, (size_t)(text - run));
        destination += text - run;
        if (*text == L'\0')
            return destination;
        if (*text == L',') {
            wmemcpy(destination, CommaEscape, CommaEscapeLength);
            destination += CommaEscapeLength;
            *destination++ = L',';
        }
        text++;
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
        wchar_t* end = CopyEscaped(line.out + line.length, tile->path);
        if (PathNeedsGuard(tile->path))
            *end++ = L' ';
        *end++ = L',';
        end = CopyEscaped(end, tile->name);
        line.length = (size_t)(end - line.out);
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
