// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A random source that gives the draws a test scripts, in order, and counts them.
#pragma once

#include "engine/random.h"

#include <stdexcept>
#include <vector>

namespace morv::test {

class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(std::vector<float> draws = {}, float afterwards = 0.0f)
        : m_draws(std::move(draws)), m_afterwards(afterwards)
    {}
    void seedFromClock() override { ++seeds; }
    float draw() override
    {
        // An engine that kept drawing for ever would hang the test instead of failing it.
        if (++drawn > m_draws.size() + 100000)
            throw std::runtime_error("the engine keeps drawing without end");
        return drawn <= m_draws.size() ? m_draws[drawn - 1] : m_afterwards;
    }

    std::size_t drawn = 0;
    int seeds = 0;

private:
    std::vector<float> m_draws;
    float m_afterwards;
};

} // namespace morv::test
