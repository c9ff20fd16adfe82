#include "analysis/WeightStats.h"

#include <algorithm>
#include <cmath>

namespace kivo {

double shownStep(const QString &weightText)
{
    const QString text = weightText.trimmed();
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return 1;
    return std::pow(10.0, -double(text.size() - point - 1));
}

void WeightStats::setWindow(int readings)
{
    m_window = std::max(2, readings);
    while (qsizetype(m_recent.size()) > m_window)
        m_recent.pop_front();
}

void WeightStats::reset()
{
    const double division = m_division;
    const double band = m_band;
    const qint64 hold = m_holdMs;
    const int window = m_window;
    *this = WeightStats();
    m_division = division;
    m_band = band;
    m_holdMs = hold;
    m_window = window;
}

bool WeightStats::add(const WeightReading &reading)
{
    ++m_frames;
    if (!m_first.isValid())
        m_first = reading.time;
    m_last = reading.time;
    if (reading.stable)
        ++m_stable;
    if (reading.overload)
        ++m_overloads;
    if (!reading.weight || !std::isfinite(*reading.weight)) {
        ++m_unparsed;
        return false;
    }
    const double w = *reading.weight;
    m_shownDivision = shownStep(reading.weightText);
    m_current = w;
    ++m_n;
    const double delta = w - m_mean;
    m_mean += delta / double(m_n);
    m_m2 += delta * (w - m_mean);
    m_min = m_n == 1 ? w : std::min(m_min, w);
    m_max = m_n == 1 ? w : std::max(m_max, w);
    m_recent.push_back(w);
    if (qsizetype(m_recent.size()) > m_window)
        m_recent.pop_front();
    // An overloaded reading is no load to settle on.
    return !reading.overload && trackSettling(reading, w);
}

double WeightStats::division() const
{
    return m_division > 0 ? m_division : m_shownDivision;
}

bool WeightStats::trackSettling(const WeightReading &reading, double weight)
{
    const double band = bandWeight() * (1 + 1e-9); // a reading exactly one band off is within
    if (!m_reference) {
        m_reference = weight;
        return false;
    }
    if (!m_moving) {
        if (std::abs(weight - *m_reference) <= band)
            return false;
        m_moving = true;
        m_moveStart = reading.time;
        m_stayValue.reset();
    }
    // A stay begins at a stable reading and lasts while the readings keep stable and within the
    // band of its first value.
    if (m_stayValue && (!reading.stable || std::abs(weight - *m_stayValue) > band))
        m_stayValue.reset();
    if (!m_stayValue && reading.stable) {
        m_stayValue = weight;
        m_stayStart = reading.time;
    }
    if (m_stayValue && m_stayStart.msecsTo(reading.time) >= m_holdMs) {
        m_lastSettlingMs = m_moveStart.msecsTo(m_stayStart);
        m_reference = *m_stayValue;
        m_moving = false;
        m_stayValue.reset();
        return true;
    }
    return false;
}

double WeightStats::framesPerSecond() const
{
    const qint64 ms = m_first.isValid() ? m_first.msecsTo(m_last) : 0;
    return ms > 0 ? double(m_frames - 1) * 1000.0 / double(ms) : 0;
}

double WeightStats::stableShare() const
{
    return m_frames > 0 ? double(m_stable) / double(m_frames) : 0;
}

std::optional<WeightStats::Spread> WeightStats::sinceReset() const
{
    if (m_n == 0)
        return std::nullopt;
    return Spread{m_n, m_current, m_min, m_max, m_mean, m_n > 1 ? std::sqrt(m_m2 / double(m_n - 1)) : 0};
}

std::optional<WeightStats::Spread> WeightStats::lastReadings() const
{
    if (m_recent.empty())
        return std::nullopt;
    Spread s;
    s.count = qint64(m_recent.size());
    s.current = m_recent.back();
    s.min = *std::min_element(m_recent.begin(), m_recent.end());
    s.max = *std::max_element(m_recent.begin(), m_recent.end());
    double sum = 0;
    for (double w : m_recent)
        sum += w;
    s.mean = sum / double(s.count);
    double squares = 0;
    for (double w : m_recent)
        squares += (w - s.mean) * (w - s.mean);
    s.sd = s.count > 1 ? std::sqrt(squares / double(s.count - 1)) : 0;
    return s;
}

std::optional<Repeatability> repeatability(const std::vector<double> &weights, double division,
                                           double limitPercent)
{
    if (weights.size() < 2 || limitPercent <= 0)
        return std::nullopt;
    Repeatability r;
    r.n = qsizetype(weights.size());
    double sum = 0;
    for (double w : weights)
        sum += w;
    r.mean = sum / double(r.n);
    if (r.mean == 0)
        return std::nullopt;
    double squares = 0;
    for (double w : weights)
        squares += (w - r.mean) * (w - r.mean);
    r.s = std::sqrt(squares / double(r.n - 1));
    r.sUsed = std::max(r.s, 0.41 * division);
    r.limitPercent = limitPercent;
    r.ratioPercent = 2 * r.sUsed / std::abs(r.mean) * 100;
    r.minimumWeight = 2 * r.sUsed / (limitPercent / 100);
    r.pass = r.ratioPercent <= limitPercent * (1 + 1e-12);
    return r;
}

} // namespace kivo
