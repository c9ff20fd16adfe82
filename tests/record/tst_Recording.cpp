#include "../app/ChildProcess.h"
#include "MainWindow.h"
#include "PtyPair.h"

#include "Replay.h"
#include "app/CommandLine.h"
#include "app/CommandLineApply.h"
#include "app/SessionTools.h"
#include "record/LogFile.h"
#include "record/SessionLog.h"
#include "record/SessionRecorder.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"

#include <QAction>

using namespace kivo;
using namespace kivotest;
namespace slog = kivo::sessionlog;

namespace {

// What a log file holds: the bytes each way in order, the comments, and whether the times never
// go back.
struct LogContent
{
    QByteArray rx, tx;
    QStringList comments;
    QStringList links;
    bool timesInOrder = true;
};

LogContent readLog(const QString &path)
{
    LogContent c;
    QDateTime last;
    for (const QByteArray &line : readFile(path).split('\n')) {
        if (line.startsWith("# ")) {
            c.comments << QString::fromUtf8(line.mid(26)); // after "# " and the time
            continue;
        }
        const auto e = slog::parseLine(line);
        if (!e)
            continue;
        c.timesInOrder = c.timesInOrder && (!last.isValid() || last <= e->time);
        last = e->time;
        (e->direction == slog::Direction::Rx ? c.rx : c.tx) += e->bytes;
        if (!c.links.contains(e->link))
            c.links << e->link;
    }
    return c;
}

} // namespace

