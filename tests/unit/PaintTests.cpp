// The painter: pixels of composed frames, the icon cache, and no leaks.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/Paint.h"
#include "view/TileDraw.h"

#include <commctrl.h>

static const COLORREF Black = 0x000000;
static const COLORREF White = 0xFFFFFF;
static const COLORREF Grey = 0x323232;

TEST(ContrastTextColorTest, WhiteBelowTwoHundredEightyBlackFromThere)
{
    EXPECT_EQ(ContrastTextColor(0x323232), White);    // 150
    EXPECT_EQ(ContrastTextColor(0x5D5D5D), White);    // 279
    EXPECT_EQ(ContrastTextColor(0x5E5E5E), Black);    // 282
    EXPECT_EQ(ContrastTextColor(0x0032D7), Black);    // red 215, green 50: exactly 280
    EXPECT_EQ(ContrastTextColor(0x0031D7), White);    // 278.7
    EXPECT_EQ(ContrastTextColor(0x0000FF), White);    // 255
    EXPECT_EQ(ContrastTextColor(0x00FF00), Black);    // 331.5
    EXPECT_EQ(ContrastTextColor(0xFF0000), White);    // 178.5
    EXPECT_EQ(ContrastTextColor(0x000000), White);
    EXPECT_EQ(ContrastTextColor(0xFFFFFF), Black);
}

static HICON MakeIcon(int width, int height, bool monochrome)
{
    ICONINFO info = {};
    info.fIcon = TRUE;
    if (monochrome) {
        info.hbmMask = CreateBitmap(width, height * 2, 1, 1, NULL);
    } else {
        info.hbmMask = CreateBitmap(width, height, 1, 1, NULL);
        HDC screen = GetDC(NULL);
        info.hbmColor = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(NULL, screen);
    }
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return icon;
}

TEST(GetIconSizeTest, ReadsColourAndMonochromeIcons)
{
    int width = -1, height = -1;
    HICON colour = MakeIcon(48, 40, false);
    ASSERT_TRUE(GetIconSize(colour, &width, &height));
    EXPECT_EQ(width, 48);
    EXPECT_EQ(height, 40);
    DestroyIcon(colour);

    HICON mono = MakeIcon(32, 24, true);
    ASSERT_TRUE(GetIconSize(mono, &width, &height));
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 24);
    DestroyIcon(mono);

    width = height = -1;
    EXPECT_FALSE(GetIconSize((HICON)(ULONG_PTR)0xBAD0, &width, &height));
    EXPECT_EQ(width, -1);
    EXPECT_EQ(height, -1);
}

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        AppSettings.iconRefreshMode = 0;
        iconSize = GetSystemMetrics(SM_CXICON);
    }

    void Render(DibCanvas& canvas, int scrollH = 0, int scrollV = 0)
    {
        RECT client = { 0, 0, canvas.width, canvas.height };
        ComposeFrame(canvas.dc, &client, TRUE, scrollH, scrollV);
    }

    Tile* Fill(int row, int column, const std::wstring& path, const wchar_t* name, COLORREF color)
    {
        Tile* tile = TileAt(row, column);
        wcscpy_s(tile->path, path.c_str());
        wcscpy_s(tile->name, name);
        tile->filled = 1;
        tile->backColor = color;
        return tile;
    }

    // The tile's square, as the painter places it without scrolling.
    static RECT Square(int row, int column)
    {
        RECT r = { 10 + (column - 1) * 103, 10 + (row - 1) * 103, 0, 0 };
        r.right = r.left + 102;
        r.bottom = r.top + 102;
        return r;
    }

    // Pixels of the tile outside its icon square and label lines that differ from color.
    static int StrayPixels(const DibCanvas& canvas, const RECT& r, COLORREF color, int iconSize)
    {
        int strays = 0;
        int half = iconSize / 2;
        for (int y = r.top + 1; y < r.bottom - 1; y++) {
            for (int x = r.left + 1; x < r.right - 1; x++) {
                bool inIcon = x >= r.left + 51 - half && x < r.left + 51 - half + iconSize &&
                              y >= r.top + 51 - half && y < r.top + 51 - half + iconSize;
                bool inLabel = y >= r.top + 51 - half + iconSize && x >= r.left + 12;
                if (!inIcon && !inLabel && canvas.Pixel(x, y) != color)
                    strays++;
            }
        }
        return strays;
    }

    std::wstring MakeFile(const wchar_t* name)
    {
        std::wstring path = folder.Join(name);
        EXPECT_TRUE(WriteFileBytes(path, "hello"));
        return path;
    }

    TestFolder folder;
    int iconSize = 32;
};

