// The rotation of 20 backups, run after run, and its failures.
#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "config/BackupRotation.h"
#include "config/ConfigFile.h"

TEST(BackupSlotNameTest, TwoDigitsAfterTheZeroAndTheMarkerBeforeTheExtension)
{
    wchar_t name[32];
    ASSERT_EQ(BackupSlotFileName(0, false, name, _countof(name)), 0);
    EXPECT_STREQ(name, L"Vantrel_Bkup000.cfg");
    BackupSlotFileName(9, true, name, _countof(name));
    EXPECT_STREQ(name, L"Vantrel_Bkup009-.cfg");
    BackupSlotFileName(10, false, name, _countof(name));
    EXPECT_STREQ(name, L"Vantrel_Bkup010.cfg");
    BackupSlotFileName(19, true, name, _countof(name));
    EXPECT_STREQ(name, L"Vantrel_Bkup019-.cfg");
    EXPECT_EQ(BackupSlotFileName(20, false, name, _countof(name)), -1);
    EXPECT_EQ(BackupSlotFileName(-1, false, name, _countof(name)), -1);
    EXPECT_EQ(BackupSlotFileName(3, true, name, 10), -1);
}

// A whole configuration file as the program writes it, saying what it is; and what such a file
// says (anything else comes back as it is). The rotation takes only whole files for copies.
static std::string Whole(const std::string& what)
{
    return Utf16FileBytes(L"//#v0003\n" + std::wstring(what.begin(), what.end()) + L"\n");
}

static std::string Text(const std::string& bytes)
{
    std::string what;
    for (size_t i = 22; i + 4 < bytes.size(); i += 2)
        what += bytes[i];
    return Whole(what) == bytes ? what : bytes;
}

