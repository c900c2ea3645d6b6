// The text rules of the configuration file, without files or windows.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/ConfigFormat.h"
#include "model/TileGrid.h"

#include <stdio.h>
#include <random>

TEST(EscapeCommasTest, EveryCommaGetsTheEscapeInFront)
{
    EXPECT_STREQ(EscapeCommas(L"a,b"), L"a#^e$,b");
    EXPECT_STREQ(EscapeCommas(L",,"), L"#^e$,#^e$,");
    EXPECT_STREQ(EscapeCommas(L"no commas"), L"no commas");
    EXPECT_STREQ(EscapeCommas(L""), L"");
    EXPECT_STREQ(EscapeCommas(L"x,"), L"x#^e$,");

    // The worst case the model can hold: 359 commas.
    std::wstring commas(359, L',');
    std::wstring escaped = EscapeCommas(commas.c_str());
    EXPECT_EQ(escaped.size(), 359u * 5);
    EXPECT_EQ(escaped.substr(0, 10), L"#^e$,#^e$,");

    wchar_t small[8];
    EXPECT_EQ(EscapeCommasInto(L"a,b", small, _countof(small)), 7);
    EXPECT_EQ(EscapeCommasInto(L"a,bc", small, _countof(small)), -1);
}

TEST(TrimBlanksTest, RemovesTheLineFeedThenBlanksAndTabsAtBothEnds)
{
    wchar_t text[64];
    wcscpy_s(text, L"  \tC:\\x y\t \n");
    TrimBlanks(text);
    EXPECT_STREQ(text, L"C:\\x y");
    wcscpy_s(text, L" \t \n");
    TrimBlanks(text);
    EXPECT_STREQ(text, L"");
    wcscpy_s(text, L"a\n\n");
    TrimBlanks(text);
    EXPECT_STREQ(text, L"a\n");   // one final line feed only
    wcscpy_s(text, L"\nx");
    TrimBlanks(text);
    EXPECT_STREQ(text, L"\nx");
    TrimBlanks(NULL);
}

TEST(ParseFourDigitsTest, ExactlyFourDecimalDigits)
{
    EXPECT_EQ(ParseFourDigits(L"0003"), 3);
    EXPECT_EQ(ParseFourDigits(L"9999"), 9999);
    EXPECT_EQ(ParseFourDigits(L"003"), -1);
    EXPECT_EQ(ParseFourDigits(L"00003"), -1);
    EXPECT_EQ(ParseFourDigits(L"00a3"), -1);
    EXPECT_EQ(ParseFourDigits(L"-003"), -1);
    EXPECT_EQ(ParseFourDigits(L" 003"), -1);
    EXPECT_EQ(ParseFourDigits(L"\uFF10\uFF10\uFF10\uFF13"), -1);   // full-width digits
}

TEST(HeaderTest, OnlyALowerCaseVFollowedByFourDigits)
{
    int version = 0;
    EXPECT_EQ(ReadHeaderVersion(L"//#v0003 DO NOT CHANGE THIS LINE\n", &version), 1);
    EXPECT_EQ(version, 3);
    EXPECT_EQ(ReadHeaderVersion(L"//#v0004 ...", &version), 1);
    EXPECT_EQ(version, 4);
    EXPECT_EQ(ReadHeaderVersion(L"//#vab", &version), 1);
    EXPECT_EQ(version, -1);
    EXPECT_EQ(ReadHeaderVersion(L"//#v", &version), 1);
    EXPECT_EQ(version, -1);
    EXPECT_EQ(ReadHeaderVersion(L"//#V0003", &version), 0);
    EXPECT_EQ(ReadHeaderVersion(L"1,1,0,0,x,y", &version), 0);
}

struct SettingsCase {
    const wchar_t* line;
    int result;
    int values[SettingsFieldCount];
};

