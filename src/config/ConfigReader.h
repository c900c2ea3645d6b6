// Reading a configuration text: its bytes decoded, its header checked and its lines handed on,
// with no file and no window. The start reads into the model through it, the kept states
// only look.
#pragma once
#include <stddef.h>

struct TileLine;

// Where a configuration text's lines go as they are read: into the model at start, or elsewhere
// when a kept file is only looked at.
struct ConfigReader {
    // The twelve values of a readable settings line, or NULL for one that could not be read;
    // may itself be NULL.
    void (*settings)(const int* values, void* context);
    // A tile line read; returns false when an earlier line had filled the same cell.
    bool (*tile)(const TileLine* line, void* context);
    void* context;
};

// Reads a configuration file's bytes (UTF-16, UTF-8 or ANSI, as the start reads them) and hands
// its lines to reader; writes nothing. 0, or -2 for another format version (its first line then
// in header), -3 when there is no memory to decode into. *leftOut tells whether anything the
// bytes hold was not taken as it is (see LoadConfig).
int ReadConfigBytesWith(const unsigned char* bytes, size_t size, const ConfigReader* reader, wchar_t* header,
                        size_t headerCapacity, bool* leftOut);