class tst_Recording : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    // Every byte value and the link read back exactly, whatever the text column makes of them.
    void lineKeepsEveryByteAndLinkAndMarksUnprintableText()
    {
        const QByteArray all = everyByte();
        const QDateTime time = QDateTime::fromString(u"2026-12-06T17:03:41.123"_s, Qt::ISODateWithMs);
        const QByteArray line =
            slog::chunkLine(time, slog::Direction::Tx, u"tcp:10.0.0.7:4001"_s, all, QString::fromLatin1(all));
        QVERIFY(line.startsWith("2026-12-06T17:03:41.123 TX tcp:10.0.0.7:4001 00 01 02 "));
        QCOMPARE((QList<qsizetype>{line.count('\n'), line.count('\t')}), (QList<qsizetype>{1, 1}));
        const auto entry = slog::parseLine(line);
        QVERIFY(entry);
        QCOMPARE(std::tuple(entry->bytes, entry->time, entry->direction, entry->link),
                 std::tuple(all, time, slog::Direction::Tx, u"tcp:10.0.0.7:4001"_s));

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
        // 400 ms at twice the speed, then a time set back counts as no pause.
        QCOMPARE((QList<qint64>{chunks[0].atMs, chunks[1].atMs, chunks[2].atMs}),
                 (QList<qint64>{0, 200, 200}));

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

    // Received frames and a typed send over a serial port, then the port dying: every byte both
    // ways is in the log, in order, with the link's events. The other send paths (function keys,
    // auto-repeat) go out through the same seam, as the send tests check.
    void serialSessionHoldsEveryByteBothWays()
    {
        MessageLog boxes;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"serial.log"_s);
        PtyPair pty;
        auto w = openWindow();
        QVERIFY(w->sessionTools()->startLog(path));
        QVERIFY(control<QLabel>(*w, "sbrStatus_Log")->isVisible());
        choose(*w, "cboDelay", u"0"_s);
        connectSerial(*w, pty.slavePath());

        const QByteArray first = "ST,GS,01,   12.34 kg\r\n" + everyByte();
        pty.deviceSends(first);
        QTRY_VERIFY(w->views()->rtfPrintAsc->toPlainText().contains(u"12.34"_s));
        control<QLineEdit>(*w, "txtSend")->setText(u"hello"_s);
        button(*w, "cmdSend")->click();
        QByteArray deviceGot;
        QTRY_COMPARE(deviceGot += pty.deviceReceived(), QByteArray("hello"));
        pty.deviceSends("W\r\n");
        QTRY_VERIFY(w->views()->rtfPrintAsc->toPlainText().endsWith(u"W[CRLF]"_s));
        pty.unplug();
        QTRY_VERIFY(!button(*w, "cmdDisconnect")->isEnabled());
        w->sessionTools()->stopLog();
        QVERIFY(!control<QLabel>(*w, "sbrStatus_Log")->isVisible());

        const LogContent log = readLog(path);
        QCOMPARE(std::tuple(log.rx, log.tx, log.timesInOrder, log.links),
                 std::tuple(first + "W\r\n", deviceGot, true, QStringList{u"serial:"_s + pty.slavePath()}));
        QCOMPARE(log.comments.first(), u"recording started"_s);
        QCOMPARE(log.comments.at(1), u"serial:%1 opened"_s.arg(pty.slavePath()));
        QVERIFY(log.comments.at(2).startsWith(u"serial:%1 closed: "_s.arg(pty.slavePath())));
        QCOMPARE(log.comments.last(), u"recording stopped"_s);
    }

    // --log starts recording before the window connects; a TCP session is recorded with its
    // endpoint, and closing the window completes the file.
    void tcpSessionIsCompleteAfterShutDown()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tcp.log"_s);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString endpoint = u"127.0.0.1:%1"_s.arg(server.serverPort());
        const ParsedCommandLine parsed = parseCommandLine({"kivo", "--log", path, "--tcp", endpoint});
        QVERIFY(!parsed.exitCode);
        auto w = openWindow();
        applyCommandLine(*w, w->data(), parsed.options);
        QVERIFY(w->sessionTools()->recorder().isRecording());
        button(*w, "cmdMonOn")->click();
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QByteArray received;
        connect(w->receivePipeline(), &ReceivePipeline::received, this,
                [&received](const LinkChunk &chunk) { received += chunk.bytes; });

        const QByteArray frames = QByteArray("ST,GS,01,   12.34 kg\r\n").repeated(50) + everyByte();
        peer->write(frames);
        control<QLineEdit>(*w, "txtSend")->setText(u"Z"_s);
        QTRY_VERIFY(button(*w, "cmdSend")->isEnabled());
        button(*w, "cmdSend")->click();
        QByteArray peerGot;
        QTRY_COMPARE(peerGot += peer->readAll(), QByteArray("Z"));
        QTRY_COMPARE(received.size(), frames.size());
        w->close();

        const LogContent log = readLog(path);
        QCOMPARE(std::tuple(log.rx, log.tx, log.timesInOrder, log.links),
                 std::tuple(frames, peerGot, true, QStringList{u"tcp:"_s + endpoint}));
        QVERIFY(log.comments.contains(u"tcp:%1 opened"_s.arg(endpoint)));
        QCOMPARE(log.comments.last(), u"recording stopped: program closed"_s);
    }

    // The log's folder taken away while recording: one warning naming the file, the recording
    // stops and its file is closed with everything up to then; the program goes on.
    void folderTakenAwayStopsWithOneWarning_data()
    {
        DataTable<bool> row("removed");
        row("renamed", false);
        row("removed", true);
    }
    void folderTakenAwayStopsWithOneWarning()
    {
        QFETCH(bool, removed);
        MessageLog boxes;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"logs"_s));
        const QString path = dir.filePath(u"logs/field.log"_s);
        PtyPair pty;
        auto w = openWindow();
        choose(*w, "cboDelay", u"0"_s);
        connectSerial(*w, pty.slavePath());
        QVERIFY(w->sessionTools()->startLog(path));
        pty.deviceSends("BEFORE\r\n");
        QTRY_VERIFY(QFileInfo(path).size() > 0 && readLog(path).rx == "BEFORE\r\n");

        QVERIFY(removed ? QDir(dir.filePath(u"logs"_s)).removeRecursively()
                        : QDir(dir.path()).rename(u"logs"_s, u"moved"_s));
        pty.deviceSends("AFTER\r\n");
        QTRY_COMPARE(boxes.boxes.size(), 1);
        QVERIFY(describe(boxes.boxes.first()).startsWith(u"Warning|Kivo|Recording stopped: "_s + path));
        QVERIFY(!w->sessionTools()->recorder().isRecording());
        QVERIFY(!control<QLabel>(*w, "sbrStatus_Log")->isVisible());
        QVERIFY(!w->findChild<QAction *>(u"mnuFile_StopLog"_s)->isEnabled());
        QTRY_VERIFY(w->views()->rtfPrintAsc->toPlainText().contains(u"AFTER"_s));
        QTest::qWait(3 * LogFile::kBatchInterval);
        QCOMPARE(boxes.boxes.size(), 1);

        // No descriptor stays open on the file; a renamed folder keeps what came before.
        QDirIterator fds(u"/proc/self/fd"_s);
        while (fds.hasNext())
            QVERIFY(!QFile::symLinkTarget(fds.next()).contains(u"field.log"_s));
        if (!removed) {
            const LogContent log = readLog(dir.filePath(u"moved/field.log"_s));
            QCOMPARE(log.rx, QByteArray("BEFORE\r\n"));
            QCOMPARE(log.comments.first(), u"recording started"_s);
        }
    }

    // A recording played back by the simulator makes a fresh window show the same received lines.
    void replayShowsTheSameReceivedLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"field.log"_s);
        const QList<QByteArray> chunks = {"ST,GS,01,   12.34 kg\r\n", "US,GS,01,", "   12.36 kg\r\nST,",
                                          QByteArray("GS,01,   12.40 kg\r\n\x01\xfe")};
        QString original;
        MessageLog boxes;
        {
            PtyPair pty;
            auto w = openWindow();
            choose(*w, "cboDelay", u"0"_s);
            connectSerial(*w, pty.slavePath());
            QVERIFY(w->sessionTools()->startLog(path));
            for (const QByteArray &chunk : chunks) {
                pty.deviceSends(chunk);
                QTest::qWait(400); // each chunk is a read of its own, also when replayed
            }
            original = w->views()->rtfPrintAsc->toPlainText();
            w->sessionTools()->stopLog();
        }

        const QString link = dir.filePath(u"ttyREPLAY"_s);
        ChildProcess sim(QStringLiteral(KIVO_SIM_EXE), {"--replay", path, "--pty", link});
        QVERIFY(sim.says(u"READY\n"_s));
        auto w = openWindow();
        choose(*w, "cboDelay", u"0"_s);
        connectSerial(*w, link);
        QVERIFY(sim.says(u"REPLAY done"_s));
        QVERIFY(sim.out.contains(u"REPLAY 4 chunks"_s));
        QTRY_COMPARE(w->views()->rtfPrintAsc->toPlainText(), original);
        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(sim.endWith(SIGTERM));
    }
};

KIVO_TEST_MAIN(tst_Recording)
#include "tst_Recording.moc"