class BackupRotationTest : public ::testing::Test {
protected:
    void SetUp() override { CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL); }

    std::wstring Source() const { return folder.Join(L"Morrowtide\\Vantrel.cfg"); }
    std::wstring Backup() const { return folder.Join(L"Morrowtide\\Backup"); }
    std::wstring Slot(int slot, bool marker) const
    {
        wchar_t name[32];
        BackupSlotFileName(slot, marker, name, _countof(name));
        return Backup() + L"\\" + name;
    }
    void SetSource(const std::string& content) { ASSERT_TRUE(WriteFileBytes(Source(), Whole(content))); }

    // The files in the backup folder, shortened to their slot part ("000-", "013").
    std::set<std::wstring> Files() const
    {
        std::set<std::wstring> files;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((Backup() + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return files;
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (name.compare(0, 12, L"Vantrel_Bkup") == 0 && name.size() > 16)
                name = name.substr(12, name.size() - 16);
            files.insert(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return files;
    }

    std::set<std::wstring> Plain(int from, int to, std::set<std::wstring> files = {}) const
    {
        for (int slot = from; slot <= to; slot++) {
            wchar_t name[8];
            swprintf_s(name, L"%03d", slot);
            files.insert(name);
        }
        return files;
    }

    // Turns a slot's plain file into the marker of the newest copy.
    void MarkSlot(int slot, const std::string& content)
    {
        DeleteFileW(Slot(slot, false).c_str());
        ASSERT_TRUE(WriteFileBytes(Slot(slot, true), Whole(content)));
    }

    // All twenty slots, plain but for the given markers.
    std::set<std::wstring> AllPlainBut(std::initializer_list<int> markers) const
    {
        std::set<std::wstring> files = Plain(0, 19);
        for (int slot : markers) {
            wchar_t name[8];
            swprintf_s(name, L"%03d", slot);
            files.erase(name);
            files.insert(std::wstring(name) + L"-");
        }
        return files;
    }

    void FillAllPlain()
    {
        CreateDirectoryW(Backup().c_str(), NULL);
        for (int slot = 0; slot < BackupSlotCount; slot++)
            ASSERT_TRUE(WriteFileBytes(Slot(slot, false), Whole("old " + std::to_string(slot))));
    }

    TestFolder folder;
};

TEST_F(BackupRotationTest, TheWorkedSequenceFromRunOneToTwentyTwo)
{
    for (int run = 1; run <= 22; run++) {
        SetSource("end state of run " + std::to_string(run));
        ASSERT_EQ(RotateBackups(), 0) << "run " << run;

        int newest = (run - 1) % BackupSlotCount;
        std::set<std::wstring> expected = Plain(0, std::min(run, 20) - 1);
        wchar_t marker[8];
        swprintf_s(marker, L"%03d", newest);
        expected.erase(marker);
        expected.insert(std::wstring(marker) + L"-");
        EXPECT_EQ(Files(), expected) << "run " << run;
        EXPECT_EQ(Text(ReadFileBytes(Slot(newest, true))), "end state of run " + std::to_string(run));
    }
    // After run 22 the oldest copy is that of run 3, in slot 2.
    EXPECT_EQ(Text(ReadFileBytes(Slot(2, false))), "end state of run 3");
    EXPECT_EQ(Text(ReadFileBytes(Slot(0, false))), "end state of run 21");
}

TEST_F(BackupRotationTest, AMissingSourceGivesMinusFourAndCopiesNothing)
{
    EXPECT_EQ(RotateBackups(), -4);
    EXPECT_TRUE(Files().empty());
    // A folder in the source's place counts as missing.
    ASSERT_TRUE(CreateDirectoryW(Source().c_str(), NULL));
    EXPECT_EQ(RotateBackups(), -4);
    EXPECT_TRUE(Files().empty());
}

TEST_F(BackupRotationTest, AllPlainAndNoMarkerStartsOverAtSlotZero)
{
    FillAllPlain();
    SetSource("new");
    EXPECT_EQ(RotateBackups(), 0);
    EXPECT_EQ(Files(), AllPlainBut({ 0 }));
    EXPECT_EQ(Text(ReadFileBytes(Slot(0, true))), "new");
}

// Whatever an interrupted rotation (or a hand) left, the next rotation ends with one marker,
// on a copy equal to the file, and the one after it advances again; the copy that the
// interrupted run made is never overwritten.
TEST_F(BackupRotationTest, AnyStateAnInterruptedRotationLeavesIsRepaired)
{
    struct Change {
        int slot;
        bool marker;
        const char* content;   // NULL: the file is removed
    };
    const struct { const char* what; std::vector<Change> changes; int newest; } states[] = {
        { "the copy made, the old marker not renamed", { { 7, false, nullptr }, { 7, true, "7" }, { 8, true, "copy" } }, 9 },
        { "renamed, the oldest copy not deleted", { { 8, true, "copy" } }, 9 },
        { "across the wrap, the copy made", { { 19, false, nullptr }, { 19, true, "19" }, { 0, true, "copy" } }, 1 },
        // An empty marker (a copy that a full disk stopped) holds nothing: its slot is free.
        { "an empty marker, no copy", { { 7, false, nullptr }, { 7, true, "" } }, 7 },
        { "a gap before the marker", { { 5, false, nullptr }, { 12, false, nullptr }, { 12, true, "12" } }, 5 },
    };
    for (const auto& state : states) {
        RemoveTree(Backup());
        FillAllPlain();
        int written = 0;
        for (const Change& change : state.changes) {
            if (change.content == nullptr) {
                DeleteFileW(Slot(change.slot, change.marker).c_str());
            } else {
                ASSERT_TRUE(WriteFileBytes(Slot(change.slot, change.marker), *change.content ? Whole(change.content) : ""));
                // In the order a rotation writes them, whatever the clock's granularity.
                ASSERT_TRUE(SetFileWrittenAt(Slot(change.slot, change.marker), ++written));
            }
        }
        for (int round = 0; round < 2; round++) {
            SetSource("state " + std::to_string(round));
            ASSERT_TRUE(SetFileWrittenAt(Source(), 100 + round));
            EXPECT_EQ(RotateBackups(), 0) << state.what;
            std::set<std::wstring> files = Files();
            int newest = (state.newest + round) % BackupSlotCount;
            std::set<std::wstring> markers;
            for (const std::wstring& name : files)
                if (name.back() == L'-')
                    markers.insert(name);
            wchar_t expected[8];
            swprintf_s(expected, L"%03d-", newest);
            EXPECT_EQ(markers, std::set<std::wstring>{ expected }) << state.what << ", round " << round;
            EXPECT_EQ(Text(ReadFileBytes(Slot(newest, true))), "state " + std::to_string(round)) << state.what;
            EXPECT_LE(files.size(), 20u) << state.what;
            if (std::string(state.what).find("copy made") != std::string::npos) {
                EXPECT_EQ(Text(ReadFileBytes(Slot(state.newest - 1, false))), "copy") << state.what << ", round " << round;
            }
        }
    }
}

// Something on the next slot that the rotation can neither write over nor delete (a folder, a
// read-only file, a file another program holds), or a state that a crash left: exit after
// exit, the copies of the last exits all survive.
TEST_F(BackupRotationTest, TheCopiesOfTheLastExitsSurviveWhatBlocksASlot)
{
    enum Block { FolderMarker, ReadOnlyMarker, LockedMarker, ReadOnlyPlain, LockedPlain, CrashBetweenCopyAndRename };
    const struct { const char* what; Block block; } cases[] = {
        { "a folder named like the next marker", FolderMarker },
        { "a read-only file named like the next marker", ReadOnlyMarker },
        { "a locked file named like the next marker", LockedMarker },
        { "a read-only oldest copy on the next slot", ReadOnlyPlain },
        { "a locked oldest copy on the next slot", LockedPlain },
        { "markers on 5 and 6 and a plain 6", CrashBetweenCopyAndRename },
    };
    for (const auto& c : cases) {
        RemoveTree(Backup());
        FillAllPlain();
        MarkSlot(5, "exit 0");
        SetFileWrittenAt(Slot(5, true), 1);
        HANDLE locked = INVALID_HANDLE_VALUE;
        switch (c.block) {
        case FolderMarker: ASSERT_TRUE(CreateDirectoryW(Slot(6, true).c_str(), NULL)); break;
        case ReadOnlyMarker:
        case LockedMarker:
            // Newer than any copy, as a file a program put there later would be.
            ASSERT_TRUE(WriteFileBytes(Slot(6, true), "in the way"));
            SetFileWrittenAt(Slot(6, true), 1000);
            break;
        case ReadOnlyPlain: break;
        case LockedPlain: break;
        case CrashBetweenCopyAndRename:
            ASSERT_TRUE(WriteFileBytes(Slot(6, true), Whole("exit 1")));
            SetFileWrittenAt(Slot(6, true), 2);
            break;
        }
        std::wstring blocked = c.block == ReadOnlyPlain || c.block == LockedPlain ? Slot(6, false) : Slot(6, true);
        if (c.block == ReadOnlyMarker || c.block == ReadOnlyPlain) {
            ASSERT_TRUE(SetFileAttributesW(blocked.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        if (c.block == LockedMarker || c.block == LockedPlain) {
            locked = CreateFileW(blocked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        }
        int first = c.block == CrashBetweenCopyAndRename ? 2 : 1;
        for (int exit = first; exit < first + 3; exit++) {
            SetSource("exit " + std::to_string(exit));
            SetFileWrittenAt(Source(), 10 + exit);
            EXPECT_EQ(RotateBackups(), 0) << c.what << ", exit " << exit;
        }
        if (locked != INVALID_HANDLE_VALUE)
            CloseHandle(locked);
        SetFileAttributesW(blocked.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::set<std::string> contents;
        for (int slot = 0; slot < BackupSlotCount; slot++)
            for (bool marker : { false, true })
                contents.insert(Text(ReadFileBytes(Slot(slot, marker))));
        for (int exit = 0; exit < first + 3; exit++)
            EXPECT_EQ(contents.count("exit " + std::to_string(exit)), 1u) << c.what << ": exit " << exit << " lost";
        int markers = 0;
        for (const std::wstring& name : Files())
            markers += name.back() == L'-';
        EXPECT_EQ(markers, c.block == FolderMarker || c.block == ReadOnlyMarker || c.block == LockedMarker ? 2 : 1)
            << c.what << ": one marker, and what blocked its slot";
        RemoveTree(Backup());
    }
}

TEST_F(BackupRotationTest, SlotNineteenIsFollowedBySlotZero)
{
    FillAllPlain();
    MarkSlot(19, "nineteen");
    SetSource("new");
    EXPECT_EQ(RotateBackups(), 0);
    EXPECT_EQ(Files(), AllPlainBut({ 0 }));
    EXPECT_EQ(Text(ReadFileBytes(Slot(0, true))), "new");
    EXPECT_EQ(Text(ReadFileBytes(Slot(19, false))), "nineteen");
}

TEST_F(BackupRotationTest, AFolderWithASlotsNameMakesTheSlotCountAsUsed)
{
    CreateDirectoryW(Backup().c_str(), NULL);
    ASSERT_TRUE(CreateDirectoryW(Slot(0, true).c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryW(Slot(1, false).c_str(), NULL));
    SetSource("new");
    EXPECT_EQ(RotateBackups(), 0);
    EXPECT_TRUE(FolderExists(Slot(0, true)));
    EXPECT_TRUE(FolderExists(Slot(1, false)));
    EXPECT_EQ(Text(ReadFileBytes(Slot(2, true))), "new");
}

TEST_F(BackupRotationTest, CopyFailuresChangeNothing)
{
    SetSource("locked");
    HANDLE locked = CreateFileW(Source().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RotateBackups(), -3);
    EXPECT_TRUE(Files().empty());

    WriteFileBytes(Slot(0, true), Whole("marked"));
    EXPECT_EQ(RotateBackups(), -4);
    EXPECT_EQ(Files(), std::set<std::wstring>{ L"000-" });
    CloseHandle(locked);
    EXPECT_EQ(RotateBackups(), 0);
}

TEST_F(BackupRotationTest, NoConfigurationFolderMeansNoBackupFolder)
{
    RemoveDirectoryW(folder.Join(L"Morrowtide").c_str());
    EXPECT_EQ(RotateBackups(), -1);
    EXPECT_FALSE(FolderExists(Backup()));

    std::wstring longBase = folder.path + L"\\" + std::wstring(470, L'b');
    SetConfigBaseFolderForTests(longBase.c_str());
    EXPECT_EQ(RotateBackups(), -1);
}

// A write that a full disk stops: half of it lands.
typedef BOOL(WINAPI* WriteFileProc)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
static WriteFileProc realWriteFile;
static BOOL WINAPI DiskFullWrite(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    realWriteFile(file, bytes, size / 2, written, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// A copy that a full disk stops changes no slot and leaves nothing; an empty marker that an
// earlier version's stopped copy left (beside most slots' copies, newer than the real marker)
// is neither the newest copy nor carried over one; a torn file is never copied, its pending
// copy is. Exit after exit, only the oldest copy goes.
TEST_F(BackupRotationTest, NoFailedCopyAndNoTornFileCostsACopy)
{
    FillAllPlain();
    MarkSlot(4, "exit 4");
    SetFileWrittenAt(Slot(4, true), 1);
    for (int slot = 5; slot < BackupSlotCount; slot++) {
        ASSERT_TRUE(WriteFileBytes(Slot(slot, true), ""));
        SetFileWrittenAt(Slot(slot, true), 100 + slot);
    }
    const std::set<std::wstring> before = Files();
    SetSource("on a full disk");
    {
        ImportPatch full("kernel32.dll", "WriteFile", (void*)DiskFullWrite);
        realWriteFile = (WriteFileProc)full.original;
        EXPECT_EQ(RotateBackups(), -4);
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(Text(ReadFileBytes(Slot(4, true))), "exit 4");
    ASSERT_TRUE(WriteFileBytes(Source(), "torn: new text over the old"));
    ASSERT_TRUE(WriteFileBytes(Source() + L".pending", Whole("exit 5")));
    EXPECT_EQ(RotateBackups(), 0);
    DeleteFileW((Source() + L".pending").c_str());
    SetSource("exit 6");
    EXPECT_EQ(RotateBackups(), 0);
    EXPECT_EQ(Files(), AllPlainBut({ 6 }));
    for (int slot = 0; slot < BackupSlotCount; slot++) {
        EXPECT_EQ(Text(ReadFileBytes(Slot(slot, slot == 6))), (slot >= 4 && slot <= 6 ? "exit " : "old ") + std::to_string(slot));
    }
}
