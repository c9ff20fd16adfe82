#pragma once

#include "monitor/WeightReading.h"

#include <QDateTime>

#include <deque>
#include <optional>
#include <vector>

namespace kivo {

// Figures over a stream of weight readings, widget-free: counts, the weight's spread since a
// reset and over the last N readings, the share of stable readings, overloads, and the settling
// time after a load change. Readings whose weight does not read as a number are counted and
// otherwise left out, so they never spoil the figures.
class WeightStats
{
public:
    struct Spread
    {
        qint64 count = 0;
        double current = 0;
        double min = 0;
        double max = 0;
        double mean = 0;
        double sd = 0; // sample standard deviation (n - 1); 0 for one reading
    };

    // The division d: 0 takes one step of the last digit the weight shows ("12.34": 0.01).
    void setDivision(double d) { m_division = d; }
    // How far (in divisions) a reading may stray and still count as the same load; default 1.
    void setBand(double divisions) { m_band = divisions; }
    // How long a settled reading must stay within the band and stable; default 1000 ms.
    void setHoldMs(qint64 ms) { m_holdMs = ms; }
    [[nodiscard]] qint64 holdMs() const { return m_holdMs; }
    // How many of the last readings the windowed figures take; default 50.
    void setWindow(int readings);

    // Takes a reading in; returns true when it completed a settling (the load has settled).
    bool add(const WeightReading &reading);
    void addDropped(qint64 bytes) { m_dropped += bytes; }
    void reset();

    [[nodiscard]] qint64 frames() const { return m_frames; }
    [[nodiscard]] qint64 unparsed() const { return m_unparsed; }
    [[nodiscard]] qint64 droppedBytes() const { return m_dropped; }
    [[nodiscard]] qint64 overloads() const { return m_overloads; }
    // Readings a second, between the first and the last reading since the reset.
    [[nodiscard]] double framesPerSecond() const;
    // Share of the readings (numbers or not) flagged stable, 0 to 1.
    [[nodiscard]] double stableShare() const;

    [[nodiscard]] std::optional<Spread> sinceReset() const;
    [[nodiscard]] std::optional<Spread> lastReadings() const;

    // The division in force: the one set, else the one the last weight shown implies (0 before any).
    [[nodiscard]] double division() const;
    // True from a load change until the reading settles.
    [[nodiscard]] bool settling() const { return m_moving; }
    // The last settling time, from the first reading off the old load to the first reading of
    // the stay that settled it.
    [[nodiscard]] std::optional<qint64> lastSettlingMs() const { return m_lastSettlingMs; }
    // The load settled on last (the first reading of the stay that settled it).
    [[nodiscard]] std::optional<double> settledWeight() const { return m_reference; }
    // The band in weight units: band divisions times d.
    [[nodiscard]] double bandWeight() const { return m_band * division(); }

private:
    bool trackSettling(const WeightReading &reading, double weight);

    double m_division = 0;
    double m_band = 1;
    qint64 m_holdMs = 1000;
    int m_window = 50;

    qint64 m_frames = 0;
    qint64 m_unparsed = 0;
    qint64 m_dropped = 0;
    qint64 m_overloads = 0;
    qint64 m_stable = 0;
    QDateTime m_first;
    QDateTime m_last;
    double m_shownDivision = 0;

    // Welford's running mean and sum of squares: stable for long runs of close values.
    qint64 m_n = 0;
    double m_mean = 0;
    double m_m2 = 0;
    double m_min = 0;
    double m_max = 0;
    double m_current = 0;
    std::deque<double> m_recent;

    // Settling: the load settled on, the start of a change, and the stay that may end it.
    std::optional<double> m_reference;
    bool m_moving = false;
    QDateTime m_moveStart;
    std::optional<double> m_stayValue;
    QDateTime m_stayStart;
    std::optional<qint64> m_lastSettlingMs;
};

// The repeatability of repeated weighings of one load, as balance standards check it: the
// standard deviation s (below 0.41 d it is taken as 0.41 d), 2 s / mean against a limit, and the
// smallest load that this repeatability supports at that limit (2 s / limit: 2000 s at 0.10 %).
struct Repeatability
{
    qsizetype n = 0;
    double mean = 0;
    double s = 0;     // as measured
    double sUsed = 0; // after the 0.41 d floor
    double ratioPercent = 0;
    double limitPercent = 0.10;
    double minimumWeight = 0;
    bool pass = false;
};

// Needs two readings or more and a mean other than 0.
[[nodiscard]] std::optional<Repeatability> repeatability(const std::vector<double> &weights, double division,
                                                         double limitPercent = 0.10);

// One step of the last digit a weight text shows: "12.34" 0.01, "1200" 1, "-0.5" 0.1.
[[nodiscard]] double shownStep(const QString &weightText);

} // namespace kivo
