#include "config/KeptStates.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "config/BackupRotation.h"
#include "config/ConfigFormat.h"
#include "config/ConfigPaths.h"
#include "config/ConfigReader.h"
#include "config/FileCommit.h"
#include "shell/TargetNames.h"

// A tile line's name, or the name the start gives a tile whose line holds none.
static const wchar_t* NameOfLine(const TileLine* line)
{
    if (line->nameLength > 0)
        return line->name;
    const wchar_t* shown = ShellDisplayName(line->path);
    return shown != NULL ? shown : L"";
}

static int Cell(const TileLine* line)
{
    return (line->row - 1) * MaxColumns + (line->column - 1);
}

// What the reader hands on as a kept file is read: the grid size of its settings line, and
// whether there was a readable one (every file the program writes has it).
struct KeptReader {
    int rows;
    int columns;
    bool settingsRead;
    TileDigest* digests;   // for a listing: each cell's digest
    KeptTiles* tiles;      // for a state read whole
};

static void NoteKeptSettings(const int* values, void* context)
{
    KeptReader* reader = (KeptReader*)context;
    if (values == NULL)
        return;
    reader->settingsRead = true;
    int rows = values[FieldRows];
    int columns = values[FieldColumns];
    // As the start takes them: a size out of range is no size the grid could grow to.
    reader->rows = rows < 1 ? 0 : rows > MaxRows ? MaxRows : rows;
    reader->columns = columns < 1 ? 0 : columns > MaxColumns ? MaxColumns : columns;
}

// A later line for the same cell wins, as at the start; false tells the reader it came twice.
static bool DigestKeptTile(const TileLine* line, void* context)
{
    KeptReader* reader = (KeptReader*)context;
    TileDigest* digest = &reader->digests[Cell(line)];
    bool first = *digest == 0;
    *digest = DigestTileContent(line->path, NameOfLine(line), line->kind, line->backColor);
    return first;
}

static bool AppendText(KeptTiles* tiles, const wchar_t* text)
{
    size_t length = wcslen(text) + 1;
    if (tiles->textLength + length > tiles->textCapacity) {
        size_t capacity = tiles->textCapacity * 2 + length + 65536;
        void* grown = tiles->texts == NULL ? HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(wchar_t))
                                           : HeapReAlloc(GetProcessHeap(), 0, tiles->texts, capacity * sizeof(wchar_t));
        if (grown == NULL)
            return false;
        tiles->texts = (wchar_t*)grown;
        tiles->textCapacity = capacity;
    }
    wmemcpy(tiles->texts + tiles->textLength, text, length);
    tiles->textLength += length;
    return true;
}

// With no memory for its texts a tile is left out, as a line that could not be read.
static bool KeepKeptTile(const TileLine* line, void* context)
{
    KeptReader* reader = (KeptReader*)context;
    KeptTiles* tiles = reader->tiles;
    KeptTile* cell = &tiles->cells[Cell(line)];
    bool first = cell->digest == 0;
    const wchar_t* name = NameOfLine(line);
    size_t text = tiles->textLength;
    if (!AppendText(tiles, line->path) || !AppendText(tiles, name))
        return false;
    cell->digest = DigestTileContent(line->path, name, line->kind, line->backColor);
    cell->kind = line->kind;
    cell->backColor = line->backColor;
    cell->text = text;
    return first;
}

// Reads a kept file's bytes through reader, as the start reads them, in block. KeptNotRead when
// it cannot be opened or read whole, begins with the big-endian mark the start refuses, or names
// another format version.
static int ReadKeptFile(const wchar_t* path, const ConfigReader* reader, FileBlock* block)
{
    size_t size = 0;
    if (!ReadWholeFileInto(path, block, &size))
        return KeptNotRead;
    const unsigned char* bytes = block->bytes;
    int status = -1;
    bool leftOut = true;
    if (size < 2 || bytes[0] != 0xFE || bytes[1] != 0xFF) {
        wchar_t header[16];
        status = ReadConfigBytesWith(bytes, size, reader, header, _countof(header), &leftOut);
    }
    const KeptReader* kept = (const KeptReader*)reader->context;
    if (status != 0)
        return KeptNotRead;
    return leftOut || !kept->settingsRead ? KeptReadInPart : KeptReadWhole;
}

