#include "KivoTest.h"

#include "monitor/FrameCollector.h"

using namespace kivo;

namespace {

// A frame of the mode's length: status at 0, weight at the layout's weight field, filler
// elsewhere, CR LF at the end.
QByteArray frame(int mode, const QByteArray &status, const QByteArray &weight)
{
    const FrameLayout layout = *frameLayout(mode);
    QByteArray bytes(layout.length - 2, '#');
    if (layout.statusPos >= 0)
        bytes.replace(layout.statusPos, 2, status.leftJustified(2, ' ', true));
    bytes.replace(layout.weightPos, 8, weight.leftJustified(8, ' ', true));
    return bytes + "\r\n";
}

} // namespace

class TestFrameCollector : public QObject
{
    Q_OBJECT
private slots:
    void completeFrameGivesTrimmedWeightAndStatus_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("status"); // "-" when the layout has none

        QTest::newRow("22 ST blanks before") << 0 << frame(0, "ST", "  12.345") << "12.345"
                                             << "ST";
        QTest::newRow("22 OL") << 0 << frame(0, "OL", "      OL") << "OL"
                               << "OL";
        QTest::newRow("22 US inner blanks kept") << 0 << frame(0, "US", "- 1 2.3 ") << "- 1 2.3"
                                                 << "US";
        QTest::newRow("22 status trimmed") << 0 << frame(0, " S", "0.000") << "0.000"
                                           << "S";
        QTest::newRow("10 sign and zeros") << 1 << frame(1, "", "+001.234") << "+001.234"
                                           << "-";
        // Weight at bytes 7-14; the unit bytes 15-16 are not read.
        QTest::newRow("18 weight 7-14") << 2 << QByteArray("ST,GS,+0012.34kg\r\n") << "+0012.34"
                                        << "ST";
        QTest::newRow("18 wrong unit ignored") << 2 << QByteArray("OL,GS,  99.999XX\r\n") << "99.999"
                                               << "OL";
    }
    void completeFrameGivesTrimmedWeightAndStatus()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, weight);
        QFETCH(QString, status);
        QCOMPARE(bytes.size(), frameLayout(mode)->length);

        RxBuffers rx;
        const FrameStep step = CheckFrame(rx, bytes, mode);
        QVERIFY(step.found);
        QCOMPARE(rx.strWeight, weight);
        QCOMPARE(step.status.value_or(QStringLiteral("-")), status);
        QVERIFY(rx.bytMonBuf.isEmpty());
        QCOMPARE(rx.framesFound, 1u);
        QCOMPARE(rx.bytesDropped, 0u);
    }

    void frameSplitAtEveryBytePositionIsFound_data()
    {
        QTest::addColumn<int>("mode");
        for (int mode = 0; mode < 3; ++mode)
            QTest::newRow(qPrintable(indicatorModeNames().at(mode))) << mode;
    }
    void frameSplitAtEveryBytePositionIsFound()
    {
        QFETCH(int, mode);
        const QByteArray first = frame(mode, "ST", "  1.000");
        const QByteArray second = frame(mode, "OL", "  2.000");
        const QByteArray stream = first + second;
        for (int cut = 1; cut < stream.size(); ++cut) {
            RxBuffers rx;
            const ChunkResult a = feedChunk(rx, stream.left(cut), mode);
            const ChunkResult b = feedChunk(rx, stream.mid(cut), mode);
            QCOMPARE(rx.framesFound, 2u);
            QCOMPARE(rx.bytesDropped, 0u);
            QCOMPARE(a.framesFound + b.framesFound, 2);
            QCOMPARE(a.framesFound, cut >= first.size() ? 1 : 0);
            QCOMPARE(rx.strWeight, QStringLiteral("2.000"));
            if (mode != ModeOrvan10)
                QCOMPARE(b.lastStatus.value_or(QString()), QStringLiteral("OL"));
        }
    }

    void twoFramesInOneChunkAreBothFoundAndLastWins()
    {
        RxBuffers rx;
        const ChunkResult r = feedChunk(rx, frame(0, "ST", "  12.345") + frame(0, "US", "  -0.005"), 0);
        QCOMPARE(r.framesFound, 2);
        QVERIFY(r);
        QCOMPARE(rx.framesFound, 2u);
        QCOMPARE(rx.strWeight, QStringLiteral("-0.005"));
        QCOMPARE(r.lastStatus.value_or(QString()), QStringLiteral("US"));
    }

    void wrongLengthsAndStrayLineFeedsAreDropped_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("junk");
        QTest::addColumn<int>("dropped");

        const QByteArray f22 = frame(0, "ST", "1.0");
        QTest::newRow("22 stray LF") << 0 << QByteArray("\n") << 1;
        QTest::newRow("22 short frame") << 0 << f22.mid(1) << 21;
        QTest::newRow("22 long frame") << 0 << QByteArray("X") + f22 << 23;
        QTest::newRow("22 no CR LF overrun") << 0 << QByteArray(30, 'x') + "\n" << 31;
        QTest::newRow("22 LF without CR") << 0 << f22.left(20) + "x\n" << 22;
        QTest::newRow("10 stray LF") << 1 << QByteArray("\n") << 1;
        QTest::newRow("10 got 22-byte frame") << 1 << f22 << 22;
        QTest::newRow("10 short") << 1 << QByteArray("1.23\r\n") << 6;
        QTest::newRow("18 long") << 2 << QByteArray("ST,GS,+0001.00kg  \r\n") << 20;
        QTest::newRow("18 LF in middle") << 2 << QByteArray("ST,GS\n") << 6;
        QTest::newRow("18 long stream, no LF for ages") << 2 << QByteArray(5000, '7') + "\r\n" << 5002;
    }
    void wrongLengthsAndStrayLineFeedsAreDropped()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, junk);
        QFETCH(int, dropped);

        RxBuffers rx;
        rx.strWeight = QStringLiteral("old");
        const QByteArray good = frame(mode, "ST", "   5.5");
        const ChunkResult r = feedChunk(rx, junk, mode);
        QCOMPARE(r.framesFound, 0);
        QCOMPARE(rx.strWeight, QStringLiteral("old"));
        QVERIFY(rx.bytMonBuf.size() <= 23);
        feedChunk(rx, good, mode);
        QCOMPARE(rx.framesFound, 1u);
        QCOMPARE(rx.bytesDropped, quint64(dropped));
        QCOMPARE(rx.strWeight, QStringLiteral("5.5"));
    }

    // The frame step judges only the whole collection: a piece holding one frame plus the start
    // of the next is dropped on the 22-byte layout.
    void wholePieceWithFrameAndMoreIsNotAFrame()
    {
        RxBuffers rx;
        const FrameStep step = CheckFrame(rx, frame(0, "ST", "1.0") + "ST,", 0);
        QVERIFY(!step.found);
        QVERIFY(rx.bytMonBuf.isEmpty());
        QCOMPARE(rx.bytesDropped, 25u);
    }

    void modeChangeJudgesCollectedBytesByNewLayout()
    {
        RxBuffers rx;
        const QByteArray f10 = frame(1, "", "+001.234");
        feedChunk(rx, f10.left(5), 0);
        feedChunk(rx, f10.mid(5), 1);
        QCOMPARE(rx.strWeight, QStringLiteral("+001.234"));
    }

    void unknownModeFindsNothingAndStaysBounded()
    {
        RxBuffers rx;
        feedChunk(rx, frame(0, "ST", "1.0").repeated(100), 7);
        QCOMPARE(rx.framesFound, 0u);
        QVERIFY(rx.bytMonBuf.size() <= 23);
        QCOMPARE(rx.bytesDropped + rx.bytMonBuf.size(), 2200u);
    }

    void lampsFollowStatusExactly_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("stable");
        QTest::addColumn<bool>("overload");
        QTest::newRow("ST") << "ST" << true << false;
        QTest::newRow("OL") << "OL" << false << true;
        QTest::newRow("US") << "US" << false << false;
        QTest::newRow("lower st") << "st" << false << false;
        QTest::newRow("lower ol") << "ol" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void lampsFollowStatusExactly()
    {
        QFETCH(QString, status);
        QFETCH(bool, stable);
        QFETCH(bool, overload);
        QCOMPARE(ShowLamps(status), (LampState{stable, overload}));
    }
};

KIVO_TEST_MAIN(TestFrameCollector)
#include "testFrameCollector.moc"
