#include "MainWindow.h"
#include "PtyPair.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/SerialLink.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/MonitorController.h"
#include "monitor/frmPattern.h"
#include "monitor/frmSetting.h"
#include "protocol/RequestText.h"
#include "traffic/RxBuffers.h"

#include <QSpinBox>

using namespace kivo;
using namespace kivotest;

namespace {

// Reads the 22-byte frames with a unit of their own: "ST,GS,01,  12.345 lb" CR LF.
const QString kExpression = uR"((?<flag>ST|US|OL),GS,\d+,\s*(?<weight>[-+]?[\d.]+)\s*(?<unit>\w+))"_s;

PatternLayout frames22(QByteArray request = {})
{
    PatternLayout p;
    p.expression =
        QString(kExpression).replace(u"(?<flag>ST|US|OL)"_s, u"(?:(?<overload>OL)|(?<stable>ST|US))"_s);
    p.stableTrue = {u"ST"_s};
    p.request = std::move(request);
    return p;
}

QByteArray frame(const char *status, const char *weight, const char *unit)
{
    return QByteArray(status) + ",GS,01," + QByteArray(weight).rightJustified(8, ' ') + ' ' + unit + "\r\n";
}

} // namespace

class tst_PatternLayout : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    void requestTextKeepsEveryByte_data()
    {
        DataTable<QString, QByteArray, QString> row("text", "bytes", "error");
        row("plain with line end", u"SI\\r\\n"_s, "SI\r\n", {});
        row("backslash and tab", u"a\\\\b\\t"_s, "a\\b\t", {});
        row("hex escapes either case", u"\\x02W\\x0d\\x0A"_s, "\x02W\r\n", {});
        row("unknown escape refused", u"W\\q"_s, {}, u"Unknown escape \\q at character 2."_s);
        row("short hex refused", u"\\x4"_s, {}, u"\\x at character 1 needs two hex digits."_s);
        row("lone backslash refused", u"W\\"_s, {}, u"The text ends with a lone \\."_s);
        row("non-ASCII refused", u"Wé"_s, {}, u"Character 2 is not plain ASCII: write it as \\xHH."_s);
    }
    void requestTextKeepsEveryByte()
    {
        const auto [text, bytes, error] = fetch<QString, QByteArray, QString>("text", "bytes", "error");
        QString why;
        const std::optional<QByteArray> read = requestBytes(text, &why);
        QCOMPARE(read.has_value(), error.isEmpty());
        QCOMPARE(why, error);
        if (read)
            QCOMPARE(*read, bytes);
        QCOMPARE(requestBytes(requestText(everyByte())).value_or(QByteArray()), everyByte());
    }

    // The options go to the settings store and the list file and come back the same; other
    // sections of the list file are left alone, and unreadable values fall back to the defaults.
    void optionsSurviveTheStores()
    {
        writeListFile("[AutoString]\r\nString1=keep me\r\n");
        MonitorOptions o;
        o.poll = true;
        o.pollMs = 350;
        o.pattern = frames22("W\r\n");
        o.pattern.overloadTrue = {u"OL"_s, u"O L"_s};
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
        row("empty", {}, {}, u"The expression is empty."_s);
        row("no weight group", u"([0-9.]+) kg"_s, {},
            u"The expression has no group named \"weight\": write (?<weight>...)."_s);
        row("unbalanced", u"(?<weight>[0-9"_s, {}, u"The expression is not valid: "_s);
        row("bad request", kExpression, u"S\\"_s, u"Poll request: The text ends with a lone \\."_s);
        row("good", kExpression, u"W\\r"_s, {});
    }
    void patternDialogRefusesBadPatternsAndTriesGoodOnes()
    {
        const auto [expression, request, reason] =
            fetch<QString, QString, QString>("expression", "request", "reason");
        MessageLog log;
        const QByteArray recent =
            "G\r\n" + frame("ST", "12.345", "lb") + "junk\r\n" + frame("OL", "99.9", "g");
        frmPattern dlg({}, recent);
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
        MonitorOptions o;
        o.pattern = frames22("P\r");
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
    // polling sends the request through the send path at its interval and stops with monitoring.
    void patternLayoutDrivesTheWindowAndPolls()
    {
        MonitorOptions stored;
        stored.pattern = frames22("W\r\n");
        stored.pattern.overloadTrue = {u"OL"_s};
        QVERIFY(saveMonitorOptions(stored, kivotest::listFilePath()));
        PtyPair pty;
        frmMain w;
        w.setEndProgram([] {});
        QCOMPARE(w.monitor()->options().pattern, stored.pattern);
        w.data().iIndicatorMode = ModePattern;
        choose(w, "cboDelay", u"0"_s);
        control<QTabBar>(w, "tabPrintSelect")->setCurrentIndex(2);
        connectSerial(w, pty.slavePath());
        QVERIFY(w.serialLink().isReady());
        button(w, "cmdMonOn")->click();
        const auto *panel = w.findChild<IndicatorPanel *>();
        QCOMPARE(panel->unit(), QString());

        pty.deviceSends(frame("ST", "12.345", "lb"));
        QTRY_COMPARE(control<QLabel>(w, "lblIndi")->text(), u"12.345"_s);
        QCOMPARE(panel->unit() + lamps(w), u"lbS-"_s);
        pty.deviceSends("ST,GS,01,  oops\r\n" + frame("OL", "1.5", "g"));
        QTRY_COMPARE(control<QLabel>(w, "lblIndi")->text(), u"1.5"_s);
        QCOMPARE(panel->unit() + lamps(w), u"g-O"_s);
        QCOMPARE(w.serialBuffers().framesFound, 2u);
        QCOMPARE(w.serialBuffers().bytesDropped, 17u);

        MonitorOptions polled = stored;
        polled.poll = true;
        polled.pollMs = 50;
        w.monitor()->setOptions(polled);
        QVERIFY(w.monitor()->isPolling());
        QElapsedTimer clock;
        clock.start();
        QByteArray requests;
        while (clock.elapsed() < 600) {
            QTest::qWait(20);
            requests += pty.deviceReceived();
        }
        const qsizetype n = requests.count("W\r\n");
        QVERIFY2(n >= 6 && n <= 13 && requests.size() == n * 3, requests.constData());
        QTRY_VERIFY2(control<QTextEdit>(w, "rtfPrintHex")->toPlainText().contains(u"SEND : 57 0D 0A"_s),
                     qPrintable(control<QTextEdit>(w, "rtfPrintHex")->toPlainText().right(200)));

        button(w, "cmdMonOff")->click();
        QVERIFY(!w.monitor()->isPolling());
        QCOMPARE(panel->unit(), u"kg"_s);
        QTest::qWait(150);
        (void)pty.deviceReceived(); // a request already under way may still arrive
        QTest::qWait(150);
        QCOMPARE(pty.deviceReceived(), QByteArray());
    }
};

KIVO_TEST_MAIN(tst_PatternLayout)
#include "tst_PatternLayout.moc"
