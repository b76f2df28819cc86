#pragma once

#include <QtGlobal>

// The pseudo-random generator of the classic BASIC runtimes:
//   x' = (x * 1140671485 + 12820163) mod 2^24,   value = x' / 2^24
// starting from the runtime's fixed seed 327680. It is never seeded from
// the clock, so every run draws the same sequence (0.7055475..., 0.5334240...).
class BasicRandom
{
public:
    // The next value, in [0, 1).
    double next();

    // The program's own generator: one sequence per run.
    static BasicRandom &program();

private:
    quint32 m_state = 327680;
};
