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
