// Scroll ranges, scroll requests, the wheel and the into-view moves on a real window.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"
#include "view/FindBar.h"
#include "view/Paint.h"
#include "view/Scroll.h"

#include <functional>
#include <vector>

class ScrollTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { DestroyTestMainWindow(); }
    void Open(int width, int height) { ASSERT_NE(CreateTestMainWindowWithClient(width, height), nullptr); }
    static int Position(int bar) { return ReadScrollPosition(bar); }
    static int Send(UINT message, int code, int bar)
    {
        SendMessageW(MainWindow, message, (WPARAM)code, 0);
        return Position(bar);
    }
};

TEST_F(ScrollTest, RangesOfTheDefaultGridInA500By400Client)
{
    Open(500, 400);
    EXPECT_EQ(AppSettings.clientWidth, 500);
    EXPECT_EQ(AppSettings.clientHeight, 400);
    RECT outer;
    GetWindowRect(MainWindow, &outer);
    EXPECT_EQ(AppSettings.windowWidth, outer.right - outer.left);
    EXPECT_EQ(AppSettings.windowHeight, outer.bottom - outer.top);

    SCROLLINFO v = ScrollBarInfo(SB_VERT), h = ScrollBarInfo(SB_HORZ);
    EXPECT_EQ(v.nMin, 0);
    EXPECT_EQ(v.nMax, 350);
    EXPECT_EQ(v.nPage, 103u);
    EXPECT_EQ(h.nMax, 456);
    EXPECT_EQ(h.nPage, 103u);
    EXPECT_EQ(Send(WM_VSCROLL, SB_BOTTOM, SB_VERT), 248);
    EXPECT_EQ(Send(WM_HSCROLL, SB_RIGHT, SB_HORZ), 354);
    // At the largest position the last row ends 2 x margin + 1 pixels above the bottom.
    RECT last;
    ASSERT_EQ(TileRect(6, 8, &last), 0);
    EXPECT_EQ(last.bottom, 400 - 21);
    EXPECT_EQ(last.right, 500 - 21);
}

TEST_F(ScrollTest, AClientLargerThanTheGridHidesTheBarsAndStaysAtZero)
{
    Open(900, 700);
    EXPECT_EQ(ScrollRangeMax(637, 700, 10, 1), 50);
    EXPECT_EQ(ScrollRangeMax(843, 2000, 10, 1), 1);
    EXPECT_EQ(GetWindowLongW(MainWindow, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), 0);
    EXPECT_EQ(Send(WM_VSCROLL, SB_BOTTOM, SB_VERT), 0);
    EXPECT_EQ(Send(WM_HSCROLL, SB_PAGERIGHT, SB_HORZ), 0);
}

TEST_F(ScrollTest, EveryRequestCodeFromPosition100)
{
    Open(500, 400);
    const struct { int code, expected; } cases[] = {
        { SB_LINEUP, 99 }, { SB_LINEDOWN, 101 }, { SB_PAGEUP, 0 }, { SB_PAGEDOWN, 203 },
        { SB_THUMBPOSITION, 100 }, { SB_TOP, 0 }, { SB_BOTTOM, 248 }, { SB_ENDSCROLL, 100 }, { 99, 100 },
    };
    for (const auto& c : cases) {
        SCROLLINFO at = { sizeof(at), SIF_POS, 0, 0, 0, 100, 0 };
        SetScrollInfo(MainWindow, SB_VERT, &at, TRUE);
        EXPECT_EQ(Send(WM_VSCROLL, c.code, SB_VERT), c.expected) << "code " << c.code;
    }
    SCROLLINFO info = {};
    info.nPos = 7;
    info.nTrackPos = 42;
    EXPECT_EQ(RequestedScrollPosition(SB_THUMBTRACK, &info), 42);
}

TEST_F(ScrollTest, VerticalRequestsLeaveTheRepaintPendingHorizontalOnesPaintAtOnce)
{
    Open(500, 400);
    ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(MainWindow);
    RECT update;
    Send(WM_VSCROLL, SB_PAGEDOWN, SB_VERT);
    EXPECT_TRUE(GetUpdateRect(MainWindow, &update, FALSE));
    UpdateWindow(MainWindow);
    Send(WM_HSCROLL, SB_PAGERIGHT, SB_HORZ);
    EXPECT_FALSE(GetUpdateRect(MainWindow, &update, FALSE));
    Send(WM_VSCROLL, SB_TOP, SB_VERT);
    UpdateWindow(MainWindow);
    Send(WM_VSCROLL, SB_LINEUP, SB_VERT);   // already at the top: nothing to repaint
    EXPECT_FALSE(GetUpdateRect(MainWindow, &update, FALSE));
}

