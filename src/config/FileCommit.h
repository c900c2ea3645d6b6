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

// Calls visit with the whole path, the find data and the part of the name after path's own
// file name, for every file or folder beside path whose name is that file name followed by what
// suffixPattern matches (a search pattern, such as L".new*"), until visit returns false. A name
// too long for a path is passed over. false when visit stopped the search.
typedef bool (*BesideVisit)(const wchar_t* beside, const WIN32_FIND_DATAW* found, const wchar_t* suffix,
                            void* context);
bool ForEachBeside(const wchar_t* path, const wchar_t* suffixPattern, BesideVisit visit, void* context);

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

// Whether anything stands at path (a file, or something that cannot be looked at).
bool FileIsThere(const wchar_t* path);

// Replaces the file at path with the one at replacement in one step, waiting about two seconds
// for a program that holds it. false, with the last error, when it could not be done.
bool ReplaceWholeWhileBusy(const wchar_t* path, const wchar_t* replacement);
