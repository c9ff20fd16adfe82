#include "../app/ChildProcess.h"
#include "FakeLink.h"
#include "MainWindow.h"
#include "PtyPair.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/LinkController.h"
#include "monitor/FrameCollector.h"
#include "monitor/MonitorController.h"
#include "monitor/frmPattern.h"
#include "monitor/frmSetting.h"
#include "protocol/RequestText.h"
#include "traffic/ReceivePipeline.h"

#include <QSpinBox>

using namespace kivo;
using namespace kivotest;

namespace {

// A frame of the mode (0: 22 bytes, 1: 10 bytes without status, 2: 18 bytes) around an
// eight-byte weight field; a unit other than kg makes a 22-byte frame longer or shorter.
QByteArray frame(int mode, const QByteArray &weight, const QByteArray &status = "ST",
                 const QByteArray &unit = "kg")
{
    const QByteArray w = weight.leftJustified(8, ' ');
    return mode == 1 ? w + "\r\n" : status + (mode == 0 ? ",GS,01," + w + ' ' : ",GS," + w) + unit + "\r\n";
}

// The window monitoring in a mode over one link, and the indicator's end of that link: a fake
// link in place of the window's own, or the real one on a pseudo-terminal or a loopback server.
struct Bench
{
    Bench(bool tcp, int mode, bool real = false) : tcp(tcp), real(real)
    {
        w.data().iIndicatorMode = int16_t(mode);
        control<QRadioButton>(w, tcp ? "optComm_0" : "optComm_1")->click();
        if (real) {
            QVERIFY(server.listen(QHostAddress::LocalHost));
            w.data().strWinSockIP = u"127.0.0.1"_s;
            w.data().strWinSockPort = QString::number(server.serverPort());
            QVERIFY(tcp || w.serialLink().open(pty.slavePath(), u"9600,N,8,1"_s));
        } else { // read at once: the Recv Delay's gathering is the traffic test's
            w.monitor()->setLinkHooks({});
            tcp ? w.receivePipeline()->setTcpLink(&fake) : w.receivePipeline()->setSerialLink(&fake);
            choose(w, "cboDelay", u"0"_s);
        }
        button(w, "cmdMonOn")->click();
        QTRY_VERIFY(!tcp || !real || server.hasPendingConnections());
        peer = server.nextPendingConnection();
    }
    void send(const QByteArray &bytes)
    {
        !real ? fake.deviceSends(bytes) : tcp ? void(peer->write(bytes)) : pty.deviceSends(bytes);
    }
    RxBuffers &rx() { return tcp ? w.tcpBuffers() : w.serialBuffers(); }
    QString shown() const { return control<QLabel>(w, "lblIndi")->text(); }

    bool tcp, real;
    FakeLink fake;
    PtyPair pty;
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    frmMain w;
};

// Reads the 22-byte frames with a unit of their own: "ST,GS,01,  12.345 lb" CR LF.
const QString kExpression = uR"((?<flag>ST|US|OL),GS,\d+,\s*(?<weight>[-+]?[\d.]+)\s*(?<unit>\w+))"_s;

PatternLayout frames22(QByteArray request = {}, QStringList overloadTrue = {})
{
    return {
        .expression =
            QString(kExpression).replace(u"(?<flag>ST|US|OL)"_s, u"(?:(?<overload>OL)|(?<stable>ST|US))"_s),
        .stableTrue = {u"ST"_s},
        .overloadTrue = std::move(overloadTrue),
        .request = std::move(request)};
}

QString setting(QLatin1StringView key)
{
    return ReadSetting(QString(key), u"<none>"_s);
}

} // namespace