TEST_F(ScrollTest, TheWheelMakesOneRequestPerNotchAndCarriesNothing)
{
    Open(500, 400);
    AppSettings.wheelStep = 40;
    auto wheel = [](int delta, int keys) {
        return SendMessageW(MainWindow, WM_MOUSEWHEEL, MAKEWPARAM(keys, (WORD)(short)delta), 0);
    };
    Send(WM_VSCROLL, SB_PAGEDOWN, SB_VERT);   // from the middle, a carried remainder could go either way
    EXPECT_EQ(wheel(-60, 0), 0);
    EXPECT_EQ(wheel(-60, 0), 0);
    EXPECT_EQ(Position(SB_VERT), 103) << "small deltas never add up";
    wheel(240, 0);
    EXPECT_EQ(Position(SB_VERT), 0);
    wheel(-240, 0);
    EXPECT_EQ(Position(SB_VERT), 103) << "a large delta scrolls one page only";
    wheel(-120, MK_LBUTTON);
    EXPECT_EQ(Position(SB_VERT), 103) << "a held button stops the wheel";
    wheel(-120, MK_SHIFT);
    EXPECT_EQ(Position(SB_VERT), 104);
    wheel(-120, MK_CONTROL);
    EXPECT_EQ(Position(SB_HORZ), 103);
    wheel(120, MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(Position(SB_HORZ), 102);
    AppSettings.wheelStep = 0;
    wheel(-120, 0);
    EXPECT_EQ(Position(SB_VERT), 104) << "wheel scrolling switched off";
}

TEST_F(ScrollTest, RowsAndColumnsComeIntoViewWithTheSmallestMove)
{
    EXPECT_EQ(IntoViewPosition(-30, 400, 100), 70);
    EXPECT_EQ(IntoViewPosition(298, 400, 100), 100);
    EXPECT_EQ(IntoViewPosition(299, 400, 100), 101);
    EXPECT_EQ(IntoViewPosition(10, 80, 0), 32) << "a view lower than a tile aligns the bottom";

    Open(500, 400);
    EXPECT_EQ(ScrollRowIntoView(6), 0);
    EXPECT_EQ(Position(SB_VERT), 627 - 400);
    EXPECT_EQ(ScrollRowIntoView(4), 0);
    EXPECT_EQ(Position(SB_VERT), 227) << "a visible row does not move";
    EXPECT_EQ(ScrollRowIntoView(3), 0);
    EXPECT_EQ(Position(SB_VERT), 216) << "row 3 stood 11 pixels above the top";
    EXPECT_EQ(ScrollRowIntoView(1), 0);
    EXPECT_EQ(Position(SB_VERT), 10);
    EXPECT_EQ(ScrollColumnIntoView(8), 0);
    EXPECT_EQ(Position(SB_HORZ), 833 - 500);
    EXPECT_EQ(ScrollRowIntoView(7), 1);
    EXPECT_EQ(ScrollRowIntoView(0), 1);
    EXPECT_EQ(ScrollColumnIntoView(9), 1);
    EXPECT_EQ(Position(SB_VERT), 10);
}

TEST_F(ScrollTest, SavedPositionsComeBackWithinTheRealRanges)
{
    AppSettings.rows = 20;
    AppSettings.columns = 30;
    Open(500, 400);
    AppSettings.scrollPosH = 300;
    AppSettings.scrollPosV = 5000;
    RestoreScrollPositions();
    EXPECT_EQ(Position(SB_HORZ), 300);
    EXPECT_EQ(Position(SB_VERT), ContentExtent(20, 1, 10) - 400 + 10 + 1);
}

// What the window shows, read back from its surface.
static std::vector<COLORREF> Shown(int width, int height)
{
    DibCanvas canvas(width, height);
    HDC dc = GetDC(MainWindow);
    BitBlt(canvas.dc, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(MainWindow, dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            pixels.push_back(canvas.Pixel(x, y));
    return pixels;
}

// A scroll moves the pixels still in view and paints only what it uncovers: the picture must be
// the one a whole repaint gives, also with a paint still due and with the find bar over the grid.
TEST_F(ScrollTest, AMovedViewShowsWhatAWholeRepaintShows)
{
    Open(500, 400);
    // Every tile its own colour, so that a strip taken from the wrong place shows.
    for (int row = 1; row <= 12; row++) {
        for (int column = 1; column <= 12; column++) {
            FillTile(TileAt(row, column), L"C:\\missing\\a.txt", L"A", TileKind::PlainFile);
            TileAt(row, column)->backColor = RGB(row * 20, column * 20, 90);
        }
    }
    AppSettings.rows = AppSettings.columns = 12;
    RecomputeContentSize();
    UpdateScrollRanges();
    ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
    auto send = [](UINT message, int code) { return [=] { SendMessageW(MainWindow, message, (WPARAM)code, 0); }; };
    const struct {
        const char* what;
        std::function<void()> move;
    } cases[] = {
        { "Page Down", send(WM_VSCROLL, SB_PAGEDOWN) },
        { "Page Right", send(WM_HSCROLL, SB_PAGERIGHT) },
        { "a pixel down", [] { ScrollByPixels(MainWindow, SB_VERT, 1); } },
        { "a tile due to be painted, then Page Down",
          [&] {
              TileAt(3, 3)->backColor = RGB(250, 0, 0);
              InvalidateTile(3, 3, FALSE);
              send(WM_VSCROLL, SB_PAGEDOWN)();
          } },
        { "the find bar open, a tile brought into view above it",
          [&] {
              OpenFindBar(MainWindow);
              UpdateWindow(MainWindow);
              ScrollTileIntoViewAbove(11, 12, 40);
          } },
        { "a carried tile's picture shown, which stays under the pointer, then Page Down",
          [&] {
              CarriedTile carried = { 2, 2, { 60, 60, 162, 162 }, 3, 3 };
              ShowCarriedTile(&carried);
              UpdateWindow(MainWindow);
              send(WM_VSCROLL, SB_PAGEDOWN)();
          } },
    };
    for (const auto& c : cases) {
        UpdateWindow(MainWindow);
        c.move();
        UpdateWindow(MainWindow);
        std::vector<COLORREF> moved = Shown(500, 400);
        InvalidateRect(MainWindow, NULL, FALSE);
        UpdateWindow(MainWindow);
        EXPECT_TRUE(moved == Shown(500, 400)) << c.what;
    }
    ShowCarriedTile(NULL);
}
