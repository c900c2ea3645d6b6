#include "model/TileLabel.h"

#include <windows.h>
#include <string.h>
#include <wchar.h>

int MakeTileLabel(const wchar_t* text, wchar_t* out, size_t capacity)
{
    if (capacity == 0)
        return 0;
    size_t length = wcslen(text);
    if (length > TileLabelLength)
        length = TileLabelLength;
    if (length > capacity - 1)
        length = capacity - 1;
    wmemcpy(out, text, length);
    out[length] = L'\0';

    if (length >= 4 && _wcsicmp(out + length - 4, L".exe") == 0) {
        length -= 4;
        out[length] = L'\0';
    }

    if (length > 0) {
        wchar_t first[2] = { out[0], L'\0' };
        CharUpperW(first);
        out[0] = first[0];
    }
    return (int)length;
}

static size_t WithoutTrailingBlanks(const wchar_t* text, size_t length)
{
    while (length > 0 && text[length - 1] == L' ')
        length--;
    return length;
}

int TileWholeName(const wchar_t* name, wchar_t* out, size_t capacity)
{
    if (capacity == 0)
        return 0;
    const size_t lineLength = TileLabelLength / 2;
    size_t length = wcslen(name);
    size_t first = length < lineLength ? length : lineLength;
    size_t kept = WithoutTrailingBlanks(name, first);
    size_t restLength = length > first ? WithoutTrailingBlanks(name + first, length - first) : 0;
    size_t n = 0;
    auto append = [&](const wchar_t* text, size_t count) {
        size_t room = capacity - 1 - n;
        count = count < room ? count : room;
        wmemcpy(out + n, text, count);
        n += count;
    };
    append(name, kept);
    if (restLength > 0 && kept < first && kept > 0)
        append(L" ", 1);
    append(name + first, restLength);
    out[n] = L'\0';
    return (int)n;
}