TEST_F(PaintTest, EmptyGridOnBlackWithTheSelectedTileFramed)
{
    DibCanvas canvas(900, 700);
    Render(canvas);

    // Margins, gaps and the area beyond the last row and column are black.
    EXPECT_EQ(canvas.Pixel(0, 0), Black);
    EXPECT_EQ(canvas.Pixel(9, 50), Black);
    EXPECT_EQ(canvas.Pixel(112, 50), Black);     // the gap after column 1
    EXPECT_EQ(canvas.Pixel(150, 112), Black);    // the gap after row 1
    RECT beyondColumns = { 833, 0, 900, 700 };
    RECT beyondRows = { 0, 627, 900, 700 };
    EXPECT_EQ(canvas.CountColor(beyondColumns, Black), 67 * 700);
    EXPECT_EQ(canvas.CountColor(beyondRows, Black), 900 * 73);

    // An empty tile: dark grey inside a one-pixel black outline.
    RECT r = Square(2, 3);
    RECT inside = { r.left + 1, r.top + 1, r.right - 1, r.bottom - 1 };
    EXPECT_EQ(canvas.CountColor(inside, Grey), 100 * 100);
    for (int i = r.left; i < r.right; i++) {
        EXPECT_EQ(canvas.Pixel(i, r.top), Black);
        EXPECT_EQ(canvas.Pixel(i, r.bottom - 1), Black);
    }
    EXPECT_EQ(canvas.Pixel(r.left, r.top + 50), Black);
    EXPECT_EQ(canvas.Pixel(r.right - 1, r.top + 50), Black);
    EXPECT_EQ(canvas.Pixel(r.right, r.top + 50), Black);   // the gap, not the tile

    // The selected tile (1, 1): a thick white square at the edge, a thin black one inside.
    r = Square(1, 1);
    for (int x = r.left; x <= r.left + 4; x++)
        EXPECT_EQ(canvas.Pixel(x, r.top + 50), White) << x;
    EXPECT_EQ(canvas.Pixel(r.left + 5, r.top + 50), Grey);
    EXPECT_EQ(canvas.Pixel(r.left + 6, r.top + 50), Grey);
    EXPECT_EQ(canvas.Pixel(r.left + 7, r.top + 50), Black);
    EXPECT_EQ(canvas.Pixel(r.left + 8, r.top + 50), Grey);
    EXPECT_EQ(canvas.Pixel(r.right - 8, r.top + 50), Black);
    EXPECT_EQ(canvas.Pixel(r.left + 50, r.top + 7), Black);
    EXPECT_EQ(canvas.Pixel(r.left + 50, r.bottom - 8), Black);
    for (int x = r.right - 5; x < r.right; x++)
        EXPECT_EQ(canvas.Pixel(x, r.top + 50), White) << x;
    EXPECT_EQ(canvas.Pixel(r.left + 50, r.top + 50), Grey);
}

