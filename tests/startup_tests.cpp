#include "core/CommandLine.h"
#include <gtest/gtest.h>
TEST(CommandLine, Placeholder) { EXPECT_TRUE(vx::IsUpdateCheckArgument(L"/CheckUpdate")); }