TEST(SettingsLineTest, ReadsTwelveSmallSignedNumbers)
{
    const int U = UnreadSetting;
    const SettingsCase cases[] = {
        { L"-10,0,859,646,0,0,90,1,6,8,1,2\n", 0, { -10, 0, 859, 646, 0, 0, 90, 1, 6, 8, 1, 2 } },
        { L"10 , 20 ,\t30,40,5,6,65,0,3,4,2,2\n", 0, { 10, 20, 30, 40, 5, 6, 65, 0, 3, 4, 2, 2 } },
        // An empty field is dropped: the later values move up one place.
        { L"1,2,,3,4,5,6,7,8,9,10,11,12\n", 0, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 } },
        // Blanks alone and a lone minus read as 0; fields after the twelfth are left out, and
        // said so when they hold more than blanks.
        { L"   ,-,1,1,1,1,1,1,1,1,1,1,junk,more\n", 1, { 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 } },
        { L"1,1,1,1,1,1,1,1,1,1,1,1, ,\t\n", 0, { 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 } },
        // -32000 has six characters: unreadable, the rest is still read.
        { L"-32000,-32000,160,27,0,0,90,1,6,8,1,1\n", -1, { U, U, 160, 27, 0, 0, 90, 1, 6, 8, 1, 1 } },
        { L"1,2,3,4,5,6,7,8,9,10,11,1a\n", -1, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, U } },
        { L"1,2,3,4,5,6,7,8,9,10,11,-\u0661\n", -1, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, U } },
        { L"1,2-3,3,4,5,6,7,8,9,10,11,12\n", -1, { 1, U, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 } },
        // Fewer than twelve fields: the later values cannot be placed, the line is unreadable.
        { L"1,2,3,4,5,6,7,8,9,10,11\n", -1, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, U } },
        { L"\n", -1, { 0, U, U, U, U, U, U, U, U, U, U, U } },
        { L"", -1, { U, U, U, U, U, U, U, U, U, U, U, U } },
    };
    for (const SettingsCase& c : cases) {
        int values[SettingsFieldCount];
        EXPECT_EQ(ParseSettingsLine(c.line, values), c.result) << c.line;
        for (int i = 0; i < SettingsFieldCount; i++)
            EXPECT_EQ(values[i], c.values[i]) << c.line << " field " << i + 1;
    }
}

class ApplySettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void Apply(std::initializer_list<int> list)
    {
        int values[SettingsFieldCount];
        std::copy(list.begin(), list.end(), values);
        ApplySettingsValues(values);
    }
};

TEST_F(ApplySettingsTest, GridSizeIsKeptInRangeAndBecomesTheHighWaterMark)
{
    Apply({ -10, 0, 859, 646, 0, 0, 90, 1, 0, 0, 1, 1 });
    EXPECT_EQ(AppSettings.rows, 6);
    EXPECT_EQ(AppSettings.columns, 8);
    Apply({ -10, 0, 859, 646, 0, 0, 90, 1, 60, 120, 1, 1 });
    EXPECT_EQ(AppSettings.rows, 50);
    EXPECT_EQ(AppSettings.columns, 100);
    EXPECT_EQ(AppSettings.rowsHighWater, 50);
    EXPECT_EQ(AppSettings.columnsHighWater, 100);
    Apply({ 1, 2, 3, 4, 5, 6, 90, 1, 3, 4, 1, 1 });
    EXPECT_EQ(AppSettings.rows, 3);
    EXPECT_EQ(AppSettings.columns, 4);
    EXPECT_EQ(AppSettings.rowsHighWater, 3);
    EXPECT_EQ(AppSettings.windowLeft, 1);
    EXPECT_EQ(AppSettings.windowTop, 2);
    EXPECT_EQ(AppSettings.windowWidth, 3);
    EXPECT_EQ(AppSettings.windowHeight, 4);
    EXPECT_EQ(AppSettings.scrollPosH, 5);
    EXPECT_EQ(AppSettings.scrollPosV, 6);
}

TEST_F(ApplySettingsTest, HotkeyTakesOnlyLettersDigitsAndAFlagOfZeroOrOne)
{
    Apply({ 0, 0, 1, 1, 0, 0, '0', 1, 6, 8, 1, 1 });
    EXPECT_EQ(AppSettings.hotkeyKey, '0');
    EXPECT_EQ(AppSettings.hotkeyRegistered, 1);
    Apply({ 0, 0, 1, 1, 0, 0, 91, 2, 6, 8, 1, 1 });
    EXPECT_EQ(AppSettings.hotkeyKey, '0');
    EXPECT_EQ(AppSettings.hotkeyRegistered, 1);
    Apply({ 0, 0, 1, 1, 0, 0, 'A', 0, 6, 8, 1, 1 });
    EXPECT_EQ(AppSettings.hotkeyKey, 'A');
    EXPECT_EQ(AppSettings.hotkeyRegistered, 0);
    Apply({ 0, 0, 1, 1, 0, 0, 64, -1, 6, 8, 1, 1 });
    EXPECT_EQ(AppSettings.hotkeyKey, 'A');
}

