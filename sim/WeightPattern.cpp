#include "WeightPattern.h"

#include <cmath>
#include <numbers>

namespace kivosim {

WeightPattern::WeightPattern(Pattern pattern, qint64 targetCounts, quint32 seed)
    : m_pattern(pattern), m_target(targetCounts), m_random(seed)
{
}

bool WeightPattern::fromName(const QString &name, Pattern *pattern)
{
    static const struct
    {
        const char *name;
        Pattern pattern;
    } names[] = {{"steady", Pattern::Steady}, {"ramp", Pattern::Ramp},         {"noise", Pattern::Noise},
                 {"step", Pattern::Step},     {"overload", Pattern::Overload}, {"cycle", Pattern::Cycle}};
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
    }
    return {};
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
