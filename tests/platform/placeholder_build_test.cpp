#include <gtest/gtest.h>
#include "platform/kuString.h"
TEST(Build, Links) { EXPECT_EQ(kuString("ab").length(), 2); }