static int SelectedCount()
{
    int count = 0;
    for (const Tile& tile : TileGrid)
        count += tile.selected;
    return count;
}

TEST_F(ApplySettingsTest, SelectionMovesOnlyForPositiveValuesAndStaysInTheGrid)
{
    Apply({ 0, 0, 1, 1, 0, 0, 90, 1, 6, 8, 1, 2 });
    EXPECT_EQ(AppSettings.selectedRow, 1);
    EXPECT_EQ(AppSettings.selectedColumn, 2);
    EXPECT_EQ(TileAt(1, 1)->selected, 0);
    EXPECT_EQ(TileAt(1, 2)->selected, 1);

    ResetProgramState();
    Apply({ 0, 0, 1, 1, 0, 0, 90, 1, 6, 8, 0, 5 });
    EXPECT_EQ(AppSettings.selectedRow, 1);
    EXPECT_EQ(AppSettings.selectedColumn, 1);
    EXPECT_EQ(TileAt(1, 1)->selected, 1);

    // Outside the grid in use, even outside the array: clamped into the grid.
    ResetProgramState();
    Apply({ 0, 0, 1, 1, 0, 0, 90, 1, 6, 8, 9999, 300 });
    EXPECT_EQ(AppSettings.selectedRow, 6);
    EXPECT_EQ(AppSettings.selectedColumn, 8);
    EXPECT_EQ(TileAt(6, 8)->selected, 1);
    EXPECT_EQ(SelectedCount(), 1);
}

static TileLine Parse(const wchar_t* line, int expectedResult = 0)
{
    TileLine tile = {};
    EXPECT_EQ(ParseTileLine(line, &tile), expectedResult) << line;
    return tile;
}

TEST(TileLineTest, ReadsTheExampleLines)
{
    TileLine tile = Parse(L"1,1,2,3289650,C:\\Tools\\Editor\\editor.exe,Editor\n");
    EXPECT_EQ(tile.row, 1);
    EXPECT_EQ(tile.column, 1);
    EXPECT_EQ(tile.kind, 2);
    EXPECT_EQ(tile.backColor, 0x323232u);
    EXPECT_STREQ(tile.path, L"C:\\Tools\\Editor\\editor.exe");
    EXPECT_STREQ(tile.name, L"Editor");

    tile = Parse(L"2,1,0,3289650,C:\\Data\\notes#^e$, draft.txt,Notes#^e$, draft\n");
    EXPECT_STREQ(tile.path, L"C:\\Data\\notes, draft.txt");
    EXPECT_STREQ(tile.name, L"Notes, draft");

    tile = Parse(L"50,100,1,255,D:\\Projects,Projects\n");
    EXPECT_EQ(tile.row, 50);
    EXPECT_EQ(tile.column, 100);
    EXPECT_EQ(tile.backColor, 255u);
}

TEST(TileLineTest, NumbersFollowTheirRules)
{
    EXPECT_EQ(Parse(L"007,1,0,0,x,y\n").row, 7);
    EXPECT_EQ(Parse(L" 7 ,\t2 ,0,0,x,y\n").column, 2);
    EXPECT_EQ(Parse(L"1,1,-1,0,x,y\n").kind, -1);     // what the program writes for a missing target
    EXPECT_EQ(Parse(L"1,1,  ,0,x,y\n").kind, 0);
    EXPECT_EQ(Parse(L"1,1,7,0,x,y\n").kind, 7);
    EXPECT_EQ(Parse(L"1,1,0,  ,x,y\n").backColor, 0u);
    EXPECT_EQ(Parse(L"1,1,0,99999999,x,y\n").backColor, 99999999u);

    const wchar_t* rejected[] = {
        L"0,1,0,0,x,y\n", L"51,1,0,0,x,y\n", L"0007,1,0,0,x,y\n", L"1a,1,0,0,x,y\n", L"-1,1,0,0,x,y\n",
        L" ,1,0,0,x,y\n", L"1,0,0,0,x,y\n", L"1,101,0,0,x,y\n", L"1,1,-2,0,x,y\n", L"1,1,12345,0,x,y\n",
        L"1,1,0,123456789,x,y\n", L"1,1,0,-5,x,y\n", L"1,1,0,0x10,x,y\n", L"1,1,0\n", L"1,1\n",
        L"1,1,0,0, \t,name\n", L"1,1,0,0\n", L"\n", L"", L"garbage\n",
    };
    for (const wchar_t* line : rejected)
        Parse(line, -1);
}

