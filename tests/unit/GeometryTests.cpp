// Tile rectangles and hit testing, with and without scrolling.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Geometry.h"
#include "model/TileGrid.h"

static void ExpectRect(const RECT& r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

struct Hit {
    int result, row, column, onTile, filled;
};

static Hit HitAt(int x, int y, int scrollH = 0, int scrollV = 0)
{
    Hit hit;
    hit.result = HitTestAt(x, y, scrollH, scrollV, &hit.row, &hit.column, &hit.onTile, &hit.filled);
    return hit;
}

class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
};

TEST_F(GeometryTest, TileRectanglesOfTheDefaultGrid)
{
    RECT r;
    ASSERT_EQ(TileRectAt(1, 1, 0, 0, &r), 0);
    ExpectRect(r, 10, 10, 112, 112);
    ASSERT_EQ(TileRectAt(6, 8, 0, 0, &r), 0);
    ExpectRect(r, 731, 525, 833, 627);
    ASSERT_EQ(TileRectAt(1, 1, 103, 0, &r), 0);
    ExpectRect(r, -93, 10, 9, 112);
}

TEST_F(GeometryTest, TileRectRefusesTilesOutsideTheGridInUse)
{
    RECT r = { 1, 2, 3, 4 };
    EXPECT_EQ(TileRectAt(0, 1, 0, 0, &r), 1);
    EXPECT_EQ(TileRectAt(1, 0, 0, 0, &r), 1);
    EXPECT_EQ(TileRectAt(7, 1, 0, 0, &r), 1);    // in the array, outside the grid in use
    EXPECT_EQ(TileRectAt(1, 9, 0, 0, &r), 1);
    EXPECT_EQ(TileRectAt(51, 1, 0, 0, &r), 1);
    ExpectRect(r, 1, 2, 3, 4);                    // never written on refusal
}

TEST_F(GeometryTest, MarginsAndTheAreaBeyondTheGridHitNothing)
{
    const int points[][2] = { { 9, 50 }, { 50, 9 }, { 834, 50 }, { 50, 628 }, { -5, -5 }, { 5000, 5000 } };
    for (const auto& p : points) {
        Hit hit = HitAt(p[0], p[1]);
        EXPECT_EQ(hit.result, 0) << p[0] << "," << p[1];
        EXPECT_EQ(hit.row, 0);
        EXPECT_EQ(hit.column, 0);
        EXPECT_EQ(hit.onTile, 0);
        EXPECT_EQ(hit.filled, 0);
    }
}

TEST_F(GeometryTest, FilledTilesReportThree)
{
    TileAt(2, 3)->filled = 1;
    Hit hit = HitAt(10 + 2 * 103 + 50, 10 + 103 + 50);
    EXPECT_EQ(hit.result, 3);
    EXPECT_EQ(hit.row, 2);
    EXPECT_EQ(hit.column, 3);
    EXPECT_EQ(hit.onTile, 1);
    EXPECT_EQ(hit.filled, 1);
}

TEST_F(GeometryTest, ScrollPositionsShiftTheHits)
{
    Hit hit = HitAt(10, 10, 103, 0);
    EXPECT_EQ(hit.row, 1);
    EXPECT_EQ(hit.column, 2);
    // A negative client point reaches back into the grid when scrolled.
    hit = HitAt(-20, -20, 206, 103);
    EXPECT_EQ(hit.result, 1);
    EXPECT_EQ(hit.row, 1);
    EXPECT_EQ(hit.column, 2);
    // Tiles beyond the grid in use stay out of reach whatever the scroll.
    hit = HitAt(10, 10, 8 * 103, 0);
    EXPECT_EQ(hit.result, 0);
}

TEST_F(GeometryTest, EveryPointOfTheGridHitsTheTileWhoseSpanHoldsIt)
{
    AppSettings.rows = 3;
    AppSettings.columns = 4;
    for (int y = 0; y < 340; y++) {
        for (int x = 0; x < 440; x++) {
            Hit hit = HitAt(x, y);
            int expectedRow = 0;
            int expectedColumn = 0;
            for (int r = 1; r <= 3 && !expectedRow; r++)
                if (y >= 10 + (r - 1) * 103 && y <= 10 + (r - 1) * 103 + 102)
                    expectedRow = r;
            for (int c = 1; c <= 4 && !expectedColumn; c++)
                if (x >= 10 + (c - 1) * 103 && x <= 10 + (c - 1) * 103 + 102)
                    expectedColumn = c;
            bool expectHit = expectedRow && expectedColumn;
            ASSERT_EQ(hit.result, expectHit ? 1 : 0) << x << "," << y;
            ASSERT_EQ(hit.row, expectHit ? expectedRow : 0) << x << "," << y;
            ASSERT_EQ(hit.column, expectHit ? expectedColumn : 0) << x << "," << y;
        }
    }
}

TEST_F(GeometryTest, LiveFunctionsReadTheWindowsScrollBars)
{
    HWND window = CreateTestMainWindow(400, 300);
    ASSERT_NE(window, nullptr);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 2000;
    info.nPage = 103;
    info.nPos = 103;
    SetScrollInfo(window, SB_HORZ, &info, FALSE);
    info.nPos = 206;
    SetScrollInfo(window, SB_VERT, &info, FALSE);

    RECT r;
    ASSERT_EQ(TileRect(1, 1, &r), 0);
    ExpectRect(r, -93, -196, 9, -94);
    int row, column, onTile, filled;
    EXPECT_EQ(HitTestTile(10, 10, &row, &column, &onTile, &filled), 1);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(column, 2);
    DestroyTestMainWindow();

    // Without a window the positions count as 0.
    ASSERT_EQ(TileRect(1, 1, &r), 0);
    ExpectRect(r, 10, 10, 112, 112);
}
