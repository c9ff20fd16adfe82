#include "core/SettingsStore.h"

#include "core/SettingsKeys.h"

#include <QSettings>

namespace kivo {

QString ReadSetting(const QString &key, const QString &defaultValue)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QString(SettingsKeys::Application),
                QString(SettingsKeys::Application));
    s.beginGroup(QString(SettingsKeys::Section));
    const QVariant v = s.value(key);
    if (!v.isValid())
        return defaultValue;
    // A hand-edited store can hold a list ("a, b"); take it back as the text it was.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void WriteSetting(const QString &key, const QString &value)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QString(SettingsKeys::Application),
                QString(SettingsKeys::Application));
    s.beginGroup(QString(SettingsKeys::Section));
    s.setValue(key, value);
}

} // namespace kivo