TEST(TileLineTest, TextFieldsKeepTheirBlanksExceptThePathsOuterOnes)
{
    TileLine tile = Parse(L"1,1,0,0,  C:\\x y \t,  two  lines    \n");
    EXPECT_STREQ(tile.path, L"C:\\x y");
    EXPECT_STREQ(tile.name, L"  two  lines    ");
    // A name that ends with a comma or with the escape itself comes back unchanged.
    EXPECT_STREQ(Parse(L"1,1,0,0,x,name#^e$,\n").name, L"name,");
    EXPECT_STREQ(Parse(L"1,1,0,0,x,name#^e$\n").name, L"name#^e$");
    // An empty last field is an empty name.
    EXPECT_STREQ(Parse(L"1,1,0,0,C:\\x,\n").name, L"");
    EXPECT_STREQ(Parse(L"1,1,0,0,C:\\x\n").name, L"");
    // An escaped comma followed at once by the separator ends the text with a comma; a
    // single escaped comma runs on.
    tile = Parse(L"1,1,0,0,x#^e$,,Name\n");
    EXPECT_STREQ(tile.path, L"x,");
    EXPECT_STREQ(tile.name, L"Name");
    EXPECT_STREQ(Parse(L"1,1,0,0,#^e$,,\n").path, L",");
    tile = Parse(L"1,1,0,0,x#^e$,Name\n");
    EXPECT_STREQ(tile.path, L"x,Name");
    EXPECT_STREQ(tile.name, L"");
    // An unescaped comma in a name: the sixth field is the name, the line says it holds more.
    tile = Parse(L"2,2,0,0,C:\\four,Four, or more\n", 1);
    EXPECT_STREQ(tile.name, L"Four");
    EXPECT_STREQ(Parse(L"2,2,0,0,C:\\four,Four#^e$,,\n", 1).name, L"Four,");
}

TEST(TileLineTest, TextsLongerThanATileHoldsAreNeverLoadedShortened)
{
    std::wstring path(359, L'p');
    std::wstring name(359, L'n');
    TileLine tile = Parse((L"1,1,0,0," + path + L"," + name + L"\n").c_str());
    EXPECT_EQ(std::wstring(tile.path), path);
    EXPECT_EQ(std::wstring(tile.name), name);
    Parse((L"1,1,0,0," + path + L"p," + name + L"\n").c_str(), -1);
    Parse((L"1,1,0,0," + path + L"," + name + L"n\n").c_str(), -1);
    // Escaped commas count once: 359 commas in 1,795 characters fit.
    std::wstring commas;
    for (int i = 0; i < 359; i++)
        commas += L"#^e$,";
    tile = Parse((L"1,1,0,0,x," + commas + L"\n").c_str(), 0);
    EXPECT_EQ(std::wstring(tile.name), std::wstring(359, L','));
    Parse((L"1,1,0,0,x,#^e$," + commas + L"\n").c_str(), -1);   // 360 commas
}

