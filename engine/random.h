// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The one source of chance: uniform draws in [0, 1), seeded once from the clock.
#pragma once

#include <random>

namespace morv {

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void seedFromClock() = 0;
    // A uniform single-precision value r with 0 <= r < 1.
    virtual float draw() = 0;
};

class ClockRandom final : public RandomSource
{
public:
    void seedFromClock() override;
    float draw() override;

private:
    std::mt19937 m_engine;
};

} // namespace morv
