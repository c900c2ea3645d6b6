// Defaults and the first window placement from the screen and the taskbar.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/Placement.h"
#include "model/GridReset.h"
#include "model/TileGrid.h"

static RECT Adjusted(RECT client)
{
    AdjustWindowRect(&client, WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, FALSE);
    return client;
}

TEST(PlacementTest, FullHdScreenWithAFortyPixelTaskbar)
{
    RECT client = WantedClientRect(1920, 1080, 40);
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 843);
    EXPECT_EQ(client.bottom, 597);

    RECT outer = Adjusted(client);
    WindowPlacementValues placement = FirstPlacement(1920, 1080, 40, &outer);
    EXPECT_EQ(placement.left, -10);
    EXPECT_EQ(placement.top, 1080 - 637 - 32);
    EXPECT_EQ(placement.width, outer.right - outer.left);
    EXPECT_EQ(placement.height, outer.bottom - outer.top);
    // The frame, scroll bars and caption come on top of the wanted client area.
    EXPECT_GT(placement.width, 843);
    EXPECT_GT(placement.height, 597);
}

TEST(PlacementTest, SmallScreenLimitsWidthHeightAndTop)
{
    RECT client = WantedClientRect(800, 600, 0);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);

    RECT outer = Adjusted(client);
    WindowPlacementValues placement = FirstPlacement(800, 600, 0, &outer);
    EXPECT_EQ(placement.top, 0);
    EXPECT_EQ(placement.width, 800);
    EXPECT_EQ(placement.height, 600);

    // With a taskbar the height stops at the screen height minus the taskbar.
    outer = Adjusted(WantedClientRect(800, 600, 30));
    placement = FirstPlacement(800, 600, 30, &outer);
    EXPECT_EQ(placement.height, 570);
}

TEST(PlacementTest, OnlyATaskbarAlongTheTopOrBottomTakesHeight)
{
    RECT bottom = { 0, 1040, 1920, 1080 };
    RECT top = { 0, 0, 1920, 48 };
    RECT left = { 0, 0, 62, 1080 };
    RECT right = { 1858, 0, 1920, 1080 };
    RECT hidden = { 0, 0, 0, 0 };
    EXPECT_EQ(TaskbarHeightFromRect(&bottom), 40);
    EXPECT_EQ(TaskbarHeightFromRect(&top), 48);
    EXPECT_EQ(TaskbarHeightFromRect(&left), 0);
    EXPECT_EQ(TaskbarHeightFromRect(&right), 0);
    EXPECT_EQ(TaskbarHeightFromRect(&hidden), 0);
}

TEST(PlacementTest, TopIsNeverNegative)
{
    RECT outer = { 0, 0, 859, 676 };
    EXPECT_EQ(FirstPlacement(1024, 660, 0, &outer).top, 0);
    EXPECT_EQ(FirstPlacement(1024, 669, 0, &outer).top, 0);
    EXPECT_EQ(FirstPlacement(1024, 670, 0, &outer).top, 1);
}

TEST(PlacementTest, FirstPlacementMeasuresTheScreenAndSetsTheWindowRectangle)
{
    ResetGridAndSettings();
    AppSettings.windowLeft = 777;
    ApplyFirstPlacement();

    EXPECT_EQ(AppSettings.screenWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(AppSettings.screenHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(AppSettings.windowLeft, -10);

    int taskbar = TaskbarHeight();
    RECT outer = Adjusted(WantedClientRect(AppSettings.screenWidth, AppSettings.screenHeight, taskbar));
    WindowPlacementValues expected = FirstPlacement(AppSettings.screenWidth, AppSettings.screenHeight, taskbar, &outer);
    EXPECT_EQ(AppSettings.windowTop, expected.top);
    EXPECT_EQ(AppSettings.windowWidth, expected.width);
    EXPECT_EQ(AppSettings.windowHeight, expected.height);
}

TEST(PlacementTest, RectanglesMeetAreasOnlyWhenTheyShareAPixel)
{
    RECT areas[] = { { 0, 0, 1920, 1040 }, { 1920, 0, 3840, 1080 } };
    RECT inside = { 100, 100, 900, 700 };
    RECT partly = { -800, -10, 10, 600 };
    RECT secondMonitor = { 2000, 200, 2800, 900 };
    RECT touching = { -859, 0, 0, 600 };        // right edge exclusive: no pixel shared
    RECT gone = { -32000, -32000, -31840, -31973 };
    EXPECT_TRUE(RectMeetsAnyArea(&inside, areas, 2));
    EXPECT_TRUE(RectMeetsAnyArea(&partly, areas, 2));
    EXPECT_TRUE(RectMeetsAnyArea(&secondMonitor, areas, 2));
    EXPECT_FALSE(RectMeetsAnyArea(&secondMonitor, areas, 1));
    EXPECT_FALSE(RectMeetsAnyArea(&touching, areas, 2));
    EXPECT_FALSE(RectMeetsAnyArea(&gone, areas, 2));
}

TEST(PlacementTest, SavedRectangleOutOfReachFallsBackToTheFirstPlacement)
{
    ResetProgramState();
    int firstLeft = AppSettings.windowLeft;
    int firstTop = AppSettings.windowTop;
    int firstWidth = AppSettings.windowWidth;
    int firstHeight = AppSettings.windowHeight;

    AppSettings.windowLeft = 5000;
    AppSettings.windowTop = 4000;
    AppSettings.windowWidth = 700;
    AppSettings.windowHeight = 500;
    KeepWindowReachable();
    EXPECT_EQ(AppSettings.windowLeft, firstLeft);
    EXPECT_EQ(AppSettings.windowTop, firstTop);
    EXPECT_EQ(AppSettings.windowWidth, firstWidth);
    EXPECT_EQ(AppSettings.windowHeight, firstHeight);

    // A rectangle that shows anywhere is kept as saved, even when partly off screen.
    AppSettings.windowLeft = -300;
    AppSettings.windowTop = 20;
    AppSettings.windowWidth = 400;
    AppSettings.windowHeight = 300;
    KeepWindowReachable();
    EXPECT_EQ(AppSettings.windowLeft, -300);
    EXPECT_EQ(AppSettings.windowTop, 20);
    EXPECT_EQ(AppSettings.windowWidth, 400);
    EXPECT_EQ(AppSettings.windowHeight, 300);
}