TEST(TileLineTest, WritesTheExampleLinesAndRoundTripsAwkwardPaths)
{
    Tile tile = {};
    wcscpy_s(tile.path, L"C:\\Data\\notes, draft.txt");
    wcscpy_s(tile.name, L"Notes, draft");
    tile.backColor = 3289650;
    wchar_t line[ConfigLineCapacity];
    EXPECT_GT(FormatTileLine(2, 1, &tile, line, _countof(line)), 0);
    EXPECT_STREQ(line, L"2,1,0,3289650,C:\\Data\\notes#^e$, draft.txt,Notes#^e$, draft\n");

    tile.kind = -1;
    FormatTileLine(1, 2, &tile, line, _countof(line));
    EXPECT_EQ(wcsncmp(line, L"1,2,-1,3289650,", 15), 0) << line;

    // A path ending in a comma is written with its escaped comma beside the separator; one
    // ending in the escape itself gets a blank that the reader trims again.
    wcscpy_s(tile.path, L"x,");
    wcscpy_s(tile.name, L"Name");
    FormatTileLine(3, 4, &tile, line, _countof(line));
    EXPECT_STREQ(line, L"3,4,-1,3289650,x#^e$,,Name\n");
    const wchar_t* awkward[] = { L"x,", L",", L"p#^e$", L"a,#^e$", L"#^e$" };
    for (const wchar_t* path : awkward) {
        wcscpy_s(tile.path, path);
        wcscpy_s(tile.name, L"Name");
        ASSERT_GT(FormatTileLine(3, 4, &tile, line, _countof(line)), 0);
        TileLine back = Parse(line);
        EXPECT_STREQ(back.path, path) << line;
        EXPECT_STREQ(back.name, L"Name") << line;
    }

    // A control character that got into a tile's texts is left out, never a break in the line.
    wcscpy_s(tile.path, L"C:\\a\x1A\rb");
    wcscpy_s(tile.name, L"two\nlines\ttab");
    FormatTileLine(3, 4, &tile, line, _countof(line));
    EXPECT_STREQ(line, L"3,4,-1,3289650,C:\\ab,twolines\ttab\n");
    wchar_t fileLine[ConfigLineCapacity];
    FormatTileLineForFile(3, 4, &tile, fileLine, 40);   // the careful path, for a short buffer
    EXPECT_STREQ(fileLine, L"3,4,-1,3289650,C:\\ab,twolines\ttab\r\n");

    int values[SettingsFieldCount] = { -10, 0, 859, 646, 0, 0, 90, 1, 6, 8, 1, 2 };
    EXPECT_GT(FormatSettingsLine(values, line, _countof(line)), 0);
    EXPECT_STREQ(line, L"-10,0,859,646,0,0,90,1,6,8,1,2\n");

    // Every value is written so that the reader takes it back: -999 to 9999.
    int wide[SettingsFieldCount] = { -1920, -1000, 12000, 9999, 10319, -999, 90, 1, 6, 8, 1, 2 };
    FormatSettingsLine(wide, line, _countof(line));
    EXPECT_STREQ(line, L"-999,-999,9999,9999,9999,-999,90,1,6,8,1,2\n");
    int back[SettingsFieldCount];
    EXPECT_EQ(ParseSettingsLine(line, back), 0);
}

TEST(TileLineTest, TheLongestTileFitsTheWritersLine)
{
    Tile tile = {};
    std::wstring commas(359, L',');
    wcscpy_s(tile.path, commas.c_str());
    wcscpy_s(tile.name, commas.c_str());
    tile.kind = -1;
    tile.backColor = 0xFFFFFF;
    wchar_t line[ConfigLineCapacity];
    int length = FormatTileLine(50, 100, &tile, line, _countof(line));
    ASSERT_GT(length, 2 * 359 * 5);
    TileLine back = Parse(line);
    EXPECT_EQ(std::wstring(back.path), commas);
    EXPECT_EQ(std::wstring(back.name), commas);
}

// The lines a text gives: "1:" a line taken, "-1:" one refused, up to the end of the text.
static std::vector<std::wstring> ReadLines(const std::string& bytes, bool* notTakenAsIs = nullptr)
{
    std::vector<wchar_t> decoded(bytes.size() + 1);
    ConfigText text;
    StartConfigText((const unsigned char*)bytes.data(), bytes.size(), decoded.data(), &text);
    if (notTakenAsIs != nullptr)
        *notTakenAsIs = text.notTakenAsIs;
    std::vector<std::wstring> lines;
    wchar_t line[64];
    size_t length = 0;
    for (int read; (read = ReadConfigLine(&text, line, _countof(line), &length)) != 0;)
        lines.push_back((read > 0 ? L"1:" : L"-1:") + std::wstring(line, length));
    return lines;
}

