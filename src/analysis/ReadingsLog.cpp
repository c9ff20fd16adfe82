#include "analysis/ReadingsLog.h"

#include <QFile>

namespace kivo {

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

// Splits CSV text into rows of fields, quoted fields included.
std::vector<QStringList> rows(const QByteArray &csv)
{
    std::vector<QStringList> out;
    QStringList row;
    QByteArray current;
    bool quoted = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
                current += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << QString::fromUtf8(current);
            current.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n')
                ++i;
            row << QString::fromUtf8(current);
            current.clear();
            out.push_back(row);
            row.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty() || !row.isEmpty()) {
        row << QString::fromUtf8(current);
        out.push_back(row);
    }
    return out;
}
} // namespace

const QString ReadingsLog::kHeader = QStringLiteral("time,weight,unit,status,link");

bool Capturer::offer(const WeightReading &reading, bool settledNow, double band)
{
    if (!reading.weight || reading.overload)
        return false;
    if (m_armed && reading.stable) {
        m_armed = false;
        return true;
    }
    return m_auto && settledNow && std::abs(*reading.weight) > band;
}

CapturedReading captured(const WeightReading &reading, const QString &unit)
{
    return {reading.time, reading.weightText, reading.weight.value_or(0), unit,
            reading.overload ? QStringLiteral("overload")
                             : (reading.stable ? QStringLiteral("stable") : QStringLiteral("unstable")),
            reading.endpoint};
}

std::vector<double> ReadingsLog::weights() const
{
    std::vector<double> out;
    out.reserve(m_readings.size());
    for (const CapturedReading &r : m_readings)
        out.push_back(r.weight);
    return out;
}

QByteArray ReadingsLog::csvRow(const CapturedReading &r)
{
    return field(r.time.toString(kTimeFormat)) + ',' + field(r.weightText) + ',' + field(r.unit) + ',' +
           field(r.status) + ',' + field(r.link) + "\r\n";
}

QByteArray ReadingsLog::csv(const std::optional<Repeatability> &figures) const
{
    QByteArray out = kHeader.toUtf8() + "\r\n";
    for (const CapturedReading &r : m_readings)
        out += csvRow(r);
    if (figures) {
        auto figure = [&out](const char *name, double value) {
            out += QByteArray(name) + ',' + QByteArray::number(value, 'g', 10) + ",,,\r\n";
        };
        figure("n", double(figures->n));
        figure("mean", figures->mean);
        figure("s", figures->s);
        figure("s used (at least 0.41 d)", figures->sUsed);
        figure("2 s / mean %", figures->ratioPercent);
        figure("limit %", figures->limitPercent);
        figure("minimum weight", figures->minimumWeight);
        out += QByteArray("result,") + (figures->pass ? "pass" : "fail") + ",,,\r\n";
    }
    return out;
}

std::vector<CapturedReading> ReadingsLog::parseCsv(const QByteArray &csv)
{
    std::vector<CapturedReading> out;
    const std::vector<QStringList> all = rows(csv);
    for (size_t i = 1; i < all.size(); ++i) {
        const QStringList &f = all[i];
        const QDateTime time = QDateTime::fromString(f.value(0), kTimeFormat);
        if (f.size() != 5 || !time.isValid())
            continue; // the figures' rows
        out.push_back({time, f[1], weightValue(f[1]).value_or(0), f[2], f[3], f[4]});
    }
    return out;
}

bool ReadingsLog::appendToFile(const QString &path, const CapturedReading &reading, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = file.errorString();
        return false;
    }
    QByteArray bytes;
    if (file.size() == 0)
        bytes = kHeader.toUtf8() + "\r\n";
    bytes += csvRow(reading);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace kivo
