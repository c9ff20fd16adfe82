#include "KivoTest.h"

#include "monitor/SegmentDisplay.h"

#include <QImage>
#include <QRawFont>

using namespace kivo;

namespace {

struct Ink
{
    int pixels = 0;
    int left = INT_MAX;
    int right = -1;
};

// Where the text colour landed on a transparent background (the unlit segments are hidden).
Ink inkOf(const QString &text, QSize size = QSize(268, 62))
{
    SegmentDisplay d(text);
    d.resize(size);
    d.setGhostColor(Qt::transparent);
    QPalette pal = d.palette();
    pal.setColor(QPalette::WindowText, QColor(0, 255, 255));
    d.setPalette(pal);
    const QImage img = d.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 128 && qBlue(img.pixel(x, y)) > 128) {
                ++ink.pixels;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
    return ink;
}

} // namespace

class TestSegmentDisplay : public QObject
{
    Q_OBJECT
private slots:
    void everyWeightFieldCharacterShows_data()
    {
        QTest::addColumn<QString>("ch");
        for (const QChar ch : QStringLiteral("+-0123456789OLREADYUSNGHkgWMXZ*#/"))
            QTest::newRow(qPrintable(QString(ch))) << QString(ch);
    }
    void everyWeightFieldCharacterShows()
    {
        QFETCH(QString, ch);
        // A face without the glyph would leave it to whatever system font Qt falls back to.
        const SegmentDisplay d(ch);
        QVERIFY(QRawFont::fromFont(d.faceFor(ch.at(0))).supportsCharacter(ch.at(0)));
        QVERIFY2(inkOf(ch).pixels > 40, qPrintable(QStringLiteral("nothing drawn for ") + ch));
    }

    void blankInsideWeightKeepsItsCellAndPointTakesNone()
    {
        const Ink one = inkOf(QStringLiteral("1"));
        const Ink spaced = inkOf(QStringLiteral("1  "));
        const Ink pointed = inkOf(QStringLiteral("1.0"));
        QVERIFY(spaced.right < one.right - 40); // two blank cells to its right
        QVERIFY(pointed.left > spaced.left);    // "1.0" is two cells, "1  " three
    }

    void longestTextsFitInsideTheDisplay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("idle") << "8888888";
        QTest::newRow("READY") << "READY";
        QTest::newRow("eight cells") << "+1234567";
        QTest::newRow("sign point") << "-0012.34";
        QTest::newRow("blanks") << "- 1 2.3";
        QTest::newRow("too long") << "+12345678.9";
    }
    void longestTextsFitInsideTheDisplay()
    {
        QFETCH(QString, text);
        const Ink ink = inkOf(text);
        QVERIFY(ink.pixels > 0);
        QVERIFY2(ink.left > 0 && ink.right < 267,
                 qPrintable(QString::number(ink.left) + " " + QString::number(ink.right)));
    }
};

KIVO_TEST_MAIN(TestSegmentDisplay)
#include "testSegmentDisplay.moc"