TEST(LineTest, LinesEndInCrLfLfOrACrAloneAndControlCharactersRefuseTheirLine)
{
    const std::string bom("\xFF\xFE", 2);
    const struct { std::wstring text; std::vector<std::wstring> lines; } cases[] = {
        { L"a\r\nb\nc", { L"1:a\n", L"1:b\n", L"1:c" } },
        { L"a\rb\rc\r", { L"1:a\n", L"1:b\n", L"1:c\n" } },
        { L"a\r\r\nb", { L"1:a\n", L"1:\n", L"1:b" } },
        { L"a\tb\n", { L"1:a\tb\n" } },
        // CTRL+Zs from the start of a line to the end end the text: what a save leaves over the
        // tail of a longer file it could not cut. Anything else after one was typed: the mark
        // refuses its line, and the lines after it are read.
        { L"a\n\x1A\x1A\x1A", { L"1:a\n" } },
        { L"a\n\x1A", { L"1:a\n" } },
        { L"a\n\x1A" L"old tail\nmore\n", { L"1:a\n", L"-1:\x1A" L"old tail\n", L"1:more\n" } },
        { L"\x1A" L"a\n", { L"-1:\x1A" L"a\n" } },
        { L"a\n\x1A\x1A\n", { L"1:a\n", L"-1:\x1A\x1A\n" } },
        { L"a\x1A" L"b\nc\n", { L"-1:a\x1A" L"b\n", L"1:c\n" } },
        { std::wstring(L"a\0b\nc", 5), { std::wstring(L"-1:a\0b\n", 7), L"1:c" } },
        { L"a\x01\r\nb\x1F", { L"-1:a\x01\n", L"-1:b\x1F" } },
        { L"\xFEFF\xD83D\xDE00\n", { L"1:\xFEFF\xD83D\xDE00\n" } },
    };
    for (const auto& c : cases) {
        bool notTakenAsIs = true;
        EXPECT_EQ(ReadLines(bom + Utf16Bytes(c.text), &notTakenAsIs), c.lines);
        EXPECT_FALSE(notTakenAsIs);
    }
    // A last odd byte is no character, and is said to be left out.
    bool notTakenAsIs = false;
    EXPECT_EQ(ReadLines(bom + Utf16Bytes(L"a") + "b", &notTakenAsIs), std::vector<std::wstring>{ L"1:a" });
    EXPECT_TRUE(notTakenAsIs);
}

TEST(LineTest, EightBitTextIsUtf8OrElseTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 1252u) << "the expectations below are Windows-1252's";
    const struct { std::string bytes; std::vector<std::wstring> lines; bool guessed; } cases[] = {
        { "\xEF\xBB\xBF" "a\xC3\xA9\r\nb\rc", { L"1:a\xE9\n", L"1:b\n", L"1:c" }, false },
        { "//#v\r\n\xF0\x9F\x98\x80\n", { L"1://#v\n", L"1:\xD83D\xDE00\n" }, false },
        // Not UTF-8: an editor's "ANSI", whose letters come back, read as a guess.
        { "//#v\r\nC:\\caf\xE9,\xE0 la carte\r\n", { L"1://#v\n", L"1:C:\\caf\xE9,\xE0 la carte\n" }, true },
        { "\xEF\xBB\xBF" "a\x1A" "b\n\x1A" "c", { L"-1:a\x1A" L"b\n", L"-1:\x1A" L"c" }, false },
    };
    for (const auto& c : cases) {
        bool guessed = !c.guessed;
        EXPECT_EQ(ReadLines(c.bytes, &guessed), c.lines) << c.bytes;
        EXPECT_EQ(guessed, c.guessed) << c.bytes;
    }
}

TEST(TextModeTest, EncodingWritesWhatTheRuntimesTextModeWrites)
{
    TestFolder folder;
    std::wstring path = folder.Join(L"text.bin");
    const std::wstring texts[] = { L"", L"a\nb\n", L"\r\n", L"\n\n\r", L"C:\\x, y\\\x00E9t\x00E9\xD83D\xDE00\n" };
    for (const std::wstring& text : texts) {
        FILE* file = NULL;
        ASSERT_EQ(_wfopen_s(&file, path.c_str(), L"w, ccs=UTF-16LE"), 0);
        fputws(text.c_str(), file);
        fclose(file);
        std::vector<wchar_t> out(2 * text.size() + 2, 0);
        out[0] = 0xFEFF;
        size_t length = 1 + (size_t)EncodeConfigText(text.c_str(), text.size(), out.data() + 1, out.size() - 1);
        EXPECT_EQ(std::string((const char*)out.data(), length * sizeof(wchar_t)), ReadFileBytes(path));
    }
}
