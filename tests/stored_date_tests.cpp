#include "core/StoredDate.h"
#include <gtest/gtest.h>
TEST(StoredDate, Placeholder) { EXPECT_EQ(vx::DateToStoredSeconds(42370.0), 1451606400); }
