#include "monitor/MonitorOptions.h"

#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "protocol/RequestText.h"

namespace kivo {

namespace {

namespace LK = ListFileKeys;
namespace SK = SettingsKeys;

struct EndName
{
    PatternLayout::End end;
    QLatin1StringView name;
};

constexpr EndName kEnds[] = {{PatternLayout::End::CR, QLatin1StringView("CR")},
                             {PatternLayout::End::LF, QLatin1StringView("LF")},
                             {PatternLayout::End::CRLF, QLatin1StringView("CRLF")},
                             {PatternLayout::End::ETX, QLatin1StringView("ETX")}};

} // namespace

QString patternEndText(const PatternLayout &pattern)
{
    for (const EndName &e : kEnds) {
        if (e.end == pattern.end)
            return QString(e.name);
    }
    return QString::number(pattern.length);
}

bool setPatternEnd(PatternLayout &pattern, const QString &text)
{
    const QString t = text.trimmed();
    for (const EndName &e : kEnds) {
        if (t.compare(e.name, Qt::CaseInsensitive) == 0) {
            pattern.end = e.end;
            return true;
        }
    }
    bool ok = false;
    const int length = t.toInt(&ok);
    if (!ok || length < 1)
        return false;
    pattern.end = PatternLayout::End::Length;
    pattern.length = length;
    return true;
}

QString valuesText(const QStringList &values)
{
    return values.join(QStringLiteral(", "));
}

QStringList valuesOf(const QString &text)
{
    QStringList values;
    for (const QString &v : text.split(u',')) {
        if (!v.trimmed().isEmpty())
            values << v.trimmed();
    }
    return values;
}

MonitorOptions loadMonitorOptions(const QString &listFile)
{
    MonitorOptions o;
    o.poll = ReadSetting(QString(SK::Poll), QStringLiteral("0")) == QLatin1String("1");
    bool ok = false;
    const int ms = ReadSetting(QString(SK::PollInterval), QString()).toInt(&ok);
    if (ok && ms >= MonitorOptions::kMinPollMs && ms <= MonitorOptions::kMaxPollMs)
        o.pollMs = ms;

    const IniDocument ini = IniDocument::read(listFile);
    const QString section(LK::Pattern);
    if (!setPatternEnd(o.pattern, ini.value(section, QString(LK::PatternEnd))))
        o.pattern.end = PatternLayout::End::CRLF;
    o.pattern.expression = ini.value(section, QString(LK::PatternExpression));
    o.pattern.stableTrue = valuesOf(ini.value(section, QString(LK::PatternStable)));
    o.pattern.overloadTrue = valuesOf(ini.value(section, QString(LK::PatternOverload)));
    o.pattern.request = requestBytes(ini.value(section, QString(LK::PatternRequest))).value_or(QByteArray());
    return o;
}

bool saveMonitorOptions(const MonitorOptions &options, const QString &listFile)
{
    WriteSetting(QString(SK::Poll), options.poll ? QStringLiteral("1") : QStringLiteral("0"));
    WriteSetting(QString(SK::PollInterval), QString::number(options.pollMs));
    const QString section(LK::Pattern);
    const PatternLayout &p = options.pattern;
    return WriteIniEntries({{section, QString(LK::PatternEnd), patternEndText(p)},
                            {section, QString(LK::PatternExpression), p.expression},
                            {section, QString(LK::PatternStable), valuesText(p.stableTrue)},
                            {section, QString(LK::PatternOverload), valuesText(p.overloadTrue)},
                            {section, QString(LK::PatternRequest), requestText(p.request)}},
                           listFile);
}

} // namespace kivo
