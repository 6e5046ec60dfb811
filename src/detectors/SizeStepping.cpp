#include "detectors/SizeStepping.h"

int StepImageSize(int value, int bound, int delta)
{
    int result;
    if (delta < 0) {
        // Next multiple of 4 strictly above value + 1.
        const int v = value + 1;
        result = RoundDown4(v) + 4;
        if (v < 0 && v % 4 != 0)
            result -= 4;
    } else if (delta > 0) {
        result = RoundDown4(value - 1);
    } else {
        result = RoundDown4(value);
    }
    if (result < 4)
        result = 4;
    const int top = RoundDown4(bound);
    if (result > top)
        result = top;
    return result;
}