static bool AddState(KeptStateList* list, const wchar_t* path, const WIN32_FILE_ATTRIBUTE_DATA* data, int kind)
{
    if (list->count == list->capacity) {
        int capacity = list->capacity * 2 + 32;
        SIZE_T bytes = (SIZE_T)capacity * sizeof(KeptState);
        void* grown = list->states == NULL ? HeapAlloc(GetProcessHeap(), 0, bytes)
                                           : HeapReAlloc(GetProcessHeap(), 0, list->states, bytes);
        if (grown == NULL)
            return false;
        list->states = (KeptState*)grown;
        list->capacity = capacity;
    }
    KeptState* state = &list->states[list->count];
    memset(state, 0, sizeof(*state));
    if (ComposePath(state->path, _countof(state->path), path, L"") != 0)
        return true;   // no such path can be made here: nothing of that name was found
    state->written = data->ftLastWriteTime;
    state->kind = kind;
    // A folder under a kept name holds no state; it is listed, as something stands there.
    state->reading = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || kind == KeptOtherVersion ? KeptNotRead
                                                                                                      : KeptReadWhole;
    list->count++;
    return true;
}

// Every name either slot may have, the newest copy's marker name and the plain one alike: an
// interrupted rotation leaves both.
static bool AddBackupSlots(const wchar_t* folder, KeptStateList* list)
{
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        for (int marker = 1; marker >= 0; marker--) {
            wchar_t name[32] = L"\\";
            wchar_t path[ComposedPathCapacity];
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (BackupSlotFileName(slot, marker != 0, name + 1, _countof(name) - 1) != 0 ||
                ComposePath(path, _countof(path), folder, name) != 0 ||
                !GetFileAttributesExW(path, GetFileExInfoStandard, &data))
                continue;
            if (!AddState(list, path, &data, KeptClosed))
                return false;
        }
    }
    return true;
}

// Whether text is empty, or "-" and a copy's number ("-2"), as the names of later copies end.
static bool CopyNumberOrNothing(const wchar_t* text)
{
    if (*text == L'\0')
        return true;
    return text[0] == L'-' && text[1] >= L'1' && text[1] <= L'9' && text[wcsspn(text + 1, L"0123456789") + 1] == L'\0';
}

// The kind of a name beside the file, given the part after the file's own name; -1 for a name
// that is none of them (a save's temporary file, say).
int KeptKindOfSuffix(const wchar_t* suffix)
{
    size_t unread = wcslen(UnreadSuffix);
    if (_wcsicmp(suffix, PendingSuffix) == 0)
        return KeptPending;
    if (_wcsnicmp(suffix, UnreadSuffix, unread) == 0 && CopyNumberOrNothing(suffix + unread))
        return KeptUnread;
    // ".v" and the four characters of the version its header named, digits or "x".
    if (_wcsnicmp(suffix, L".v", 2) != 0 || wcslen(suffix) < 6)
        return -1;
    for (int i = 2; i < 6; i++) {
        if (!(suffix[i] >= L'0' && suffix[i] <= L'9') && suffix[i] != L'x')
            return -1;
    }
    return CopyNumberOrNothing(suffix + 6) ? KeptOtherVersion : -1;
}

static bool AddCopyBeside(const wchar_t* path, const WIN32_FIND_DATAW* found, const wchar_t* suffix, void* context)
{
    int kind = KeptKindOfSuffix(suffix);
    if (kind < 0)
        return true;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    data.dwFileAttributes = found->dwFileAttributes;
    data.ftLastWriteTime = found->ftLastWriteTime;
    return AddState((KeptStateList*)context, path, &data, kind);
}

