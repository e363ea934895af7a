#include "calc/NumberText.h"

#include <gtest/gtest.h>

TEST(TextValue, EmptyTextReadsAsZero) { EXPECT_EQ(calc::TextValue(""), 0.0); }
