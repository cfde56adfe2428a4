#include <gtest/gtest.h>

#include "draw/entrant.h"

namespace kelvora {
TEST(EntrantTest, Placeholder) { EXPECT_EQ(computeNameKey(u"abc"), 102114864); }
} // namespace kelvora
