#include "pages/detectors/SizeStepping.h"

namespace {

// Rounding toward zero, in 64 bits so that steps next to the int range's ends
// cannot overflow.
long long RoundDown4Wide(long long value)
{
    return value - value % 4;
}

} // namespace

int StepImageSize(int value, int bound, int delta)
{
    long long result;
    if (delta < 0) {
        // The next multiple of 4 strictly above value + 1.
        const long long v = static_cast<long long>(value) + 1;
        result = RoundDown4Wide(v) + 4;
        if (v < 0 && v % 4 != 0)
            result -= 4;
    } else if (delta > 0) {
        result = RoundDown4Wide(static_cast<long long>(value) - 1);
    } else {
        result = RoundDown4Wide(value);
    }
    if (result < 4)
        result = 4;
    const int top = RoundDown4(bound);
    if (result > top)
        result = top;
    return static_cast<int>(result);
}
