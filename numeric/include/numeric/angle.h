// The view's angle in degrees, as float arithmetic turns it: a whole turn, and an angle brought
// into 0 to 360 inclusive. Header only: the plug-in keeps its view with it, and the tools that
// follow the plug-in's view by its comment lines keep theirs the same way.
#pragma once

#include <cmath>

namespace farview {

constexpr float kFullTurn = 360.0f;

// Whole turns added while the angle is below 0, then taken off while it is above 360, both ends
// kept. Far from 0 to 360 those steps would run for too long, or for ever once 360 vanishes beside
// the angle's magnitude: such angles are first reduced exactly with fmod (the remainder of a float
// by 360 is itself a float). angle must be finite.
inline float normaliseAngle(float angle) {
    constexpr float loopedAngleLimit = kFullTurn * 64.0f;
    float a = angle;
    if (std::fabs(a) > loopedAngleLimit) {
        a = static_cast<float>(std::fmod(double{a}, double{kFullTurn}));
        // Whole turns end where the steps would leave them: 360 from above, 0 from below.
        if (a == 0.0f) a = angle > 0.0f ? kFullTurn : 0.0f;
    }
    while (a < 0.0f) a = a + kFullTurn;
    while (a > kFullTurn) a = a - kFullTurn;
    return a;
}

} // namespace farview
