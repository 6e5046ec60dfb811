#pragma once

// The rule of every image-size arrow: values move in multiples of 4 between 4
// and the sensor size rounded down to a multiple of 4. delta is the change the
// arrow proposes (negative enlarges under the up-down's default range).
int StepImageSize(int value, int bound, int delta);

// Rounds toward zero to a multiple of 4 (the remainder keeps the value's sign).
inline int RoundDown4(int value) { return value - value % 4; }
