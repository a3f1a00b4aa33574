// The "randomize" button: new random angles and offsets within the
// "Randomize" strength, and new weights, as one undo step.
#pragma once

#include <cstdint>

class pfParameter;

// A pseudo-random generator of integers 0..32767, seeded per press from the
// millisecond tick count.
class pfRandom {
public:
    explicit pfRandom(uint32_t nSeed) : m_nState(nSeed) {}
    int Next();

private:
    uint32_t m_nState;
};

// An angle in degrees from -360 x strength to +360 x strength.
double RandomAngle(pfRandom& random, double fStrength);

// A weight in [-1, 1] with three decimals, cubed toward 0.
double RandomWeight(pfRandom& random);

// The change callback of "Randomize Button"; pContext is the filter.
void OnRandomize(pfParameter* pParameter, void* pContext);