TEST_F(PaintTest, FilledTileInItsColourWithQuestionMarkAndWhiteLabel)
{
    Fill(2, 2, L"C:\\nowhere\\tool.exe", L"tool.exe", 0x00005A);
    DibCanvas canvas(900, 700);
    Render(canvas);
    RECT r = Square(2, 2);

    EXPECT_EQ(canvas.Pixel(r.left, r.top + 50), Black);            // outline
    EXPECT_EQ(canvas.Pixel(r.left + 3, r.top + 3), (COLORREF)0x00005A);
    EXPECT_EQ(StrayPixels(canvas, r, 0x00005A, iconSize), 0);
    // Not resolved: the question mark stands in the icon's square.
    RECT icon = { r.left + 51 - iconSize / 2, r.top + 51 - iconSize / 2, 0, 0 };
    icon.right = icon.left + iconSize;
    icon.bottom = icon.top + iconSize;
    EXPECT_GT(iconSize * iconSize - canvas.CountColor(icon, 0x00005A), 50);
    // "Tool" is short: one white line in the second line's place.
    int firstLine = icon.bottom;
    RECT lineOne = { r.left + 12, firstLine, r.right - 1, firstLine + 12 };
    RECT lineTwo = { r.left + 12, firstLine + 12, r.right - 1, r.bottom - 1 };
    EXPECT_EQ(canvas.CountColor(lineOne, White), 0);
    EXPECT_GT(canvas.CountColor(lineTwo, White), 10);
    EXPECT_EQ(canvas.CountColor(lineTwo, Black), 0);
}

TEST_F(PaintTest, LongNamesTakeTwoLinesInBlackOnALightTile)
{
    Fill(1, 3, L"C:\\nowhere\\a.txt", L"abcdefghijklmnopqrstuvwxyz", 0xE0E0E0);
    Fill(1, 4, L"C:\\nowhere\\b.txt", L".exe", 0xE0E0E0);
    DibCanvas canvas(900, 700);
    Render(canvas);

    RECT r = Square(1, 3);
    int firstLine = r.top + 51 - iconSize / 2 + iconSize;
    RECT lineOne = { r.left + 12, firstLine, r.right - 1, firstLine + 12 };
    RECT lineTwo = { r.left + 12, firstLine + 12, r.right - 1, r.bottom - 1 };
    EXPECT_GT(canvas.CountColor(lineOne, Black), 10);
    EXPECT_GT(canvas.CountColor(lineTwo, Black), 10);
    EXPECT_EQ(canvas.CountColor(lineOne, White), 0);

    // A name that is only ".exe" draws no text at all.
    r = Square(1, 4);
    RECT label = { r.left + 1, firstLine, r.right - 1, r.bottom - 1 };
    EXPECT_EQ(canvas.CountColor(label, 0xE0E0E0), (r.right - r.left - 2) * (r.bottom - 1 - firstLine));
}

TEST_F(PaintTest, SelectedFilledTileShowsTheFrameOverItsColour)
{
    Fill(1, 1, L"C:\\nowhere\\x.txt", L"x", 0x804000);
    DibCanvas canvas(900, 700);
    Render(canvas);
    RECT r = Square(1, 1);
    EXPECT_EQ(canvas.Pixel(r.left + 2, r.top + 50), White);
    EXPECT_EQ(canvas.Pixel(r.left + 5, r.top + 50), (COLORREF)0x804000);
    EXPECT_EQ(canvas.Pixel(r.left + 7, r.top + 50), Black);
    EXPECT_EQ(canvas.Pixel(r.left + 9, r.top + 50), (COLORREF)0x804000);
    EXPECT_EQ(canvas.Pixel(r.left + 50, r.top + 2), White);
}

TEST_F(PaintTest, ScrollPositionsShiftTheWholePicture)
{
    Fill(2, 3, L"C:\\nowhere\\x.txt", L"x", 0x0000FF);
    DibCanvas canvas(500, 400);
    Render(canvas, 103, 103);
    // Tile (2, 3) now stands where tile (1, 2) stood.
    RECT r = Square(1, 2);
    EXPECT_EQ(canvas.Pixel(r.left + 3, r.top + 3), (COLORREF)0x0000FF);
    EXPECT_EQ(canvas.Pixel(r.left - 1, r.top + 3), Black);
    // Tile (1, 1), partly scrolled off, still shows the rest of its frame.
    EXPECT_EQ(canvas.Pixel(6, 6), White);
    EXPECT_EQ(canvas.Pixel(7, 2), White);
    EXPECT_EQ(canvas.Pixel(2, 7), White);
}

