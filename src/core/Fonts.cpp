#include "core/Fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace kivo {

namespace {
// The first family of `candidates` that is installed, else the first one.
QStringList present(const QStringList &candidates)
{
    QStringList found;
    const QStringList families = QFontDatabase::families();
    for (const QString &c : candidates)
        if (families.contains(c, Qt::CaseInsensitive))
            found << c;
    return found.isEmpty() ? candidates : found;
}
} // namespace

void installFontSubstitutions()
{
    const QStringList mono = present({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                                      QStringLiteral("NanumGothicCoding"), QStringLiteral("Monospace")});
    const QStringList sans = present({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                      QStringLiteral("NanumGothic"), QStringLiteral("Sans Serif")});
    const QString korean = QStringLiteral("NanumGothic");
    const QString koreanMono = QStringLiteral("NanumGothicCoding");

    for (const char *name : {"Courier", "Courier New", "Fixedsys"})
        QFont::insertSubstitutions(QString::fromLatin1(name), QStringList(mono) << koreanMono);
    for (const char *name : {"MS Sans Serif", "Microsoft Sans Serif", "Arial"})
        QFont::insertSubstitutions(QString::fromLatin1(name), QStringList(sans) << korean);
}

QFont courierFont(qreal pointSize)
{
    QFont f(QStringLiteral("Courier"));
    f.setPointSizeF(pointSize);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

QFont controlFont(qreal pointSize)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(pointSize);
    return f;
}

} // namespace kivo
