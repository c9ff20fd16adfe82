#include "MainWindow.h"
#include "PtyPair.h"

#include "app/CommandLine.h"
#include "app/CommandLineApply.h"
#include "app/SessionTools.h"
#include "record/SessionLog.h"
#include "record/SessionRecorder.h"
#include "send/AutoRepeat.h"
#include "send/Sender.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextEdit>

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
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    QDateTime last;
    for (const QByteArray &line : f.readAll().split('\n')) {
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

QByteArray everyByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

} // namespace

class tst_Recording : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    // Received frames, a typed send, a function key and an auto-repeat run over a serial port,
    // then the port dying: every byte both ways is in the log, in order, with the link's events.
    void serialSessionHoldsEveryByteBothWays()
    {
        writeListFile("[FuncKeyCap]\r\nString1=K1\r\n[FuncString]\r\nString1=F1!\r\n[FuncMode]\r\nString1=1\r\n"
                      "[FuncSendEnable]\r\nString1=1\r\n");
        MessageLog boxes;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("serial.log"));
        PtyPair pty;
        auto w = openWindow();
        QVERIFY(w->sessionTools()->startLog(path));
        QVERIFY(control<QLabel>(*w, "sbrStatus_Log")->isVisible());
        choose(*w, "cboDelay", QStringLiteral("0"));
        connectSerial(*w, pty.slavePath());
        QVERIFY(button(*w, "cmdDisconnect")->isEnabled());

        QByteArray deviceGot;
        auto drain = [&] { return deviceGot += pty.deviceReceived(); };
        const QByteArray first = "ST,GS,01,   12.34 kg\r\n" + everyByte();
        pty.deviceSends(first);
        QTRY_VERIFY(w->views()->rtfPrintAsc->toPlainText().contains(QLatin1String("12.34")));
        control<QLineEdit>(*w, "txtSend")->setText(QStringLiteral("hello"));
        button(*w, "cmdSend")->click();
        button(*w, "cmdFuncKey_0")->click();
        QTRY_VERIFY(drain().contains("F1!"));

        control<QCheckBox>(*w, "chkAutoRepeat")->setChecked(true);
        choose(*w, "cboDelayTime", QStringLiteral("0.01"));
        control<QLineEdit>(*w, "txtSend")->setText(QStringLiteral("R"));
        button(*w, "cmdSend")->click();
        QTRY_VERIFY(drain().count('R') >= 3);
        button(*w, "cmdSend")->click();
        QTRY_VERIFY(!w->autoRepeat()->isRunning(RunKind::SendBox));
        pty.deviceSends("W\r\n");
        QTRY_VERIFY(w->views()->rtfPrintAsc->toPlainText().endsWith(QLatin1String("W[CRLF]")));
        QTest::qWait(20);
        drain();
        pty.unplug();
        QTRY_VERIFY(!button(*w, "cmdDisconnect")->isEnabled());
        w->sessionTools()->stopLog();
        QVERIFY(!control<QLabel>(*w, "sbrStatus_Log")->isVisible());

        const LogContent log = readLog(path);
        QCOMPARE(log.rx, first + "W\r\n");
        QCOMPARE(log.tx, deviceGot);
        QVERIFY(deviceGot.startsWith("helloF1!R"));
        QVERIFY(log.timesInOrder);
        QCOMPARE(log.links, QStringList{QStringLiteral("serial:") + pty.slavePath()});
        QCOMPARE(log.comments.first(), QStringLiteral("recording started"));
        QCOMPARE(log.comments.at(1), QStringLiteral("serial:%1 opened").arg(pty.slavePath()));
        QVERIFY(log.comments.at(2).startsWith(QStringLiteral("serial:%1 closed: ").arg(pty.slavePath())));
        QCOMPARE(log.comments.last(), QStringLiteral("recording stopped"));
    }

    // --log starts recording before the window connects; a TCP session is recorded with its
    // endpoint, and closing the window completes the file.
    void tcpSessionIsCompleteAfterShutDown()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tcp.log"));
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString endpoint = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
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
        control<QLineEdit>(*w, "txtSend")->setText(QStringLiteral("Z"));
        QTRY_VERIFY(button(*w, "cmdSend")->isEnabled());
        button(*w, "cmdSend")->click();
        QByteArray peerGot;
        QTRY_COMPARE(peerGot += peer->readAll(), QByteArray("Z"));
        QTRY_COMPARE(received.size(), frames.size());
        w->close();

        const LogContent log = readLog(path);
        QCOMPARE(log.rx, frames);
        QCOMPARE(log.tx, peerGot);
        QVERIFY(log.timesInOrder);
        QCOMPARE(log.links, QStringList{QStringLiteral("tcp:") + endpoint});
        QVERIFY(log.comments.contains(QStringLiteral("tcp:%1 opened").arg(endpoint)));
        QCOMPARE(log.comments.last(), QStringLiteral("recording stopped: program closed"));
    }

    // The log's folder taken away while recording: one warning naming the file, the recording
    // stops and its file is closed with everything up to then; the program goes on.
    void folderTakenAwayStopsWithOneWarning_data()
    {
        QTest::addColumn<bool>("removed");
        QTest::newRow("renamed") << false;
        QTest::newRow("removed") << true;
    }
    void folderTakenAwayStopsWithOneWarning()
    {
        QFETCH(bool, removed);
        MessageLog boxes;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("logs")));
        const QString path = dir.filePath(QStringLiteral("logs/field.log"));
        PtyPair pty;
        auto w = openWindow();
        choose(*w, "cboDelay", QStringLiteral("0"));
        connectSerial(*w, pty.slavePath());
        QVERIFY(w->sessionTools()->startLog(path));
        pty.deviceSends("BEFORE\r\n");
        QTRY_VERIFY(QFileInfo(path).size() > 0 && readLog(path).rx == "BEFORE\r\n");

        const QString moved = dir.filePath(QStringLiteral("moved"));
        QVERIFY(removed ? QDir(dir.filePath(QStringLiteral("logs"))).removeRecursively()
                        : QDir(dir.path()).rename(QStringLiteral("logs"), QStringLiteral("moved")));
        pty.deviceSends("AFTER\r\n");
        QTRY_COMPARE(boxes.boxes.size(), 1);
        QVERIFY(describe(boxes.boxes.first()).startsWith(QStringLiteral("Warning|Kivo|Recording stopped: ") + path));
        QVERIFY(!w->sessionTools()->recorder().isRecording());
        QVERIFY(!control<QLabel>(*w, "sbrStatus_Log")->isVisible());
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("mnuFile_StopLog"))->isEnabled());
        QTRY_VERIFY(w->views()->rtfPrintAsc->toPlainText().contains(QLatin1String("AFTER")));
        QTest::qWait(3 * LogFile::kBatchInterval);
        QCOMPARE(boxes.boxes.size(), 1);

        // No descriptor stays open on the file; a renamed folder keeps what came before.
        QDirIterator fds(QStringLiteral("/proc/self/fd"));
        while (fds.hasNext())
            QVERIFY(!QFile::symLinkTarget(fds.next()).contains(QLatin1String("field.log")));
        if (!removed) {
            const LogContent log = readLog(moved + QStringLiteral("/field.log"));
            QCOMPARE(log.rx, QByteArray("BEFORE\r\n"));
            QCOMPARE(log.comments.first(), QStringLiteral("recording started"));
        }
    }

    // A recording played back by the simulator makes a fresh window show the same received lines.
    void replayShowsTheSameReceivedLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("field.log"));
        const QList<QByteArray> chunks = {"ST,GS,01,   12.34 kg\r\n", "US,GS,01,", "   12.36 kg\r\nST,",
                                          QByteArray("GS,01,   12.40 kg\r\n\x01\xfe")};
        QString original;
        MessageLog boxes;
        {
            PtyPair pty;
            auto w = openWindow();
            choose(*w, "cboDelay", QStringLiteral("0"));
            connectSerial(*w, pty.slavePath());
            QVERIFY(w->sessionTools()->startLog(path));
            for (const QByteArray &chunk : chunks) {
                pty.deviceSends(chunk);
                QTest::qWait(400); // each chunk is a read of its own, also when replayed
            }
            original = w->views()->rtfPrintAsc->toPlainText();
            w->sessionTools()->stopLog();
        }
        QCOMPARE(readLog(path).rx, chunks.join());

        const QString link = dir.filePath(QStringLiteral("ttyREPLAY"));
        QProcess sim;
        sim.start(QStringLiteral(KIVO_SIM_EXE), {"--replay", path, "--pty", link});
        QByteArray out;
        QTRY_VERIFY((out += sim.readAllStandardOutput()).contains("READY\n"));
        auto w = openWindow();
        choose(*w, "cboDelay", QStringLiteral("0"));
        connectSerial(*w, link);
        QTRY_VERIFY_WITH_TIMEOUT((out += sim.readAllStandardOutput()).contains("REPLAY done"), 10000);
        QVERIFY(out.contains("REPLAY 4 chunks"));
        QTRY_COMPARE(w->views()->rtfPrintAsc->toPlainText(), original);
        QVERIFY(boxes.boxes.isEmpty());
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }
};

KIVO_TEST_MAIN(tst_Recording)
#include "tst_Recording.moc"