static bool AddCopiesBeside(const wchar_t* file, KeptStateList* list)
{
    return ForEachBeside(file, L".*", AddCopyBeside, list);
}

static void ReadState(KeptState* state, const TileDigest* now, FileBlock* block)
{
    if (state->reading == KeptNotRead)
        return;
    // One grid of digests, used for each state in turn: the list keeps only the counts.
    static TileDigest cells[GridCellCount];
    memset(cells, 0, sizeof(cells));
    KeptReader kept = {};
    kept.digests = cells;
    const ConfigReader reader = { NoteKeptSettings, DigestKeptTile, &kept };
    state->reading = ReadKeptFile(state->path, &reader, block);
    if (state->reading == KeptNotRead)
        return;
    state->rows = kept.rows;
    state->columns = kept.columns;
    state->comparison = CompareGrids(cells, now);
}

// Newest first; states of one time in a fixed order, so that the list never shuffles.
static int NewerFirst(const void* a, const void* b)
{
    const KeptState* first = (const KeptState*)a;
    const KeptState* second = (const KeptState*)b;
    int byTime = CompareFileTime(&second->written, &first->written);
    if (byTime != 0)
        return byTime;
    if (first->kind != second->kind)
        return first->kind - second->kind;
    return wcscmp(first->path, second->path);
}

int ListKeptStates(const TileDigest* now, KeptStateList* list)
{
    list->count = 0;
    wchar_t base[ComposedPathCapacity];
    wchar_t file[ComposedPathCapacity];
    wchar_t backups[ComposedPathCapacity];
    if (GetConfigBaseFolder(base, _countof(base)) != 0 || ComposePath(file, _countof(file), base, ConfigFileSuffix) != 0 ||
        ComposePath(backups, _countof(backups), base, BackupFolderSuffix) != 0)
        return -1;
    bool complete = AddBackupSlots(backups, list) && AddCopiesBeside(file, list);
    // One block for every file in turn.
    FileBlock block = {};
    for (int i = 0; i < list->count; i++)
        ReadState(&list->states[i], now, &block);
    FreeFileBlock(&block);
    if (list->count > 1)
        qsort(list->states, (size_t)list->count, sizeof(KeptState), NewerFirst);
    return complete ? 0 : -1;
}

void FreeKeptStateList(KeptStateList* list)
{
    if (list->states != NULL)
        HeapFree(GetProcessHeap(), 0, list->states);
    *list = KeptStateList();
}

int ReadKeptTiles(const wchar_t* path, KeptTiles* tiles)
{
    FreeKeptTiles(tiles);
    tiles->cells = (KeptTile*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, GridCellCount * sizeof(KeptTile));
    if (tiles->cells == NULL)
        return -1;
    KeptReader kept = {};
    kept.tiles = tiles;
    const ConfigReader reader = { NoteKeptSettings, KeepKeptTile, &kept };
    DWORD attributes = GetFileAttributesW(path);
    FileBlock block = {};
    int reading = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)
                      ? KeptNotRead
                      : ReadKeptFile(path, &reader, &block);
    FreeFileBlock(&block);
    if (reading == KeptNotRead) {
        FreeKeptTiles(tiles);
        return -1;
    }
    tiles->rows = kept.rows;
    tiles->columns = kept.columns;
    tiles->reading = reading;
    return 0;
}

void FreeKeptTiles(KeptTiles* tiles)
{
    if (tiles->cells != NULL)
        HeapFree(GetProcessHeap(), 0, tiles->cells);
    if (tiles->texts != NULL)
        HeapFree(GetProcessHeap(), 0, tiles->texts);
    *tiles = KeptTiles();
}

const wchar_t* KeptTilePath(const KeptTiles* tiles, int cell)
{
    return tiles->texts + tiles->cells[cell].text;
}

const wchar_t* KeptTileName(const KeptTiles* tiles, int cell)
{
    const wchar_t* path = KeptTilePath(tiles, cell);
    return path + wcslen(path) + 1;
}
