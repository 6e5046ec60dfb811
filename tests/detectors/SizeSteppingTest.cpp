// The image-size arrows' rule: multiples of 4 between 4 and the sensor size.
#include "detectors/SizeStepping.h"

#include <climits>

#include <gtest/gtest.h>

namespace {
constexpr int kEnlarge = -1; // the arrow that raises the position under the default range
constexpr int kReduce = 1;
} // namespace

TEST(SizeStepping, EnlargingGoesToTheNextMultipleOfFourAboveValuePlusOne)
{
    EXPECT_EQ(StepImageSize(8, 2048, kEnlarge), 12);
    EXPECT_EQ(StepImageSize(11, 2048, kEnlarge), 16);
    EXPECT_EQ(StepImageSize(1000, 2048, kEnlarge), 1004);
    EXPECT_EQ(StepImageSize(0, 2048, kEnlarge), 4);
    EXPECT_EQ(StepImageSize(-10, 2048, kEnlarge), 4);
    EXPECT_EQ(StepImageSize(1000, 2048, -5), 1004) << "any negative change enlarges by one step";
}

TEST(SizeStepping, ReducingGoesToTheMultipleOfFourBelowValue)
{
    EXPECT_EQ(StepImageSize(12, 2048, kReduce), 8);
    EXPECT_EQ(StepImageSize(10, 2048, kReduce), 8);
    EXPECT_EQ(StepImageSize(8, 2048, kReduce), 4);
    EXPECT_EQ(StepImageSize(4, 2048, kReduce), 4) << "never below 4";
    EXPECT_EQ(StepImageSize(-7, 2048, kReduce), 4);
}

TEST(SizeStepping, ZeroChangeOnlyRoundsIntoRange)
{
    EXPECT_EQ(StepImageSize(1001, 2048, 0), 1000);
    EXPECT_EQ(StepImageSize(2, 2048, 0), 4);
    EXPECT_EQ(StepImageSize(3000, 2048, 0), 2048);
}

TEST(SizeStepping, UpperBoundIsTheSensorRoundedDown)
{
    EXPECT_EQ(StepImageSize(2044, 2046, kEnlarge), 2044);
    EXPECT_EQ(StepImageSize(2040, 2046, kEnlarge), 2044);
    EXPECT_EQ(StepImageSize(2048, 2048, kEnlarge), 2048);
    EXPECT_EQ(StepImageSize(5000, 2046, kReduce), 2044);
}

TEST(SizeStepping, SensorBelowFourPinsTheValueToTheRoundedSensor)
{
    for (int delta : {kEnlarge, 0, kReduce}) {
        EXPECT_EQ(StepImageSize(0, 0, delta), 0) << delta;
        EXPECT_EQ(StepImageSize(2048, 0, delta), 0) << delta;
        EXPECT_EQ(StepImageSize(100, 3, delta), 0) << delta;
    }
}

TEST(SizeStepping, ValuesAtTheEndsOfTheIntRangeDoNotOverflow)
{
    EXPECT_EQ(StepImageSize(INT_MAX, INT_MAX, kEnlarge), INT_MAX - 3);
    EXPECT_EQ(StepImageSize(INT_MAX - 1, 2048, kEnlarge), 2048);
    EXPECT_EQ(StepImageSize(INT_MIN, 2048, kReduce), 4);
    EXPECT_EQ(StepImageSize(INT_MIN, 2048, kEnlarge), 4);
}

TEST(SizeStepping, ClampTakesTheWholeSensorForSizesOutsideFourToSensor)
{
    EXPECT_EQ(ClampImageSize(3, 2048), 2048);
    EXPECT_EQ(ClampImageSize(-4, 2048), 2048);
    EXPECT_EQ(ClampImageSize(2049, 2048), 2048);
    EXPECT_EQ(ClampImageSize(4, 2048), 4);
    EXPECT_EQ(ClampImageSize(1001, 2048), 1001) << "clamping does not round";
}

TEST(SizeStepping, NonsenseCropsWrapInsteadOfOverflowing)
{
    EXPECT_EQ(CroppedSize(2560, 40), 2520);
    EXPECT_EQ(CroppedSize(2560, -40), 2600);
    EXPECT_LT(CroppedSize(2560, INT_MIN), 0);
    EXPECT_EQ(ClampImageSize(CroppedSize(2560, INT_MIN), 2560), 2560);
}
