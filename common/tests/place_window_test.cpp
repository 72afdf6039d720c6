#include "common/place_window.h"

#include <gtest/gtest.h>

namespace orvex {
namespace {

TEST(PlaceWindow, StoredPositionOnAMonitorIsKeptElseCentred) {
    MonitorList two{{{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}};
    EXPECT_EQ(two.Union(), (Rect{0, 0, 3200, 1080}));

    // Never stored: centred on the first monitor.
    EXPECT_EQ(PlaceWindow(two, 0, 0, 755, 281, nullptr), (Point{582, 399}));

    // Stored on the second monitor (twips: 15 per pixel).
    const Rect* nearest = two.Nearest({2000, 100, 2755, 381});
    ASSERT_NE(nearest, nullptr);
    EXPECT_EQ(*nearest, two.monitors[1]);
    EXPECT_EQ(PlaceWindow(two, 100 * 15, 2000 * 15, 755, 281, nearest), (Point{2000, 100}));

    // A monitor that is gone: the stored rectangle lies right of every
    // monitor; it is centred on the nearest one instead.
    const Rect* near = two.Nearest({4000, 100, 4755, 381});
    ASSERT_NE(near, nullptr);
    EXPECT_EQ(*near, two.monitors[1]);
    EXPECT_EQ(PlaceWindow(two, 100 * 15, 4000 * 15, 755, 281, near), (Point{1920 + (1280 - 755) / 2, (1024 - 281) / 2}));

    // Touching an edge is not overlapping.
    EXPECT_FALSE(Overlaps({1920, 0, 2000, 10}, {0, 0, 1920, 1080}));
    EXPECT_TRUE(Overlaps({1919, 0, 2000, 10}, {0, 0, 1920, 1080}));
    // Only one coordinate stored still counts as stored.
    MonitorList one{{{0, 0, 1024, 768}}};
    EXPECT_EQ(PlaceWindow(one, 0, 150, 100, 100, &one.monitors[0]), (Point{10, 0}));
}

TEST(PlaceWindow, FirstStartCentresOnThePrimaryMonitorWhereverItIsListed) {
    // The primary monitor enumerated second, right of a smaller one.
    MonitorList two{{{-1280, 0, 0, 1024}, {0, 0, 1920, 1040}}, 1};
    EXPECT_EQ(two.Primary(), two.monitors[1]);
    EXPECT_EQ(PlaceWindow(two, 0, 0, 760, 280, nullptr), (Point{580, 380}));
    // An index beyond the list falls back to the first; no monitor at all to a plain screen.
    MonitorList odd{{{0, 0, 800, 600}}, 5};
    EXPECT_EQ(odd.Primary(), odd.monitors[0]);
    EXPECT_EQ(MonitorList{}.Primary(), (Rect{0, 0, 1024, 768}));
}

TEST(PlaceWindow, NormalPositionsInWorkspaceCoordinatesAreStoredInScreenCoordinates) {
    const Rect monitor{0, 0, 1920, 1080};
    // A taskbar 48 pixels thick at the top, then at the left, then at the bottom.
    const Rect workspace{100, 200, 855, 481};
    EXPECT_EQ(WorkspaceToScreen(workspace, monitor, {0, 48, 1920, 1080}), (Rect{100, 248, 855, 529}));
    EXPECT_EQ(WorkspaceToScreen(workspace, monitor, {48, 0, 1920, 1080}), (Rect{148, 200, 903, 481}));
    EXPECT_EQ(WorkspaceToScreen(workspace, monitor, {0, 0, 1920, 1032}), workspace);
    // A second monitor left of the primary, its taskbar at the left.
    EXPECT_EQ(WorkspaceToScreen({-1270, 10, -1230, 50}, {-1280, 0, 0, 1024}, {-1240, 0, 0, 1024}),
              (Rect{-1230, 10, -1190, 50}));

    // Stored and restored in the same coordinates, the position does not
    // move however often the program starts and quits.
    MonitorList top{{{0, 48, 1920, 1080}}};
    const Rect screen = WorkspaceToScreen(workspace, monitor, top.monitors[0]);
    Point at{screen.left, screen.top};
    for (int run = 0; run < 3; ++run)
        at = PlaceWindow(top, at.y * kTwipsPerPixel, at.x * kTwipsPerPixel, 755, 281, &top.monitors[0]);
    EXPECT_EQ(at, (Point{100, 248}));
}

} // namespace
} // namespace orvex
