#include "KivoTest.h"

#include "Replay.h"
#include "record/LogFile.h"
#include "record/SessionLog.h"

using namespace kivo;
using namespace kivotest;
namespace slog = kivo::sessionlog;

class tst_SessionLog : public QObject
{
    Q_OBJECT
private slots:
    // Every byte value and the link read back exactly, whatever the text column makes of them.
    void lineKeepsEveryByteAndLinkAndMarksUnprintableText()
    {
        const QByteArray all = everyByte();
        const QDateTime time = QDateTime::fromString(u"2026-12-06T17:03:41.123"_s, Qt::ISODateWithMs);
        const QByteArray line =
            slog::chunkLine(time, slog::Direction::Tx, u"tcp:10.0.0.7:4001"_s, all, QString::fromLatin1(all));
        QVERIFY(line.startsWith("2026-12-06T17:03:41.123 TX tcp:10.0.0.7:4001 00 01 02 "));
        QCOMPARE(line.count('\n'), 1);
        QCOMPARE(line.count('\t'), 1);
        const auto entry = slog::parseLine(line);
        QVERIFY(entry);
        QCOMPARE(entry->bytes, all);
        QCOMPARE(entry->time, time);
        QCOMPARE(entry->direction, slog::Direction::Tx);
        QCOMPARE(entry->link, u"tcp:10.0.0.7:4001"_s);

        // A device path with a blank, a tab or a percent sign stays one field and reads back; the
        // text column follows the views' question-mark rule.
        const QString path = u"serial:/dev/my port\t100%"_s;
        const QByteArray odd =
            slog::chunkLine(time, slog::Direction::Rx, path, "A", u"A\tb\r\n\x7f\u00e9\u20ac~"_s);
        QCOMPARE(odd, "2026-12-06T17:03:41.123 RX serial:/dev/my%20port%09100%25 41\tA?b??\x7f??~\n");
        QCOMPARE(slog::parseLine(odd)->link, path);
    }

    void linesThatAreNotChunksGiveNothing_data()
    {
        DataTable<QByteArray> row("line");
        row("comment", "# 2026-12-06T17:03:41.123 recording started\n");
        row("blank", "\n");
        row("bad time", "2026-13-06T17:03:41.123 RX serial:x 41\tA\n");
        row("bad direction", "2026-12-06T17:03:41.123 XX serial:x 41\tA\n");
        row("no bytes", "2026-12-06T17:03:41.123 RX serial:x\t\n");
        row("odd digit", "2026-12-06T17:03:41.123 RX serial:x 41 4\tA\n");
        row("not hex", "2026-12-06T17:03:41.123 RX serial:x 4G\t?\n");
        row("no blank between", "2026-12-06T17:03:41.123 RX serial:x 4142\tAB\n");
    }
    void linesThatAreNotChunksGiveNothing()
    {
        QFETCH(QByteArray, line);
        QVERIFY(!slog::parseLine(line));
    }

    // The simulator's replay takes the received chunks only, with their gaps scaled by the speed.
    void replayTakesReceivedChunksWithScaledTimes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"s.log"_s);
        QVERIFY(writeFile(path, "# 2026-12-06T10:00:00.000 recording started\n"
                                "2026-12-06T10:00:00.100 RX serial:p 41\tA\n"
                                "2026-12-06T10:00:00.300 TX serial:p 5A\tZ\n"
                                "2026-12-06T10:00:00.500 RX serial:p 42 43\tBC\n"
                                "2026-12-06T10:00:00.400 RX serial:p 44\tD\n"));
        QList<kivosim::ReplayChunk> chunks;
        QString error;
        QVERIFY(kivosim::loadReplay(path, 2.0, &chunks, &error));
        QCOMPARE(chunks.size(), 3);
        QCOMPARE(chunks[0].bytes + chunks[1].bytes + chunks[2].bytes, QByteArray("ABCD"));
        QCOMPARE(chunks[0].atMs, 0);
        QCOMPARE(chunks[1].atMs, 200); // 400 ms at twice the speed
        QCOMPARE(chunks[2].atMs, 200); // a time set back counts as no pause

        QVERIFY(writeFile(path, "2026-12-06T10:00:00.300 TX serial:p 5A\tZ\n"));
        QVERIFY(!kivosim::loadReplay(path, 1.0, &chunks, &error));
        QVERIFY(error.contains(u"no received chunks"_s));
    }

    // A file in a missing folder is refused at open with a reason. A file that cannot take more (a
    // full disk) ends the log with one report; what came before the failure is written, appends
    // after it are dropped.
    void missingFolderIsRefusedAndFullDiskEndsTheFileWithOneReport()
    {
        LogFile file;
        QSignalSpy failed(&file, &LogFile::failed);
        QString error;
        QVERIFY(!file.open(u"/nonexistent-folder/x.log"_s, &error));
        QVERIFY(!error.isEmpty() && !file.isOpen());
        QVERIFY(file.open(u"/dev/full"_s, &error));
        file.append("one line\n");
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY(!file.isOpen());
        file.append("dropped\n");
        file.close();
        QTest::qWait(2 * LogFile::kBatchInterval);
        QCOMPARE(failed.size(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
    }
};

KIVO_TEST_MAIN(tst_SessionLog)
#include "tst_SessionLog.moc"