TEST_F(PaintTest, ResolvedIconsAreLookedUpOnceAndCentredOnTheTile)
{
    std::wstring path = MakeFile(L"readme.txt");
    Tile* tile = Fill(1, 2, path, L"readme", Grey);

    DibCanvas questionMark(900, 700);
    Render(questionMark);
    EXPECT_EQ(tile->iconIndex, 0) << "a normal paint looks nothing up";

    AppSettings.iconRefreshMode = 1;
    DibCanvas resolved(900, 700);
    Render(resolved);
    EXPECT_EQ(AppSettings.iconRefreshMode, 0);
    ASSERT_NE(tile->iconIndex, 0);
    int cached = tile->iconIndex;

    // Ordinary paints show the cached icon, also when its image-list index is 0.
    DibCanvas again(900, 700);
    Render(again);
    RECT r = Square(1, 2);
    int differences = 0;
    int fromQuestionMark = 0;
    for (int y = r.top; y < r.bottom; y++) {
        for (int x = r.left; x < r.right; x++) {
            differences += again.Pixel(x, y) != resolved.Pixel(x, y);
            fromQuestionMark += resolved.Pixel(x, y) != questionMark.Pixel(x, y);
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(fromQuestionMark, 0) << "the shell's icon differs from the question mark";
    EXPECT_EQ(StrayPixels(resolved, r, Grey, iconSize), 0) << "icon centred on (left + 51, top + 51)";

    // A resolved icon is not looked up again: a path the shell cannot know keeps the cache.
    wcscpy_s(tile->path, L"C:\\nowhere\\gone.txt");
    AppSettings.iconRefreshMode = 1;
    Render(again);
    EXPECT_EQ(tile->iconIndex, cached);
}

TEST_F(PaintTest, FailedLookUpsKeepTheQuestionMarkAndAreTriedAgain)
{
    Tile* tile = Fill(1, 2, L"C:\\nowhere\\gone.txt", L"gone", Grey);
    AppSettings.iconRefreshMode = 1;
    DibCanvas canvas(900, 700);
    Render(canvas);
    EXPECT_EQ(tile->iconIndex, 0);

    wcscpy_s(tile->path, MakeFile(L"back.txt").c_str());
    AppSettings.iconRefreshMode = 1;
    Render(canvas);
    EXPECT_NE(tile->iconIndex, 0);
}

TEST_F(PaintTest, AFullRefreshLooksTilesUpWhenTheyAreFirstDrawn)
{
    std::wstring path = MakeFile(L"far.txt");
    Tile* farTile = Fill(6, 8, path, L"far", Grey);
    Tile* nearTile = Fill(1, 1, path, L"near", Grey);
    Tile* missing = Fill(6, 7, L"C:\\nowhere\\gone.txt", L"gone", Grey);
    Tile* beyond = Fill(7, 1, path, L"beyond", Grey);   // outside the grid in use
    DibCanvas canvas(200, 200);

    AppSettings.iconRefreshMode = 1;
    Render(canvas);
    EXPECT_NE(nearTile->iconIndex, 0);
    EXPECT_EQ(farTile->iconIndex, 0);

    // A full refresh costs nothing for tiles out of sight until they come into view.
    AppSettings.iconRefreshMode = 2;
    Render(canvas);
    EXPECT_EQ(AppSettings.iconRefreshMode, 0);
    EXPECT_EQ(farTile->iconIndex, 0);
    Render(canvas, 6 * 103, 5 * 103);   // (6, 7) and (6, 8) where (1, 1) and (1, 2) stood
    EXPECT_NE(farTile->iconIndex, 0) << "scrolled into view: its real icon";
    EXPECT_GT(100 * 100 - canvas.CountColor(Square(1, 1), Grey), 50) << "(6, 7) shows the question mark";
    EXPECT_EQ(missing->iconIndex, 0);
    EXPECT_EQ(beyond->iconIndex, 0);

    // Looked up once: a later normal paint does not try the missing one again.
    wcscpy_s(missing->path, path.c_str());
    Render(canvas, 6 * 103, 5 * 103);
    EXPECT_EQ(missing->iconIndex, 0);
}

TEST_F(PaintTest, IconsLookAsDrawIconExDrawsThem)
{
    std::wstring path = MakeFile(L"look.txt");
    Tile* tile = Fill(1, 2, path, L"", Grey);
    AppSettings.iconRefreshMode = 1;
    DibCanvas painted(300, 200);
    Render(painted);
    ASSERT_NE(tile->iconIndex, 0);

    typedef BOOL(WINAPI * ImageListsProc)(HIMAGELIST*, HIMAGELIST*);
    ImageListsProc imageLists =
        (ImageListsProc)(void*)GetProcAddress(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(71));
    HIMAGELIST large = NULL, small = NULL;
    ASSERT_TRUE(imageLists(&large, &small));
    HICON icon = ImageList_GetIcon(large, tile->iconIndex - 1, ILD_NORMAL);
    int width = 0, height = 0;
    ASSERT_TRUE(GetIconSize(icon, &width, &height));
    DibCanvas reference(300, 200);
    RECT square = Square(1, 2);
    HBRUSH grey = CreateSolidBrush(Grey);
    FillRect(reference.dc, &square, grey);
    DeleteObject(grey);
    int x = square.left + 51 - width / 2, y = square.top + 51 - height / 2;
    DrawIconEx(reference.dc, x, y, icon, 0, 0, 0, NULL, DI_NORMAL);
    DestroyIcon(icon);
    int differences = 0;
    for (int j = y; j < y + height; j++)
        for (int i = x; i < x + width; i++)
            differences += painted.Pixel(i, j) != reference.Pixel(i, j);
    EXPECT_EQ(differences, 0);
}

TEST_F(PaintTest, APaintOfOneTileTouchesNoOtherPixel)
{
    HWND window = CreateTestMainWindowWithClient(600, 500);
    ASSERT_NE(window, nullptr);
    Fill(2, 2, L"C:\\nowhere\\wide.txt", L"WWWWWWWWWWWWWWWWWWWWWWWW", 0x0000FF);
    Fill(2, 3, L"C:\\nowhere\\x.txt", L"x", 0x00FF00);
    DibCanvas full(600, 500), part(600, 500);
    RECT client = { 0, 0, 600, 500 };
    ComposeFrame(full.dc, &client, TRUE, 0, 0);
    const COLORREF sentinel = 0x123456;
    HBRUSH brush = CreateSolidBrush(sentinel);
    FillRect(part.dc, &client, brush);
    DeleteObject(brush);

    RECT one = Square(2, 3);
    PaintClientArea(window, part.dc, &one);
    int outside = 0, wrong = 0;
    for (int y = 0; y < 500; y++) {
        for (int x = 0; x < 600; x++) {
            POINT p = { x, y };
            if (!PtInRect(&one, p))
                outside += part.Pixel(x, y) != sentinel;
            else
                wrong += part.Pixel(x, y) != full.Pixel(x, y);
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(wrong, 0) << "the tile as a full paint shows it, the label of (2, 2) running into it included";
    DestroyTestMainWindow();
}

TEST_F(PaintTest, WindowPaintCopiesTheComposedFrameToTheScreen)
{
    HWND window = CreateTestMainWindow(500, 400);
    ASSERT_NE(window, nullptr);
    Fill(1, 2, L"C:\\nowhere\\x.txt", L"x", 0x0000FF);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    int before = GdiObjectCount();
    for (int i = 0; i < 50; i++) {
        InvalidateRect(window, NULL, TRUE);
        UpdateWindow(window);
    }
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_EQ(AppSettings.iconRefreshMode, 0);

    HDC screen = GetDC(window);
    EXPECT_EQ(GetPixel(screen, 0, 0), Black);
    EXPECT_EQ(GetPixel(screen, 10 + 103 + 3, 13), (COLORREF)0x0000FF);
    EXPECT_EQ(GetPixel(screen, 12, 50), White);
    EXPECT_EQ(GetPixel(screen, 50, 50), Grey);
    ReleaseDC(window, screen);
    DestroyTestMainWindow();
}
