// Thousands of random grids through SaveConfig and LoadConfig, and thousands of damaged
// files through LoadConfig.
#include <gtest/gtest.h>

#include <random>
#include <stdio.h>

#include "TestSupport.h"
#include "config/ConfigFile.h"
#include "config/ConfigFormat.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"

typedef std::mt19937 Random;

static int Uniform(Random& random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Awkward characters for the format: separators, the escape's own characters, blanks,
// characters outside the Basic Multilingual Plane. (No control character but the tab can be in
// a tile.)
static std::wstring RandomText(Random& random, int maxLength, bool isPath)
{
    static const wchar_t* const pieces[] = {
        L",", L",", L"#^e$", L"#^e$,", L"#", L"^", L"e", L"$", L" ", L"\t", L"\\", L":", L".", L"a", L"Z", L"7",
        L"\u00e9", L"\u4e2d", L"\U0001F600", L"\U00010348", L"-", L"x,", L",,",
    };
    int target = Uniform(random, 0, 9) == 0 ? maxLength : Uniform(random, 1, maxLength);
    std::wstring text;
    while ((int)text.size() < target) {
        std::wstring piece = pieces[Uniform(random, 0, (int)_countof(pieces) - 1)];
        if ((int)(text.size() + piece.size()) > target)
            piece = L"q";
        text += piece;
    }
    if (isPath) {
        // The reader trims blanks and tabs from paths: a path never has them at its ends.
        while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
            text.back() = L'p';
        while (!text.empty() && (text[0] == L' ' || text[0] == L'\t'))
            text[0] = L'p';
    }
    if (text.empty())
        text = L"n";
    return text;
}

class ConfigRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        window = CreateTestMainWindow(500, 400);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { DestroyTestMainWindow(); }

    void RandomGrid(Random& random, int tileCount)
    {
        ResetGridAndSettings();
        AppSettings.rows = Uniform(random, 1, MaxRows);
        AppSettings.columns = Uniform(random, 1, MaxColumns);
        const char keys[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        AppSettings.hotkeyKey = keys[Uniform(random, 0, 35)];
        AppSettings.hotkeyRegistered = Uniform(random, 0, 1);
        MoveSelection(Uniform(random, 1, AppSettings.rows), Uniform(random, 1, AppSettings.columns));
        for (int i = 0; i < tileCount; i++) {
            Tile* tile = TileAt(Uniform(random, 1, MaxRows), Uniform(random, 1, MaxColumns));
            wcscpy_s(tile->path, RandomText(random, 359, true).c_str());
            wcscpy_s(tile->name, RandomText(random, 359, false).c_str());
            tile->filled = 1;
            tile->kind = Uniform(random, -1, 2);
            tile->backColor = (COLORREF)Uniform(random, 0, 0xFFFFFF);
        }
    }

    HWND window = NULL;
    TestFolder folder;
};

TEST_F(ConfigRoundTripTest, RandomGridsComeBackUnchanged)
{
    Random random(20261208);
    static Tile saved[MaxRows * MaxColumns];
    int rounds = EnduranceCount(300, 2000);
    for (int round = 0; round < rounds; round++) {
        int tileCount = round % 500 == 7 ? 6000 : Uniform(random, 0, 30);
        RandomGrid(random, tileCount);
        if (round % 20 == 0)
            SetWindowPos(window, NULL, Uniform(random, -900, 900), Uniform(random, 0, 700), Uniform(random, 150, 900),
                         Uniform(random, 120, 700), SWP_NOZORDER | SWP_NOACTIVATE);
        SCROLLINFO scroll = {};
        scroll.cbSize = sizeof(scroll);
        scroll.fMask = SIF_POS;
        scroll.nPos = Uniform(random, 0, 90);
        SetScrollInfo(window, SB_HORZ, &scroll, FALSE);
        scroll.nPos = Uniform(random, 0, 90);
        SetScrollInfo(window, SB_VERT, &scroll, FALSE);

        memcpy(saved, TileGrid, sizeof(saved));
        AppSettingsRecord before = AppSettings;
        RECT rect;
        GetWindowRect(window, &rect);
        ASSERT_EQ(SaveConfig(), 0);

        ResetGridAndSettings();
        MessageBoxCatcher catcher;
        ASSERT_EQ(LoadConfig(), 0);
        ASSERT_TRUE(catcher.boxes.empty()) << catcher.boxes[0].text.c_str();

        ASSERT_EQ(AppSettings.rows, before.rows) << "round " << round;
        ASSERT_EQ(AppSettings.columns, before.columns);
        ASSERT_EQ(AppSettings.hotkeyKey, before.hotkeyKey);
        ASSERT_EQ(AppSettings.hotkeyRegistered, before.hotkeyRegistered);
        ASSERT_EQ(AppSettings.selectedRow, before.selectedRow);
        ASSERT_EQ(AppSettings.selectedColumn, before.selectedColumn);
        ASSERT_EQ(AppSettings.windowLeft, rect.left);
        ASSERT_EQ(AppSettings.windowTop, rect.top);
        ASSERT_EQ(AppSettings.windowWidth, rect.right - rect.left);
        ASSERT_EQ(AppSettings.windowHeight, rect.bottom - rect.top);
        ASSERT_EQ(AppSettings.scrollPosH, GetScrollPos(window, SB_HORZ));
        ASSERT_EQ(AppSettings.scrollPosV, GetScrollPos(window, SB_VERT));
        for (int i = 0; i < MaxRows * MaxColumns; i++) {
            const Tile& a = saved[i];
            const Tile& b = TileGrid[i];
            ASSERT_EQ(a.filled, b.filled) << "round " << round << " tile " << i;
            ASSERT_EQ(a.selected, b.selected) << "round " << round << " tile " << i;
            if (!a.filled)
                continue;
            ASSERT_STREQ(a.path, b.path) << "round " << round << " tile " << i;
            ASSERT_STREQ(a.name, b.name) << "round " << round << " tile " << i;
            ASSERT_EQ(a.kind, b.kind);
            ASSERT_EQ(a.backColor, b.backColor);
        }
    }
    printf("%d random grids saved and read back unchanged\n", rounds);
}

// A plausible file to start from: header, settings and some tile lines.
static std::wstring PlausibleFile(Random& random)
{
    std::wstring text;
    if (Uniform(random, 0, 5) != 0)
        text += L"//#v0003 DO NOT CHANGE THIS LINE\n";
    wchar_t line[ConfigLineCapacity];
    swprintf_s(line, L"%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", Uniform(random, -999, 9999), Uniform(random, -99, 999),
               Uniform(random, 0, 2000), Uniform(random, 0, 2000), Uniform(random, -5, 300), Uniform(random, -5, 300),
               Uniform(random, 40, 95), Uniform(random, -1, 2), Uniform(random, -2, 60), Uniform(random, -2, 120),
               Uniform(random, -3, 9999), Uniform(random, -3, 9999));
    text += line;
    int tiles = Uniform(random, 0, 40);
    for (int i = 0; i < tiles; i++) {
        Tile tile = {};
        wcscpy_s(tile.path, RandomText(random, Uniform(random, 1, 359), true).c_str());
        wcscpy_s(tile.name, RandomText(random, Uniform(random, 1, 359), false).c_str());
        tile.kind = Uniform(random, -3, 3);
        tile.backColor = (COLORREF)Uniform(random, 0, 0xFFFFFF);
        FormatTileLine(Uniform(random, -1, 52), Uniform(random, -1, 102), &tile, line, _countof(line));
        text += line;
    }
    return text;
}

static std::string Mutate(Random& random, std::string bytes)
{
    int mutations = Uniform(random, 1, 8);
    for (int m = 0; m < mutations && !bytes.empty(); m++) {
        size_t at = (size_t)Uniform(random, 0, (int)bytes.size() - 1);
        switch (Uniform(random, 0, 7)) {
        case 0: bytes.resize(at); break;                                   // truncated
        case 1: bytes[at] = (char)(bytes[at] ^ (1 << Uniform(random, 0, 7))); break;
        case 2: bytes.insert(at, std::string(",\0", 2)); break;            // stray separator
        case 3: bytes.insert(at, std::string("#\0^\0e\0$\0", 8)); break;   // stray escape
        case 4: bytes.insert(at, std::string("\r\0\n\0", 4)); break;       // extra line break
        case 5: bytes.insert(at, std::string((size_t)Uniform(random, 1, 12000) * 2, 'A')); break;   // long line
        case 6: bytes[at] = (char)Uniform(random, 0, 255); break;
        case 7: bytes.insert(at, bytes.substr(at, (size_t)Uniform(random, 0, 400))); break;         // repeated run
        }
    }
    switch (Uniform(random, 0, 12)) {
    case 0: bytes = "\xFE\xFF" + bytes.substr(std::min<size_t>(2, bytes.size())); break;
    case 1: bytes = bytes.substr(std::min<size_t>(2, bytes.size())); break;        // no byte order mark
    case 2: bytes = "\xEF\xBB\xBF" + bytes; break;
    default: break;
    }
    return bytes;
}

TEST(ConfigRobustnessTest, DamagedFilesNeverBreakTheModel)
{
    ResetProgramState();
    TestFolder folder;
    CreateDirectoryW(folder.Join(L"Morrowtide").c_str(), NULL);
    std::wstring path = folder.Join(L"Morrowtide\\Vantrel.cfg");
    Random random(8122026);
    MessageBoxCatcher catcher;
    int loadedTiles = 0;
    int rounds = EnduranceCount(400, 2500);
    for (int round = 0; round < rounds; round++) {
        std::string bytes = Mutate(random, Utf16FileBytes(PlausibleFile(random)));
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        ResetProgramState();
        int result = LoadConfig();
        DeleteFileW((path + L".unread").c_str());   // kept of a damaged file: one at a time
        ASSERT_TRUE(result == 0 || result == -1 || result == -2 || result == -3) << result;

        ASSERT_GE(AppSettings.rows, 1);
        ASSERT_LE(AppSettings.rows, MaxRows);
        ASSERT_GE(AppSettings.columns, 1);
        ASSERT_LE(AppSettings.columns, MaxColumns);
        ASSERT_GE(AppSettings.selectedRow, 1);
        ASSERT_LE(AppSettings.selectedRow, AppSettings.rows);
        ASSERT_GE(AppSettings.selectedColumn, 1);
        ASSERT_LE(AppSettings.selectedColumn, AppSettings.columns);
        int selected = 0;
        for (int i = 0; i < MaxRows * MaxColumns; i++) {
            const Tile& tile = TileGrid[i];
            selected += tile.selected;
            if (!tile.filled)
                continue;
            loadedTiles++;
            size_t pathLength = wcsnlen(tile.path, TileTextCapacity);
            ASSERT_GT(pathLength, 0u);
            ASSERT_LT(pathLength, (size_t)TileTextCapacity);
            ASSERT_LT(wcsnlen(tile.name, TileTextCapacity), (size_t)TileTextCapacity);
            ASSERT_NE(tile.path[0], L' ');
        }
        ASSERT_EQ(selected, 1) << "round " << round;
        ASSERT_EQ(TileAt(AppSettings.selectedRow, AppSettings.selectedColumn)->selected, 1);
        ASSERT_TRUE(AppSettings.hotkeyKey == 'Z' || (AppSettings.hotkeyKey >= '0' && AppSettings.hotkeyKey <= '9') ||
                    (AppSettings.hotkeyKey >= 'A' && AppSettings.hotkeyKey <= 'Z'));
    }
    printf("%d damaged configuration files read, %d tiles kept from them\n", rounds, loadedTiles);
    // The damage must leave enough intact for the loader to have real work.
    EXPECT_GT(loadedTiles, 4 * rounds);
    EXPECT_GT(catcher.boxes.size(), (size_t)rounds / 50);
}
