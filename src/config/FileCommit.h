// Keeping one small file whole through crashes, full disks and other programs that hold it:
// every save is a commit, a start finds the newest whole state, and what a start cannot use is
// kept beside the file, never lost.
#pragma once
#include <stddef.h>
#include <windows.h>

// The names the program makes beside the file. A save writes a temporary file of a fresh name
// (".new-<process>-<n>"); a save that must write over a held file keeps the whole new text as
// ".pending" until that write is done; a start keeps what it could not use as ".unread".
constexpr wchar_t TemporaryStem[] = L".new";
constexpr wchar_t PendingSuffix[] = L".pending";
constexpr wchar_t UnreadSuffix[] = L".unread";
// The longest of them: a temporary file's, with the largest process number and counter.
constexpr wchar_t LongestSuffixBeside[] = L".new-4294967295-9999";

// base + suffix into out; -1 when the result does not fit.
int ComposePath(wchar_t* out, size_t capacity, const wchar_t* base, const wchar_t* suffix);

// The whole file in one read, into a block the caller frees with FreeFileBytes. Readers may
// share the file meanwhile, writers may not. false when it cannot be read whole (also for a
// file over 256 MB, far beyond anything the program writes).
bool ReadWholeFile(const wchar_t* path, unsigned char** bytes, size_t* size);
void FreeFileBytes(unsigned char* bytes);

// A block that whole files are read into one after another: a fresh block of a megabyte for each
// file costs twenty times the read itself under Wine, where its first touch is slow.
struct FileBlock {
    unsigned char* bytes;
    size_t capacity;
};

// Reads the whole file into block, which grows when it must (two bytes to spare, as above); the
// bytes stay valid until the next read into it. false as ReadWholeFile.
bool ReadWholeFileInto(const wchar_t* path, FileBlock* block, size_t* size);
void FreeFileBlock(FileBlock* block);

// Opens a temporary file beside path under a fresh name, created new (a leftover is never
// reused), shared with no one, and stores its name in temporary. INVALID_HANDLE_VALUE, with the
// thread's last error, when none can be made.
HANDLE CreateFreshTemporary(const wchar_t* path, wchar_t* temporary, size_t capacity);

// Divides every wait for a held file by divisor (1 puts the waits back), and forgets a holder met
// before. For tests only, so that each one that meets a file held for good does not spend the
// two seconds.
void SetBusyWaitDivisorForTests(int divisor);

// What CommitTemporary did.
enum CommitResult {
    CommitDone = 0,       // the file holds the new text; nothing is left beside it
    CommitRefused = -1,   // the file is as it was; the temporary file is gone
    CommitTorn = -2,      // a write in place stopped part-way: the pending copy holds the new text
    CommitBeside = -3     // no file at the path (a replace removed it and could not move the new
                          // one in): the new text lies whole in temporary, which the next start takes
};

// Puts the whole new text, already written and flushed into temporary, in place of the file at
// path: replaced in one step (a rename, else ReplaceFileW), retried while another program holds
// it. A holder that lets others write is waited for a quarter of a second, once while it holds
// the file; then the file is written in place, but only after the new text lies beside it as
// the pending copy, which goes once that write is flushed. A holder that lets no one write is
// waited for about two seconds. A pending copy of an earlier save goes too, as it is older.
int CommitTemporary(const wchar_t* path, const wchar_t* temporary);

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
