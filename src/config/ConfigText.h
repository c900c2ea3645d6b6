// The text of a configuration file: its bytes decoded (UTF-16LE, UTF-8, or the system's ANSI
// code page, after their byte order marks) and read line by line. Nothing here touches a file
// or knows what a line means.
#pragma once
#include <stddef.h>

// True when the file's bytes are UTF-8: after the mark EF BB BF, or without a mark when they
// begin with the ASCII "//#v" of a header, which no UTF-16 text can begin with (an editor
// leaves that after a hand edit).
bool ConfigTextIsUtf8(const unsigned char* bytes, size_t size);

// The text of a configuration file, read line by line: a line ends in CR LF, LF or a CR alone,
// and comes back ending in LF; a CTRL+Z at the start of a line ends the text when nothing but
// CTRL+Zs follow it (the filler a save leaves behind its end mark).
struct ConfigText {
    const wchar_t* next;
    const wchar_t* end;
    // Bytes the text does not take as they are: a last odd byte of UTF-16, or 8-bit text that is
    // not UTF-8 and was read in the system's ANSI code page, a guess.
    bool notTakenAsIs;
};

// Starts reading a file's bytes: UTF-16LE text (after an optional FF FE) is read where it
// lies, with no copy; 8-bit text (see ConfigTextIsUtf8) is decoded into decodedText first,
// which then holds at least size + 1 characters: as UTF-8, or, when the bytes are not valid
// UTF-8 (an editor's "ANSI"), in the system's ANSI code page. The caller refuses FE FF.
void StartConfigText(const unsigned char* bytes, size_t size, wchar_t* decodedText, ConfigText* text);

// Copies the next line, ending in one line feed, into line (terminated) and gives its length
// in *length when that is not NULL. Returns 1 for a line, 0 at the end of the text, and -1
// for a line that cannot be taken whole (too long for the buffer, or holding a control
// character other than the tab: a NUL, a CTRL+Z within the line): its rest is passed over, so
// it never comes back as a line of its own.
int ReadConfigLine(ConfigText* text, wchar_t* line, size_t capacity, size_t* length);
