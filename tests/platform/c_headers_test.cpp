#include <gtest/gtest.h>

extern "C" int PlatformCHeadersSmoke(void);

TEST(CHeaders, WorkFromC) {
    EXPECT_EQ(PlatformCHeadersSmoke(), 0) << "failed step";
}
