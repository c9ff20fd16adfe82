#pragma once

#include "protocol/FrameReader.h"

#include <QString>
#include <QStringList>

namespace kivo {

// The monitoring choices beyond the layout: polling (settings store) and the user's own pattern
// layout (list file).
struct MonitorOptions
{
    static constexpr int kDefaultPollMs = 200;
    static constexpr int kMinPollMs = 20;
    static constexpr int kMaxPollMs = 60000;

    bool poll = false;
    int pollMs = kDefaultPollMs;
    PatternLayout pattern;

    bool operator==(const MonitorOptions &) const = default;
};

// The options as stored; values that do not read fall back to the defaults.
[[nodiscard]] MonitorOptions loadMonitorOptions(const QString &listFile);

// Stores the options; false when the list file could not be written.
[[nodiscard]] bool saveMonitorOptions(const MonitorOptions &options, const QString &listFile);

// The frame end as the list file and the dialog name it ("CR", "LF", "CRLF", "ETX", or the
// length), and back; false (the pattern unchanged) for a text that names no end.
[[nodiscard]] QString patternEndText(const PatternLayout &pattern);
[[nodiscard]] bool setPatternEnd(PatternLayout &pattern, const QString &text);

// "a, b" <-> {"a", "b"}: the true values of a group as one line.
[[nodiscard]] QString valuesText(const QStringList &values);
[[nodiscard]] QStringList valuesOf(const QString &text);

} // namespace kivo
