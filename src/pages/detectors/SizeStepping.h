#pragma once

// The rule of every image-size arrow: values move in multiples of 4 between 4
// and the sensor size rounded down to a multiple of 4. delta is the change the
// arrow proposes (negative enlarges under the up-down's default range).
int StepImageSize(int value, int bound, int delta);

// Rounds toward zero to a multiple of 4 (the remainder keeps the value's sign).
inline int RoundDown4(int value)
{
    return value - value % 4;
}

// An image size below 4 or beyond the sensor is taken as the whole sensor.
inline int ClampImageSize(int value, int sensor)
{
    return value < 4 || value > sensor ? sensor : value;
}

// sensor - crop in the 32-bit arithmetic of the stored values: a nonsense crop
// wraps instead of overflowing.
inline int CroppedSize(int sensor, int crop)
{
    return static_cast<int>(static_cast<unsigned>(sensor) - static_cast<unsigned>(crop));
}
