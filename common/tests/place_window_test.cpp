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

} // namespace
} // namespace orvex
