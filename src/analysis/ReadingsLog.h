#pragma once

#include "analysis/WeightStats.h"
#include "monitor/WeightReading.h"

#include <QString>

#include <optional>
#include <vector>

namespace kivo {

// A reading taken into the readings table.
struct CapturedReading
{
    QDateTime time;
    QString weightText;
    double weight = 0;
    QString unit;
    QString status;
    QString link;
};

// Decides which readings go into the table: "Capture" takes the next stable reading;
// "Auto-capture" takes the reading that settles each load put on (a settle at zero, the load
// taken off, is no weighing).
class Capturer
{
public:
    void arm() { m_armed = true; }
    [[nodiscard]] bool armed() const { return m_armed; }
    void setAuto(bool on) { m_auto = on; }
    [[nodiscard]] bool isAuto() const { return m_auto; }

    // The reading to take now, if any. `settledNow` and `band` come from the statistics that
    // have just taken the same reading.
    [[nodiscard]] bool offer(const WeightReading &reading, bool settledNow, double band);

private:
    bool m_armed = false;
    bool m_auto = false;
};

// The readings table and its CSV form (RFC 4180: fields with a comma, quote or line break are
// quoted, quotes doubled, lines end in CR LF; UTF-8; ISO 8601 times with milliseconds).
class ReadingsLog
{
public:
    static const QString kHeader; // the header row, without its line end

    void add(const CapturedReading &reading) { m_readings.push_back(reading); }
    void clear() { m_readings.clear(); }
    [[nodiscard]] const std::vector<CapturedReading> &readings() const { return m_readings; }
    [[nodiscard]] std::vector<double> weights() const;

    // One row, with its line end.
    [[nodiscard]] static QByteArray csvRow(const CapturedReading &reading);
    // The whole table: the header, the rows and, with `figures`, the repeatability figures as
    // further rows ("n", "mean", ... in the first column).
    [[nodiscard]] QByteArray csv(const std::optional<Repeatability> &figures) const;

    // Reads back a CSV written by csv() (the rows, not the figures): for checking an export.
    [[nodiscard]] static std::vector<CapturedReading> parseCsv(const QByteArray &csv);

    // Appends one row to a file, writing the header first when the file is new or empty. Returns
    // false with the reason on failure.
    static bool appendToFile(const QString &path, const CapturedReading &reading, QString *error);

private:
    std::vector<CapturedReading> m_readings;
};

[[nodiscard]] CapturedReading captured(const WeightReading &reading, const QString &unit);

} // namespace kivo
