#include "ctd/salinity.h"

#include <gtest/gtest.h>

using namespace corvale;

TEST(ComputeSalinity, PublishedCheckValues) {
    // Standard seawater: ratio 1 at 15 degrees and no pressure.
    EXPECT_EQ(ComputeSalinity(42.914, 15, 0), 35.0);
    // R = 1.888091 at 40 degrees and 10000 dbar.
    EXPECT_EQ(ComputeSalinity(81.026, 40, 10000), 40.0);
    EXPECT_EQ(ComputeSalinity(50, 20, 10), 36.714);
    EXPECT_EQ(ComputeSalinity(44, 18.5, 5.2), 32.98);
}

TEST(ComputeSalinity, ZeroConductivityLeavesOnlyTheConstantTerms) {
    EXPECT_EQ(ComputeSalinity(0, 10, 0), 0.005);
    // At 15 degrees the b term vanishes, leaving a0.
    EXPECT_EQ(ComputeSalinity(0, 15, 0), 0.008);
}

TEST(ComputeSalinity, NoRangeCheckOutsideTheScale) {
    EXPECT_TRUE(ComputeSalinity(1, -10, 0).has_value());
    EXPECT_TRUE(ComputeSalinity(120, 60, 20000).has_value());
}

TEST(ComputeSalinity, FailsWhereTheFormulaHasNoValue) {
    EXPECT_FALSE(ComputeSalinity(-0.001, 10, 0));
    EXPECT_FALSE(ComputeSalinity(-42.914, 15, 0));
    // 1 + k * (T - 15) is exactly zero here.
    EXPECT_FALSE(ComputeSalinity(40, -46.728395061728399, 0));
    // The pressure term Rp is exactly zero here.
    EXPECT_FALSE(ComputeSalinity(10, 0, -26944.034949841945));
    EXPECT_FALSE(ComputeSalinity(0, 15, -34222.640834946214));
}

TEST(ComputeSalinity, FailsOnOverflow) {
    EXPECT_FALSE(ComputeSalinity(1e308, 10, 0));
    EXPECT_FALSE(ComputeSalinity(10, 1e100, 0));
    EXPECT_FALSE(ComputeSalinity(10, 10, 1e300));
}
