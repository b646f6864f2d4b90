#include <gtest/gtest.h>
#include <cstdint>
#include "win/Centring.h"

namespace {

TEST(CentredStart, CentredOverTheSpanThenInsideTheArea) {
    struct Case {
        const char* name;
        int32_t size, overLow, overHigh, areaLow, areaHigh, start;
    } cases[] = {
        {"on the work area", 100, 0, 1000, 0, 1000, 450},
        {"over a small owner", 200, 400, 500, 0, 1000, 350},
        {"owner at the far edge", 200, 900, 1000, 0, 1000, 800},
        {"owner half off the near edge", 200, -50, 50, 0, 1000, 0},
        {"larger than the area", 1200, 0, 1000, 0, 1000, 0},
        {"far edges", 100, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, -50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(win::centredStart(c.size, c.overLow, c.overHigh, c.areaLow, c.areaHigh), c.start);
    }
}

}  // namespace
