#include "loan/LoanGrid.h"

#include <gtest/gtest.h>

TEST(LoanGrid, StartsWithTwoBlankRows) {
    loan::LoanGrid grid;
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 13);
    EXPECT_TRUE(grid.RowIsBlank(1));
}
