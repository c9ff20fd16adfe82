#pragma once

#include "FrameBuilder.h"

#include <QRandomGenerator>
#include <QString>

namespace kivosim {

enum class Pattern { Steady, Ramp, Noise, Step, Overload, Cycle, Gauss, Steps };

// What shapes the gauss and steps patterns.
struct PatternShape
{
    double sdCounts = 2;            // gauss: standard deviation of the noise, in counts
    double settleSeconds = 2;       // steps: how long a load swings before it settles
    double holdSeconds = 1.5;       // steps: how long it then stays, stable
    static constexpr int loads = 5; // steps: loads put on one after another, then all taken off
};

// The load on the simulated scale over time: the gross weight in counts and the status the
// indicator would report for it, as a function of seconds since the simulator started.
class WeightPattern
{
public:
    // Times that shape the patterns, in seconds.
    static constexpr double stepStart = 0.5;
    static constexpr double stepSettled = 2.5;
    static constexpr double rampPeriod = 10.0;
    static constexpr double cyclePeriod = 12.0;

    WeightPattern(Pattern pattern, qint64 targetCounts, quint32 seed = 1, PatternShape shape = {});

    [[nodiscard]] Reading sample(double seconds);

    [[nodiscard]] static bool fromName(const QString &name, Pattern *pattern);

private:
    [[nodiscard]] Reading step(double seconds) const;
    [[nodiscard]] Reading ramp(double seconds) const;
    [[nodiscard]] Reading cycle(double seconds) const;
    [[nodiscard]] Reading gauss();
    [[nodiscard]] Reading steps(double seconds) const;

    Pattern m_pattern;
    qint64 m_target;
    QRandomGenerator m_random;
    PatternShape m_shape;
};

} // namespace kivosim
