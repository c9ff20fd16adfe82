#include "core/LocalTime.h"

#include <QByteArray>
#include <QtGlobal>

namespace kivo {

void settleLocalTimeZone()
{
#if defined(Q_OS_LINUX)
    // ":/etc/localtime" is the C library's own default, and Qt reads it as the system zone.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", QByteArrayLiteral(":/etc/localtime"));
#endif
}

} // namespace kivo