class tst_Monitoring : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    void framesDriveDisplayAndLamps_data()
    {
        // "lamps" after the chunk, as lamps() gives them (Overload is lit before).
        DataTable<bool, int, QByteArray, QString, QString, int, int> add("tcp", "mode", "chunk", "shown",
                                                                         "lamps", "found", "dropped");
        const auto row = [&add](const char *tag, int mode, const QByteArray &chunk, const char *shown,
                                const char *lamps, int found = 1, int dropped = 0) {
            for (const bool tcp : {false, true})
                add(u"%1 %2"_s.arg(tcp ? "TCP" : "serial", tag), tcp, mode, chunk, shown, lamps, found,
                    dropped);
        };
        row("22 ST, blanks trimmed", 0, frame(0, "  12.345"), "12.345", "S-");
        row("22 OL", 0, frame(0, "      OL", "OL"), "OL", "-O");
        row("22 US, inner blanks kept", 0, frame(0, "- 1 2.3 ", "US"), "- 1 2.3", "--");
        row("22 lower-case st lights nothing", 0, frame(0, "1.0", "st"), "1.0", "--");
        row("10 has no status: lamps kept", 1, frame(1, "+001.234"), "+001.234", "-O");
        row("18 ST, unit bytes not read", 2, "ST,GS,-0012.34XX\r\n", "-0012.34", "S-");
        const QByteArray two = frame(0, "1.000") + frame(0, "2.000", "OL") + frame(0, "3.0", "US").left(5);
        row("two frames in one chunk, the second shows", 0, two, "2.000", "-O", 2);
        const QByteArray junk = "\n" + frame(0, "8.000").mid(1) + "X" + frame(0, "9.000");
        row("22 stray LF, short and long frames", 0, frame(0, "7.000") + junk, "7.000", "S-", 1, 1 + 21 + 23);
        row("10 gets a 22-byte frame: display blank", 1, frame(0, "12.345"), "", "-O", 0, 22);
        row("18 LF in the middle", 2, "ST,GS\n" + frame(2, "5.5"), "5.5", "S-", 1, 6);
        const QByteArray endless = QByteArray(5000, '7') + "\r\n";
        row("18 no LF for 5000 bytes", 2, endless + frame(2, "5.5"), "5.5", "S-", 1, 5002);
        row("mode outside the list: every byte dropped", 9, frame(0, "1.0").repeated(100), "", "-O", 0, 2200);
    }
    void framesDriveDisplayAndLamps()
    {
        const auto [tcp, mode, chunk] = fetch<bool, int, QByteArray>("tcp", "mode", "chunk");
        Bench b(tcp, mode);
        b.w.findChild<IndicatorPanel *>()->setLamps(LampState{false, true});
        b.send(chunk);
        QTEST(int(b.rx().bytesDropped), "dropped");
        QTEST(int(b.rx().framesFound), "found");
        QTEST(b.shown(), "shown");
        QCOMPARE(textColor(control<QLabel>(b.w, "lblIndi")), IndicatorPanel::kReadyColor);
        QTEST(lamps(b.w), "lamps");
    }

    void frameSplitAtEveryBytePositionIsFound_data()
    {
        DataTable<bool, int> row("tcp", "mode");
        for (const bool tcp : {false, true})
            for (int mode = 0; mode < 3; ++mode)
                row(u"%1 mode %2"_s.arg(tcp ? "TCP" : "serial").arg(mode), tcp, mode);
    }
    void frameSplitAtEveryBytePositionIsFound()
    {
        const auto [tcp, mode] = fetch<bool, int>("tcp", "mode");
        Bench b(tcp, mode);
        for (int cut = 1; cut < frame(mode, "").size(); ++cut) {
            const QByteArray f = frame(mode, QByteArray::number(cut) + ".500");
            b.send(f.left(cut));
            QCOMPARE(b.rx().bytMonBuf.size(), cut);
            b.send(f.mid(cut));
            QCOMPARE(int(b.rx().framesFound), cut);
            QCOMPARE(b.shown(), QString::number(cut) + u".500"_s);
        }
        QCOMPARE(b.rx().bytesDropped, 0u);
    }

    // A consumer of the monitor's seams (statistics) must see every frame as a typed reading and
    // every dropped byte, with its link and time; over the real links. The chunks both ways are the
    // recording tests' (the log is written from those seams).
    void seamsCarryEveryFrameAndDroppedByte_data()
    {
        DataTable<bool> row("tcp");
        row("tcp", true);
        row("pty", false);
    }
    void seamsCarryEveryFrameAndDroppedByte()
    {
        QFETCH(bool, tcp);
        Bench b(tcp, 0, true);
        const QString endpoint =
            tcp ? u"tcp:127.0.0.1:%1"_s.arg(b.server.serverPort()) : u"serial:"_s + b.pty.slavePath();
        QList<WeightReading> readings;
        qint64 dropped = 0;
        connect(b.w.monitor(), &MonitorController::frameRead, this,
                [&](const WeightReading &r) { readings << r; });
        connect(b.w.monitor(), &MonitorController::bytesDropped, this, [&](Link *link, qint64 n) {
            QCOMPARE(link->endpoint(), endpoint);
            dropped += n;
        });

        const QDateTime before = QDateTime::currentDateTime();
        b.send("junk\n" + frame(0, "  -12.50", "ST") + frame(0, "   3.0", "OL") + frame(0, "  ABC", "US"));
        QTRY_COMPARE(readings.size(), 3);
        QCOMPARE(dropped, 5);
        const WeightReading &r = readings[0];
        QCOMPARE(QStringList({r.endpoint, QString::number(r.layout), r.status, r.weightText}),
                 QStringList({endpoint, "0", "ST", "-12.50"}));
        QCOMPARE(r.weight, std::optional<double>(-12.5));
        QVERIFY(r.time >= before && r.stable && !r.overload);
        QVERIFY(!readings[1].stable && readings[1].overload && readings[1].weight == 3.0);
        QCOMPARE(readings[2].weightText, u"ABC"_s);
        QVERIFY(!readings[2].weight && !readings[2].stable && !readings[2].overload);
    }

    void monOffDuringTcpStreamStopsFramesWatchdogAndSocket()
    {
        Bench b(true, 0, true);
        QTimer stream;
        int n = 0;
        QObject::connect(&stream, &QTimer::timeout, [&] { b.send(frame(0, QByteArray::number(++n))); });
        stream.start(5);
        QTRY_VERIFY(b.rx().framesFound > 5);
        QVERIFY(b.w.links()->isWatchdogArmed());
        button(b.w, "cmdMonOff")->click();
        const quint64 found = b.rx().framesFound;
        QTRY_COMPARE(b.peer->state(), QAbstractSocket::UnconnectedState);
        stream.stop();
        QTest::qWait(50); // frames still on their way must not be counted
        QCOMPARE(b.rx().framesFound, found);
        QCOMPARE(std::tuple(b.shown(), textColor(control<QLabel>(b.w, "lblIndi")), lamps(b.w)),
                 std::tuple(u"8888888"_s, IndicatorPanel::kIdleColor, u"--"_s));
        QVERIFY(!b.w.links()->isWatchdogArmed() && !b.w.data().bMonitor);
    }

    void monOnChecksRecvDelayAndConnectsOnlyOverTcpWithAnAddress_data()
    {
        DataTable<QString, bool, QString, int> row("delay", "tcp", "ip", "connects"); // after two Mon On
        row("0.05 refused", "0.05", true, "127.0.0.1", 0);
        row("0.04, RS232C", "0.04", false, "127.0.0.1", 0);
        row("0, TCP without address", "0", true, "", 0);
        row("0, TCP with address", "0", true, "127.0.0.1", 2);
    }
    void monOnChecksRecvDelayAndConnectsOnlyOverTcpWithAnAddress()
    {
        const auto [delay, tcp, ip] = fetch<QString, bool, QString>("delay", "tcp", "ip");
        MessageLog log;
        int connects = 0, closes = 0, discards = 0;
        frmMain w;
        w.monitor()->setLinkHooks({[&] { ++connects; }, [&] { ++closes; }, [&] { ++discards; }});
        control<QRadioButton>(w, tcp ? "optComm_0" : "optComm_1")->click();
        w.data().strWinSockIP = ip;
        choose(w, "cboDelay", delay);
        button(w, "cmdMonOn")->click();
        button(w, "cmdMonOn")->click();
        const bool refused = delay.toDouble() > 0.04;
        QTEST(connects, "connects");
        QCOMPARE(std::tuple(discards, w.data().bMonitor, control<QLabel>(w, "lblIndi")->text() == u"READY"_s),
                 std::tuple(refused ? 2 : 0, !refused, !refused));
        const QString box =
            "Warning|" + appTitle() + "|이 기능을 사용하려면 Recv Delay 값의 범위를 0.04이하로 조정하세요.";
        QCOMPARE(describe(log.boxes), refused ? (QStringList{box, box}) : QStringList());
        button(w, "cmdMonOff")->click();
        QCOMPARE(closes, 1);
    }

    void settingDialogStoresAsTypedAndKeepsTrimmedInMemory_data()
    {
        DataTable<QString, int> row("typedId", "id"); // -1: no entry matches, none selected on reopening
        row("ID in the list", "57", 57);
        row("ID beyond the list", "150", -1);
        row("ID with a leading zero", "05", -1);
    }
    void settingDialogStoresAsTypedAndKeepsTrimmedInMemory()
    {
        const auto [typedId, id] = fetch<QString, int>("typedId", "id");
        frmMain w;
        w.data().iIndicatorID = 3;
        QTimer::singleShot(0, this, [typedId] {
            auto *dlg = qobject_cast<frmSetting *>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            QCOMPARE(dlg->windowTitle(), u"Monitoring Setting"_s);
            dlg->cboMode->setCurrentIndex(2);
            dlg->txtIP->setText(u"  10.0.0.7 "_s);
            dlg->txtPort->setText(u" 4001"_s);
            dlg->cboID->lineEdit()->clear();
            QTest::keyClicks(dlg->cboID->lineEdit(), typedId);
            QTest::keyClick(dlg->cboID->lineEdit(), Qt::Key_Return); // Enter is OK
            QCOMPARE(dlg->cboID->count(), 100);                      // typing added no entry
        });
        button(w, "cmdMonSet")->click();
        const QStringList stored{setting(SettingsKeys::IndicatorID), setting(SettingsKeys::IndicatorMode),
                                 setting(SettingsKeys::WinSockIP), setting(SettingsKeys::WinSockPort)};
        QCOMPARE(stored, (QStringList{QString::number(id), "2", "  10.0.0.7 ", " 4001"}));
        const AppData &d = w.data();
        QCOMPARE(QStringList({QString::number(d.iIndicatorID), QString::number(d.iIndicatorMode),
                              d.strWinSockIP, d.strWinSockPort}),
                 (QStringList{QString::number(id), "2", "10.0.0.7", "4001"}));
        QCOMPARE(frmSetting(w.data()).cboID->currentIndex(), id);
    }

    // Values outside the lists open with none selected; Cancel and Esc keep them, OK stores -1.
    void outOfRangeValuesOpenWithNoneSelected()
    {
        AppData data{.iIndicatorMode = 12, .iIndicatorID = 300};
        for (const int key : {0, int(Qt::Key_Escape), int(Qt::Key_Return)}) {
            frmSetting dlg(data);
            dlg.show();
            QVERIFY(dlg.cboMode->currentIndex() == -1 && dlg.cboID->currentIndex() == -1);
            QCOMPARE(dlg.cboID->currentText(), QString());
            dlg.txtIP->setText(u"9.9.9.9"_s);
            key ? QTest::keyClick(dlg.txtIP, Qt::Key(key)) : dlg.cmdCancel->click();
            const bool ok = key == Qt::Key_Return;
            QCOMPARE(dlg.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
            QCOMPARE(QPoint(data.iIndicatorMode, data.iIndicatorID), ok ? QPoint(-1, -1) : QPoint(12, 300));
            QCOMPARE(data.strWinSockIP, ok ? u"9.9.9.9"_s : QString());
            QCOMPARE(setting(SettingsKeys::WinSockIP), ok ? u"9.9.9.9"_s : u"<none>"_s);
        }
    }

    void requestTextKeepsEveryByte_data()
    {
        DataTable<QString, QByteArray, QString> row("text", "bytes", "error");
        row("plain with line end", u"SI\\r\\n"_s, "SI\r\n", {});
        row("backslash and tab", u"a\\\\b\\t"_s, "a\\b\t", {});
        row("hex escapes either case", u"\\x02W\\x0d\\x0A"_s, "\x02W\r\n", {});
        row("unknown escape refused", u"W\\q"_s, {}, u"Unknown escape \\q at character 2."_s);
        row("short hex refused", u"\\x4"_s, {}, u"\\x at character 1 needs two hex digits."_s);
        // A lone backslash: patternDialogRefusesBadPatternsAndTriesGoodOnes' "bad request".
        row("non-ASCII refused", u"Wé"_s, {}, u"Character 2 is not plain ASCII: write it as \\xHH."_s);
    }
    void requestTextKeepsEveryByte()
    {
        const auto [text, bytes, error] = fetch<QString, QByteArray, QString>("text", "bytes", "error");
        QString why;
        QCOMPARE(requestBytes(text, &why).value_or("<refused>"), error.isEmpty() ? bytes : "<refused>");
        QCOMPARE(why, error);
        QCOMPARE(requestBytes(requestText(everyByte())).value_or(QByteArray()), everyByte());
    }

    // The options go to the settings store and the list file and come back the same; other
    // sections of the list file are left alone, and unreadable values fall back to the defaults.
    void optionsSurviveTheStores()
    {
        writeListFile("[AutoString]\r\nString1=keep me\r\n");
        MonitorOptions o{.poll = true, .pollMs = 350, .pattern = frames22("W\r\n", {u"OL"_s, u"O L"_s})};
        for (const QString end : {u"CR"_s, u"lf"_s, u"ETX"_s, u"17"_s}) {
            QVERIFY(setPatternEnd(o.pattern, end));
            QVERIFY(saveMonitorOptions(o, kivotest::listFilePath()));
            QCOMPARE(loadMonitorOptions(kivotest::listFilePath()), o);
        }
        QVERIFY(readFile(kivotest::listFilePath()).startsWith("[AutoString]\r\nString1=keep me\r\n"));
        QVERIFY(!setPatternEnd(o.pattern, u"0"_s) && !setPatternEnd(o.pattern, u"TAB"_s));

        WriteSetting(QString(SettingsKeys::PollInterval), u"5"_s);
        writeListFile("[Pattern]\r\nEnd=sometimes\r\nRequest=\\q\r\n");
        const MonitorOptions fallback = loadMonitorOptions(kivotest::listFilePath());
        QCOMPARE(fallback.pollMs, MonitorOptions::kDefaultPollMs);
        QVERIFY(fallback.pattern.end == PatternLayout::End::CRLF && fallback.pattern.request.isEmpty());
    }

    // A pattern that cannot read frames is refused at OK with the reason, never stored; a good one
    // shows what the frames received last would read.
    void patternDialogRefusesBadPatternsAndTriesGoodOnes_data()
    {
        DataTable<QString, QString, QString> row("expression", "request", "reason");
        row("no weight group", u"([0-9.]+) kg"_s, {},
            u"The expression has no group named \"weight\": write (?<weight>...)."_s);
        row("bad request", kExpression, u"S\\"_s, u"Poll request: The text ends with a lone \\."_s);
        row("good", kExpression, u"W\\r"_s, {});
    }
    void patternDialogRefusesBadPatternsAndTriesGoodOnes()
    {
        const auto [expression, request, reason] =
            fetch<QString, QString, QString>("expression", "request", "reason");
        MessageLog log;
        frmPattern dlg({}, "G\r\n" + frame(0, "  12.345", "ST", "lb") + "junk\r\n" +
                               frame(0, "    99.9", "OL", "g"));
        dlg.show();
        dlg.txtPattern->setText(expression);
        dlg.txtPollRequest->setText(request);
        dlg.cmdOK->click();
        QCOMPARE(dlg.result(), reason.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(log.boxes.size(), reason.isEmpty() ? 0 : 1);
        if (!reason.isEmpty()) {
            QVERIFY2(describe(log.boxes.first()).startsWith(u"Warning|Pattern Layout|"_s + reason),
                     qPrintable(describe(log.boxes.first())));
            QVERIFY(dlg.lblPatternProblem->text().startsWith(reason));
            return;
        }
        QCOMPARE(dlg.pattern().request, QByteArray("W\r"));
        QCOMPARE(dlg.txtPatternTest->toPlainText(),
                 u"no match  <-  G\n12.345 lb  <-  ST,GS,01,  12.345 lb\nno match  <-  junk\n"
                 "99.9 g  <-  OL,GS,01,    99.9 g"_s);
        // A fixed length takes every byte, line ends included; only the newest frames are shown.
        dlg.cboPatternEnd->setCurrentIndex(dlg.cboPatternEnd->count() - 1);
        dlg.spnPatternLength->setValue(3);
        QCOMPARE(dlg.pattern().end, PatternLayout::End::Length);
        QCOMPARE(patternTrial(dlg.pattern(), "G\r\n\x02Y\r", 1), QStringList{u"no match  <-  \\x02Y\\r"_s});
    }

    // The settings dialog hands back polling and the layout the finder chose; without a finder
    // its button is off.
    void settingDialogCarriesPollingAndFoundLayout()
    {
        AppData data;
        const MonitorOptions o{.pattern = frames22("P\r")};
        frmSetting dlg(data, o);
        QVERIFY(!dlg.cmdFindSettings->isEnabled());
        PatternLayout asked;
        dlg.setHooks({}, [&](const PatternLayout &p) {
            asked = p;
            return std::optional<int>(ModePattern);
        });
        dlg.cmdFindSettings->click();
        QCOMPARE(asked, o.pattern);
        QCOMPARE(dlg.cboMode->currentIndex(), int(ModePattern));
        QCOMPARE(dlg.lblPollRequest->text(), u"P\\r"_s);
        dlg.chkPoll->setChecked(true);
        dlg.spnPollInterval->setValue(75);
        dlg.cmdOK->click();
        QCOMPARE(data.iIndicatorMode, int16_t(ModePattern));
        QVERIFY(dlg.options().poll && dlg.options().pollMs == 75);
    }

    // Through the real window on a pseudo-terminal: a stored pattern layout read at start-up drives
    // the weight, the unit and both lamps; a frame it does not match is dropped, never shown;
    // polling sends the request at its interval and stops with monitoring. That polls go through the
    // send path and show as SEND lines is protocolDrivesDisplayUnitAndLamps'.
    void patternLayoutDrivesTheWindowAndPolls()
    {
        const MonitorOptions stored{.pattern = frames22("W\r\n", {u"OL"_s})};
        QVERIFY(saveMonitorOptions(stored, kivotest::listFilePath()));
        Bench b(false, ModePattern, true);
        QCOMPARE(b.w.monitor()->options().pattern, stored.pattern);
        const auto *panel = b.w.findChild<IndicatorPanel *>();
        QCOMPARE(panel->unit(), QString());

        b.send(frame(0, "  12.345", "ST", "lb"));
        QTRY_COMPARE(b.shown(), u"12.345"_s);
        QCOMPARE(panel->unit() + lamps(b.w), u"lbS-"_s);
        b.send("ST,GS,01,  oops\r\n" + frame(0, "     1.5", "OL", "g"));
        QTRY_COMPARE(b.shown(), u"1.5"_s);
        QCOMPARE(panel->unit() + lamps(b.w), u"g-O"_s);
        QCOMPARE(std::pair(b.rx().framesFound, b.rx().bytesDropped), (std::pair<uint64_t, uint64_t>(2, 17)));

        b.w.monitor()->setOptions({.poll = true, .pollMs = 50, .pattern = stored.pattern});
        QVERIFY(b.w.monitor()->isPolling());
        QTest::qWait(600);
        const QByteArray requests = b.pty.deviceReceived();
        const qsizetype n = requests.count("W\r\n");
        QVERIFY2(n >= 6 && n <= 13 && requests.size() == n * 3, requests.constData());

        button(b.w, "cmdMonOff")->click();
        QVERIFY(!b.w.monitor()->isPolling());
        QCOMPARE(panel->unit(), u"kg"_s);
        QTest::qWait(150);
        (void)b.pty.deviceReceived(); // a request already under way may still arrive
        QTest::qWait(150);
        QCOMPARE(b.pty.deviceReceived(), QByteArray());
    }

    // Each protocol layout through the real window with the simulator speaking it, over a
    // pseudo-terminal and over TCP: the weight, the unit the frames carry and the lamps; for the
    // layouts that answer requests, polling asks at its interval and the answers show.
    void protocolDrivesDisplayUnitAndLamps_data()
    {
        // "lamps" as lamps() gives them.
        DataTable<bool, int, QString, QString, QString, QString> row("tcp", "mode", "sim", "shown", "unit",
                                                                     "lamps");
        row("Toledo over the pty, checksums, lb", false, ModeToledo, "--protocol toledo --checksum --unit lb",
            "12.34", "lb", "S-");
        row("Toledo over TCP, in motion, g", true, ModeToledo, "--protocol toledo --unit g --pattern noise",
            "", "g", "--");
        row("MT-SICS over the pty, g", false, ModeSics, "--protocol sics --unit g", "12.34", "g", "S-");
        // Overload replies carry no unit: the display keeps the one it showed (none yet).
        row("MT-SICS over TCP, overload", true, ModeSics, "--protocol sics --pattern overload", "OL", "",
            "-O");
        row("NCI over the pty, lb", false, ModeNci, "--protocol nci --unit lb", "12.34", "lb", "S-");
        row("NCI over TCP, overload", true, ModeNci, "--protocol nci --unit lb --pattern overload", "", "",
            "-O");
        row("SMA over the pty, t", false, ModeSma, "--protocol sma --unit t --weight 1.5", "1.50", "t", "S-");
        row("SMA over TCP, overload", true, ModeSma, "--protocol sma --pattern overload", "", "kg", "-O");
    }
    void protocolDrivesDisplayUnitAndLamps()
    {
        const auto [tcp, mode, simArguments, shown] =
            fetch<bool, int, QString, QString>("tcp", "mode", "sim", "shown");
        QTemporaryDir dir;
        const QString link = dir.filePath(u"ttySIM"_s);
        ChildProcess sim(QStringLiteral(KIVO_SIM_EXE),
                         (tcp ? QStringList{"--tcp", "0"} : QStringList{"--pty", link}) +
                             QProcess::splitCommand(simArguments));
        QVERIFY(sim.says(u"READY\n"_s));
        MessageLog boxes; // the port dies when the simulator ends
        const auto w = openWindow();
        w->data().iIndicatorMode = int16_t(mode);
        if (tcp) {
            const QRegularExpressionMatch port = QRegularExpression(u"TCP 127.0.0.1:(\\d+)"_s).match(sim.out);
            QVERIFY(port.hasMatch());
            w->data().strWinSockIP = u"127.0.0.1"_s;
            w->data().strWinSockPort = port.captured(1);
            control<QRadioButton>(*w, "optComm_0")->click();
        } else {
            choose(*w, "cboDelay", u"0"_s);
            connectSerial(*w, link);
        }
        w->monitor()->setOptions({.poll = true, .pollMs = 100, .pattern = w->monitor()->options().pattern});
        button(*w, "cmdMonOn")->click();
        RxBuffers &rx = tcp ? w->tcpBuffers() : w->serialBuffers();
        QTRY_VERIFY_WITH_TIMEOUT(rx.framesFound >= 5, 5000);
        QCOMPARE(w->monitor()->isPolling(), !pollRequest(mode).isEmpty());
        const QString display = control<QLabel>(*w, "lblIndi")->text();
        if (!shown.isEmpty())
            QCOMPARE(display, shown);
        QVERIFY2(display != u"READY"_s, qPrintable(display));
        QTEST(w->findChild<IndicatorPanel *>()->unit(), "unit");
        QTEST(lamps(*w), "lamps");
        QCOMPARE(rx.bytesDropped, 0u);
        QVERIFY(boxes.boxes.isEmpty());
        if (pollRequest(mode).isEmpty())
            return;

        // Polling: about ten requests a second reach the indicator, and its answers show as RECV.
        const qsizetype before = sim.out.count(u"CMD "_s);
        QTest::qWait(1000);
        const qsizetype asked = sim.out.count(u"CMD "_s) - before;
        QVERIFY2(asked >= 6 && asked <= 12, qPrintable(QString::number(asked)));
        const QString asc = control<QTextEdit>(*w, "rtfPrintAsc")->toPlainText();
        QVERIFY(asc.contains(u"SEND : "_s) && asc.contains(u"RECV : "_s));
    }
};

KIVO_TEST_MAIN(tst_Monitoring)
#include "tst_Monitoring.moc"
