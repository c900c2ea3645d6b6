// What a start finds beside the file and what it keeps: the temporary files of saves that never
// finished, a pending copy, and the copies kept beside as ".unread".
#pragma once
#include <stddef.h>
#include <windows.h>

// Removes the temporary files of saves that never finished: a crash before their replace, so
// they are older than the file (or a part of a text). Other names are left alone.
void RemoveLeftoverTemporaries(const wchar_t* path);

// Whether a file's bytes hold a text that the reader takes whole.
typedef bool (*TemporaryCheck)(const unsigned char* bytes, size_t size);

// With a file at path, removes the leftover temporary files, as RemoveLeftoverTemporaries. With
// none, they are never removed: a save whose replace took the file away and could not move its
// new text in left that text in one of them. The newest one that readsWhole accepts is moved
// into the file's place, unless a pending copy is newer (see TakePendingCopy), which is kept
// beside as ".unread" otherwise; every other one is kept beside as ".unread" (the first copy's
// path in kept, else kept is empty) and removed. 1 one was put in place; 0 none was; -1 a copy
// could not be kept or the newest not moved: what was not kept is still there.
int TakeNewestTemporary(const wchar_t* path, TemporaryCheck readsWhole, wchar_t* kept, size_t keptCapacity);

// A pending copy left beside the file by a save that was stopped is the newest whole state. 0
// when there is none; 1 when there is: its bytes are in *bytes (freed with FreeFileBytes), it
// has been put in place of the file where that could be done (*source then names the file,
// else the pending copy, which the next commit replaces), and a file that differed from it was
// first kept beside it (its copy's path in kept, else kept is empty); -1 when the pending copy
// cannot be read, or the differing file could not be kept: nothing was changed.
int TakePendingCopy(const wchar_t* path, unsigned char** bytes, size_t* size, const wchar_t** source, wchar_t* kept,
                    size_t keptCapacity);

// Keeps the bytes of the file at source beside the file at path, under stem (path + ".unread")
// or the next free name (".unread-2" and so on), never over a copy kept before, flushed to the
// disk; or, when a copy kept before under that stem holds the same bytes, takes that one. The
// copy's path goes into kept. false when none was made or found.
bool KeepCopyBeside(const wchar_t* path, const wchar_t* source, const unsigned char* bytes, size_t size,
                    const wchar_t* stem, wchar_t* kept, size_t capacity);
