// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/random.h"

#include <chrono>

namespace morv {

void ClockRandom::seedFromClock()
{
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    m_engine.seed(static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32)));
}

float ClockRandom::draw()
{
    // generate_canonical may round up to 1.0f; the draw must stay below 1.
    std::uniform_int_distribution<int> steps(0, (1 << 24) - 1);
    return float(steps(m_engine)) / float(1 << 24);
}

} // namespace morv
