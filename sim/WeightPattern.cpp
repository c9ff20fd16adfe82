#include "WeightPattern.h"

#include <cmath>
#include <numbers>

namespace kivosim {

WeightPattern::WeightPattern(Pattern pattern, qint64 targetCounts, quint32 seed, PatternShape shape)
    : m_pattern(pattern), m_target(targetCounts), m_random(seed), m_shape(shape)
{
}

bool WeightPattern::fromName(const QString &name, Pattern *pattern)
{
    static const struct
    {
        const char *name;
        Pattern pattern;
    } names[] = {{"steady", Pattern::Steady}, {"ramp", Pattern::Ramp},         {"noise", Pattern::Noise},
                 {"step", Pattern::Step},     {"overload", Pattern::Overload}, {"cycle", Pattern::Cycle},
                 {"gauss", Pattern::Gauss},   {"steps", Pattern::Steps}};
    for (const auto &entry : names) {
        if (name == QLatin1String(entry.name)) {
            *pattern = entry.pattern;
            return true;
        }
    }
    return false;
}

Reading WeightPattern::sample(double seconds)
{
    switch (m_pattern) {
    case Pattern::Steady:
        return {Status::Stable, false, m_target};
    case Pattern::Ramp:
        return ramp(seconds);
    case Pattern::Noise: {
        // A few counts of jitter; the indicator calls the reading unstable when it strays far.
        const qint64 jitter = m_random.bounded(-4, 5);
        return {std::llabs(jitter) <= 2 ? Status::Stable : Status::Unstable, false, m_target + jitter};
    }
    case Pattern::Step:
        return step(seconds);
    case Pattern::Overload:
        return {Status::Overload, false, m_target};
    case Pattern::Cycle:
        return cycle(seconds);
    case Pattern::Gauss:
        return gauss();
    case Pattern::Steps:
        return steps(seconds);
    }
    return {};
}

// Normal noise of a known standard deviation around the target (Box-Muller on the seeded
// generator, so a seed gives the same readings everywhere); stable while within two deviations.
Reading WeightPattern::gauss()
{
    const double u1 = 1.0 - m_random.generateDouble(); // (0, 1]: the logarithm stays finite
    const double u2 = m_random.generateDouble();
    const double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    const qint64 noise = std::llround(z * m_shape.sdCounts);
    return {double(std::llabs(noise)) <= 2 * m_shape.sdCounts ? Status::Stable : Status::Unstable, false,
            m_target + noise};
}

// Loads put on one by one (the target each), then all taken off: each change swings, unstable,
// for the settle time, then stays stable for the hold time. The settling time is the settle time.
Reading WeightPattern::steps(double seconds) const
{
    const double period = m_shape.settleSeconds + m_shape.holdSeconds;
    const auto slot = qint64(std::floor(seconds / period));
    const double t = seconds - double(slot) * period;
    const int k = int(slot % (PatternShape::loads + 1));
    const qint64 level = k < PatternShape::loads ? m_target * (k + 1) : 0;
    const qint64 before = k == 0 ? 0 : m_target * k;
    if (t >= m_shape.settleSeconds)
        return {Status::Stable, false, level};
    // The swing of step(), squeezed into the settle time.
    const double u = t * (stepSettled - stepStart) / m_shape.settleSeconds;
    const double swing = std::exp(-2.0 * u) * std::cos(2.0 * std::numbers::pi * 1.5 * u);
    return {Status::Unstable, false, before + std::llround(double(level - before) * (1.0 - swing))};
}

// A load put on at stepStart: a damped swing around the target, unstable, until it settles.
Reading WeightPattern::step(double seconds) const
{
    if (seconds < stepStart)
        return {Status::Stable, false, 0};
    if (seconds >= stepSettled)
        return {Status::Stable, false, m_target};
    const double t = seconds - stepStart;
    const double swing = std::exp(-2.0 * t) * std::cos(2.0 * std::numbers::pi * 1.5 * t);
    return {Status::Unstable, false, std::llround(m_target * (1.0 - swing))};
}

// Up to the target in four seconds, held one, down in four, held at zero one.
Reading WeightPattern::ramp(double seconds) const
{
    const double t = std::fmod(seconds, rampPeriod);
    if (t < 4.0)
        return {Status::Unstable, false, std::llround(m_target * t / 4.0)};
    if (t < 5.0)
        return {Status::Stable, false, m_target};
    if (t < 9.0)
        return {Status::Unstable, false, std::llround(m_target * (9.0 - t) / 4.0)};
    return {Status::Stable, false, 0};
}

// Empty, a load that settles, held, pushed past capacity (overload), taken off, empty again.
Reading WeightPattern::cycle(double seconds) const
{
    const double t = std::fmod(seconds, cyclePeriod);
    if (t < 2.0)
        return {Status::Stable, false, 0};
    if (t < 5.0)
        return step(t - 2.0 + stepStart);
    if (t < 7.0)
        return {Status::Stable, false, m_target};
    if (t < 9.0)
        return {Status::Overload, false, m_target + m_target / 5};
    if (t < 10.0)
        return {Status::Unstable, false, std::llround(m_target * (10.0 - t))};
    return {Status::Stable, false, 0};
}

} // namespace kivosim
