// The image-size arrows' rule: multiples of 4 between 4 and the sensor size.
#include "pages/detectors/SizeStepping.h"

#include <climits>

#include <gtest/gtest.h>

TEST(SizeStepping, StepsByFourWithinFourAndTheRoundedSensor)
{
    const struct {
        int value, bound, delta, expected;
    } cases[] = {
        // Negative enlarges: the next multiple of 4 above value + 1.
        {8, 2048, -1, 12},
        {11, 2048, -1, 16},
        {0, 2048, -1, 4},
        {-10, 2048, -5, 4},
        // Positive reduces, never below 4.
        {12, 2048, 1, 8},
        {10, 2048, 1, 8},
        {4, 2048, 1, 4},
        {-7, 2048, 1, 4},
        // Zero only rounds into range.
        {1001, 2048, 0, 1000},
        {2, 2048, 0, 4},
        {3000, 2048, 0, 2048},
        // The bound rounds down too.
        {2044, 2046, -1, 2044},
        {2040, 2046, -1, 2044},
        {5000, 2046, 1, 2044},
        // A sensor below 4 pins every value to it, rounded.
        {0, 0, -1, 0},
        {2048, 0, 0, 0},
        {100, 3, 1, 0},
        // The ends of the int range do not overflow.
        {INT_MAX, INT_MAX, -1, INT_MAX - 3},
        {INT_MIN, 2048, 1, 4},
        {INT_MIN, 2048, -1, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StepImageSize(c.value, c.bound, c.delta), c.expected)
            << c.value << " against " << c.bound << " by " << c.delta;
}

TEST(SizeStepping, ClampTakesTheSensorAndNonsenseCropsWrap)
{
    EXPECT_EQ(ClampImageSize(3, 2048), 2048);
    EXPECT_EQ(ClampImageSize(2049, 2048), 2048);
    EXPECT_EQ(ClampImageSize(1001, 2048), 1001) << "clamping does not round";
    EXPECT_EQ(CroppedSize(2560, -40), 2600);
    EXPECT_EQ(ClampImageSize(CroppedSize(2560, INT_MIN), 2560), 2560);
}
