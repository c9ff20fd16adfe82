#include "FakeLink.h"
#include "MainWindow.h"

#include "app/SessionTools.h"
#include "core/CodePage.h"
#include "link/TcpLink.h"
#include "traffic/FindBar.h"
#include "traffic/LineFormat.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/RepaintGate.h"
#include "traffic/TrafficViews.h"
#include "traffic/ViewSearch.h"

#include <QAction>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>

using namespace kivo;
using namespace kivotest;
using namespace lineformat;
namespace vs = kivo::viewsearch;

namespace {
// A view's text with its colours written out: "{0000ff}RECV : {000000}AB{c0c0c0}[CRLF]"; text
// without a colour of its own follows "{}".
QString colouredText(const QTextDocument *document)
{
    QString out, last = u"none"_s;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            out += u'\n';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QBrush brush = it.fragment().charFormat().foreground();
            const QString colour = brush.style() == Qt::NoBrush ? QString() : brush.color().name().mid(1);
            if (colour != std::exchange(last, colour))
                out += '{' + colour + '}';
            out += it.fragment().text();
        }
    }
    return out;
}

const QString kRecv = u"{0000ff}RECV : {000000}"_s;
const QString kMark = u"{c0c0c0}"_s;

// What the window's three views show, colours included.
QString shown(const frmMain &w)
{
    return colouredText(control<QTextEdit>(w, "rtfPrintAsc")->document()) +
           colouredText(control<QTextEdit>(w, "rtfPrintHex")->document()) +
           control<QPlainTextEdit>(w, "rtfHyperView")->toPlainText();
}

// The window shown, reading from a fake serial link at once (Recv Delay 0).
std::unique_ptr<frmMain> windowReading(FakeLink &link)
{
    auto w = openWindow();
    w->receivePipeline()->setSerialLink(&link);
    choose(*w, "cboDelay", u"0"_s);
    return w;
}

} // namespace

// Line building, and the traffic views of the main window fed through its receive pipeline: a
// fake serial link for the routing rules, a loopback server for the real TCP path and a flood;
// the tools over the views (search, times, save, pause).
class tst_Traffic : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        resetStores();
        m_link = std::make_unique<FakeLink>(u"serial:fake"_s);
        m_w = windowReading(*m_link);
    }
    void cleanup() { m_w.reset(); }

    // A buffer is printed once it reaches its threshold or ends with CR LF (0D 0A in hex); a text
    // line's body shows each unprintable character as one question mark.
    void lineIsDueAtThresholdOrClosingLineEndWithOneMarkPerUnprintable_data()
    {
        DataTable<bool, QString, bool, QString> row("hex", "buffer", "due", "body"); // body: text only
        row("21 chars wait", false, QString(21, u'A'), false, QString(21, u'A'));
        row("22 chars print", false, QString(22, u'A'), true, QString(22, u'A'));
        row("closing CR LF prints", false, "AB\r\n", true, "AB");
        row("LF CR waits", false, "AB\n\r", false, "AB\n");
        row("inner CR LF waits", false, "A\r\nB", false, "A\nB");
        row("inner CR LF, CR and LF are one break each", false, "A\r\nB\rC\nD", false, "A\nB\nC\nD");
        row("Hangul and decode errors", false, u"A한\uFFFD\uFFFD"_s, false, "A???");
        row("char outside the basic plane", false, u"A😀\r\n"_s, true, "A?");
        row("hex 65 chars wait", true, QString(65, u'4'), false, {});
        row("hex 66 chars print", true, QString(66, u'4'), true, {});
        row("hex closing 0D 0A prints", true, "41 0D 0A ", true, {});
        row("hex 0A 0D waits", true, "41 0A 0D ", false, {});
    }
    void lineIsDueAtThresholdOrClosingLineEndWithOneMarkPerUnprintable()
    {
        const auto [hex, buffer, body] = fetch<bool, QString, QString>("hex", "buffer", "body");
        QTEST(hex ? hexDue(buffer) : textDue(buffer), "due");
        if (!hex)
            QCOMPARE(buildLine(buffer).body, body);
    }

    void receivedBytesMakeTheLinesOfTheSelectedViews_data()
    {
        DataTable<int, QList<QByteArray>, QString, QString, QString> row("tab", "reads", "ascii", "hex",
                                                                         "terminal");
        row("Both, AB CR LF", 3, {"AB\r\n"}, kRecv + "AB" + kMark + "[CRLF]", kRecv + "41 42 0D 0A ", {});
        row("CR LF alone", 3, {"\r\n"}, "{0000ff}RECV : " + kMark + "[CRLF]", kRecv + "0D 0A ", {});
        row("A B CR", 1, {"AB\r"}, kRecv + "AB" + kMark + "[CR]", {}, {});
        row("A B LF CR breaks after AB", 1, {"AB\n\r"}, kRecv + "AB\n" + kMark + "[CR]", {}, {});
        row("TAB NUL 128 as ?", 1, {QByteArray("\t\0\x80", 3)}, kRecv + "???", {}, {});
        row("30 bytes at once are one line", 1, {QByteArray(30, 'x')}, kRecv + QString(30, u'x'), {}, {});
        row("Hexa fills only the hex view", 2, {"AB"}, {}, kRecv + "41 42 ", {});
        row("first line has no leading break, later ones do", 1, {"AB", "CD\r\n"},
            kRecv + "AB\n" + kRecv + "CD" + kMark + "[CRLF]", {}, {});
        row("terminal keeps TAB NUL", 4, {QByteArray("\tA\0", 3)}, {}, {}, QString::fromLatin1("\tA\0", 3));
        row("terminal: CR LF split over reads is one break", 4, {"A\r", "\nB\r\r\n"}, {}, {}, "A\nB\n\n");
        // "가" is EA B0 80 in UTF-8: split over two reads it is one character, shown as one "?" in
        // the ASCII view.
        row("UTF-8 character split over reads", 1, {"x\xEA\xB0", "\x80y"}, kRecv + "x\n" + kRecv + "?y", {},
            {});
        row("terminal: UTF-8 character split over reads", 4, {"x\xEA\xB0", "\x80y"}, {}, {}, u"x가y"_s);
    }
    void receivedBytesMakeTheLinesOfTheSelectedViews()
    {
        const auto [tab, reads] = fetch<int, QList<QByteArray>>("tab", "reads");
        if (QByteArray(QTest::currentDataTag()).contains("UTF-8") &&
            CodePage::system().name().toUpper().replace("-", "") != "UTF8")
            QSKIP("the locale's character set is not UTF-8");
        selectTab(tab);
        for (const QByteArray &bytes : reads)
            deviceSends(bytes);
        QCOMPARE(std::tuple(asc(), colouredText(view("rtfPrintHex")->document()), terminal()->toPlainText()),
                 (fetch<QString, QString, QString>("ascii", "hex", "terminal")));
        QVERIFY(m_w->serialBuffers().strAscBuf.isEmpty());
    }

    void recvDelayGathersABurstAndTheTerminalTabForcesItToZero()
    {
        selectTab(1);
        choose(*m_w, "cboDelay", u"0.2"_s);
        for (const char *piece : {"12", "34", "56"})
            m_link->deviceSends(piece);
        QCOMPARE(asc(), QString()); // nothing read before the delay ends
        QTRY_COMPARE(asc(), kRecv + "123456");
        selectTab(4);
        deviceSends("AB");
        QCOMPARE(terminal()->toPlainText(), u"AB"_s);
        QCOMPARE(asc(), kRecv + "123456");
        selectTab(1);
        auto *cboDelay = control<QComboBox>(*m_w, "cboDelay"); // locked at 0 on the terminal tab
        QVERIFY(cboDelay->currentText() == u"0"_s && cboDelay->isEnabled());
        QCOMPARE(terminal()->toPlainText(), u"AB"_s);
    }

    // A gathering holds the bytes that arrive before its delay ends, however late it is worked
    // through: the next arrival after the end reads it at once, and its own bytes open the next.
    void bytesAfterTheDelayOpenTheNextGathering()
    {
        choose(*m_w, "cboDelay", u"0.05"_s);
        QByteArrayList reads;
        connect(m_w->receivePipeline(), &ReceivePipeline::received, this,
                [&](const LinkChunk &chunk) { reads << chunk.bytes; });
        m_link->deviceSends("12");
        m_link->deviceSends("34");
        QTest::qSleep(80); // the delay ends while the window is busy elsewhere
        m_link->deviceSends("56");
        QCOMPARE(reads, QByteArrayList{"1234"});
        m_link->deviceSends("78");
        QTRY_COMPARE(reads, (QByteArrayList{"1234", "5678"}));
    }

    void recvDelayGuardRefusesLongDelaysWhileMonitoring_data()
    {
        DataTable<bool, QString, QString> row("monitoring", "choice", "kept");
        row("0.05 while monitoring", true, "0.05", "0.03");
        row("0.04 while monitoring", true, "0.04", "0.04");
        row("0.2 without monitoring", false, "0.2", "0.2");
    }
    void recvDelayGuardRefusesLongDelaysWhileMonitoring()
    {
        const auto [monitoring, choice, kept] = fetch<bool, QString, QString>("monitoring", "choice", "kept");
        MessageLog log;
        m_w->data().bMonitor = monitoring;
        m_link->blockSignals(true); // the input waits in the port, unread
        m_link->deviceSends("waiting");
        choose(*m_w, "cboDelay", choice);
        QCOMPARE(control<QComboBox>(*m_w, "cboDelay")->currentText(), kept);
        const bool refused = kept != choice;
        QCOMPARE(m_link->bytesAvailable(), refused ? 0 : 7);
        const QString guard = u"Warning|%1|인디케이터 모니터링 기능이 켜져 있을때는 Recv Delay 값이 "
                              "0.04초 이하로 제한됩니다."_s.arg(appTitle());
        QCOMPARE(describe(log.boxes), refused ? QStringList{guard} : QStringList());
    }

    void ctrlXClearsAllViewsButNotCtrlShiftX_data()
    {
        DataTable<Qt::KeyboardModifiers, bool> row("modifiers", "cleared");
        row("Ctrl+X", Qt::ControlModifier, true);
        row("Ctrl+Shift+X", Qt::ControlModifier | Qt::ShiftModifier, false);
        row("Ctrl+Alt+X", Qt::ControlModifier | Qt::AltModifier, false);
    }
    void ctrlXClearsAllViewsButNotCtrlShiftX()
    {
        const auto [modifiers, cleared] = fetch<Qt::KeyboardModifiers, bool>("modifiers", "cleared");
        selectTab(3);
        deviceSends("AB\r\n");
        deviceSends("CD");
        m_w->tcpBuffers().strAscBuf = u"kept"_s;
        terminal()->setPlainText(u"old"_s);
        // From the send box too, whose own cut must not run.
        m_w->SetSendEnabled(true);
        auto *box = control<QLineEdit>(*m_w, "txtSend");
        box->setText(u"keep me"_s);
        const QString before = shown(*m_w);
        for (QWidget *target :
             std::initializer_list<QWidget *>{view("rtfPrintAsc"), view("rtfPrintHex"), terminal(), box}) {
            box->selectAll();
            QTest::keyClick(target, Qt::Key_X, modifiers);
            QCOMPARE(shown(*m_w), cleared ? QString() : before);
            if (!cleared)
                continue;
            deviceSends("E");
            QCOMPARE(asc(), kRecv + "E");
            terminal()->setPlainText(u"old"_s);
        }
        QCOMPARE(m_w->tcpBuffers().strAscBuf, u"kept"_s);
        if (cleared)
            QCOMPARE(box->text(), u"keep me"_s);
    }

    void viewPastTenThousandKeepsFromThe9000th_data()
    {
        DataTable<int, int, QString> row("tab", "length", "line");
        const QString recv = "\n" + kRecv + "AB" + kMark + "[CRLF]";
        row("ASCII at 10000 keeps all", 1, 10000, recv);
        row("ASCII at 10001", 1, 10001, recv);
        row("terminal at 10001", 4, 10001, "AB\n");
    }
    void viewPastTenThousandKeepsFromThe9000th()
    {
        const auto [tab, length, line] = fetch<int, int, QString>("tab", "length", "line");
        const QString old = QString(8999, u'x') + QString(length - 8999, u'k');
        QTextDocument *document = tab == 4 ? terminal()->document() : view("rtfPrintAsc")->document();
        selectTab(tab);
        document->setPlainText(old);
        deviceSends("AB\r\n");
        QCOMPARE(colouredText(document), "{}" + (length > 10000 ? old.mid(8999) : old) + line);
    }

    // The real TCP path: a partial line waits in its buffer until monitoring's frame step flushes
    // it; an arrival that fed monitoring restarts the reconnect watchdog, one that did not stops it.
    void tcpKeepsAPartialLineUntilMonitoringFlushesIt()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        auto *watchdog = control<QTimer>(*m_w, "tmrSocketCheck");
        selectTab(1);
        m_w->tcpLink().connectTo(u"127.0.0.1"_s, QString::number(server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *device = server.nextPendingConnection();
        QTRY_COMPARE(m_w->tcpLink().state(), int(TcpLink::Connected));
        watchdog->start();
        device->write("ABCDE");
        QTRY_COMPARE(m_w->tcpBuffers().strAscBuf, u"ABCDE"_s);
        QVERIFY(view("rtfPrintAsc")->document()->isEmpty());
        QVERIFY(!watchdog->isActive());

        m_w->data().bMonitor = true;
        device->write("ST,GS,+00");
        QTRY_COMPARE(asc(), kRecv + "ABCDEST,GS,+00");
        QVERIFY(watchdog->isActive());
        device->write("  12.345kg \r\n");
        QTRY_COMPARE(asc(), kRecv + "ABCDEST,GS,+00\n" + kRecv + "  12.345kg " + kMark + "[CRLF]");
        QVERIFY(m_w->serialBuffers().strAscBuf.isEmpty());
    }

    // "SEND : 41 42 43 0D 0A " in the hex view: the hex text starts at position 7.
    void hexTipShowsTheDraggedBytesBelowThePointerAndHidesAfterRelease()
    {
        selectTab(2);
        m_w->views()->PrintSend(view("rtfPrintHex"), u"41 42 43 0D 0A "_s);
        auto *tip = control<QFrame>(*m_w, "picHextoAscii");
        auto *tipText = control<QLabel>(*m_w, "lblHextoAscii");
        auto *tipDelay = control<QTimer>(*m_w, "tmrHexTipDelay");
        drag(7, 15);
        QCOMPARE(view("rtfPrintHex")->textCursor().selectedText(), u"41 42 43"_s);
        QVERIFY(tipText->text() == u"ABC"_s && tip->isVisible());
        QVERIFY(tip->y() > view("rtfPrintHex")->viewport()->mapTo(tip->parentWidget(), charPos(15)).y());
        mouse(QTest::MouseMove, 22);
        QCOMPARE(tipText->text(), u"ABC\r\n"_s);

        QCOMPARE(tipDelay->interval(), 3000);
        tipDelay->setInterval(60000);
        mouse(QTest::MouseRelease, 22);
        QVERIFY(tip->isVisible());
        mouse(QTest::MousePress, 2);
        QVERIFY(tip->isVisible());
        mouse(QTest::MouseRelease, 2);
        QVERIFY(!tip->isVisible() && !m_w->views()->bTipArmed);

        tipDelay->setInterval(100);
        drag(13, 18);
        mouse(QTest::MouseRelease, 18);
        QVERIFY(tip->isVisible() && tipDelay->isActive());
        QTRY_VERIFY(!tip->isVisible());
        QVERIFY(!tipDelay->isActive());
    }

    // Lines written faster than the eye follows: the view's text holds each line at once, its
    // repaints are capped at one per interval, and once the lines stop the view is painted with
    // the last of them and takes repaints again.
    // A view's scroll bar keeps a picture of itself: a thumb the program moves shows its new place
    // within the bar's interval, and a step the user takes shows at once.
    void scrollBarPictureFollowsTheThumb()
    {
        QTextEdit *asc = view("rtfPrintAsc");
        for (int i = 0; i < 200; ++i)
            m_w->views()->PrintSend(asc, u"line %1"_s.arg(i));
        QScrollBar *bar = asc->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0 && bar->isVisible());
        const QImage atEnd = bar->grab().toImage();
        bar->setValue(0);
        QTRY_VERIFY(bar->grab().toImage() != atEnd);
        const QImage atTop = bar->grab().toImage();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QVERIFY(bar->grab().toImage() != atTop);
        bar->setValue(bar->maximum());
        QTRY_COMPARE(bar->grab().toImage(), atEnd);
    }

    void aBurstOfLinesIsPaintedAtMostOncePerIntervalAndShownWhenQuiet()
    {
        struct PaintCounter : QObject
        {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        QTextEdit *asc = view("rtfPrintAsc");
        asc->viewport()->installEventFilter(&counter);
        QTRY_VERIFY(asc->updatesEnabled());

        QElapsedTimer clock;
        clock.start();
        int lines = 0, paintsAtLastLine = 0;
        while (clock.elapsed() < 300 || lines < 60) {
            const QString text = u"line %1"_s.arg(++lines);
            m_w->views()->PrintSend(asc, text);
            QVERIFY(asc->toPlainText().endsWith(u"SEND : "_s + text));
            paintsAtLastLine = counter.paints;
            QTest::qWait(2); // the burst is spread over time, so repaints get their chance
        }
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(
            counter.paints <= elapsed / RepaintGate::kInterval.count() + 3,
            qPrintable(u"%1 paints for %2 lines in %3 ms"_s.arg(counter.paints).arg(lines).arg(elapsed)));
        QTRY_VERIFY(counter.paints > paintsAtLastLine);
        QTRY_VERIFY(asc->updatesEnabled());
        const int settled = counter.paints;
        asc->viewport()->update();
        QTRY_COMPARE(counter.paints, settled + 1);
    }

    void searchFollowsTheStreamAcrossLines_data()
    {
        DataTable<int, QString, QString, QStringList> row("kind", "text", "query", "found");
        const int text = int(vs::Kind::Text), hex = int(vs::Kind::Hex);
        const QString ascii =
            u"RECV : ABCDEFGHIJKLMNOPQRSTUV\nRECV : WXYZ[CRLF]\nRECV : AB[CRLF]\nSEND : CD\n"
            "RECV : wx\nyz"_s;
        row("across a 22-character break", text, ascii, "uvwx", {"UV|WX"});
        row("never across an end mark", text, ascii, "ZA", {});
        row("never from received into sent", text, ascii, "ABCD", {"ABCD"});
        row("never across an inner break", text, ascii, "xy", {"XY"});
        row("prefixes and marks are not searched", text, ascii, "RECV", {});
        const QString timed = u"12:00:00.000 RECV : 30 30 0D 0A \n12:00:00.100 RECV : 30 0D \n"
                              "12:00:00.200 SEND : 0A 30 "_s;
        row("hex across lines, times skipped", hex, timed, "0a30", {"0A |30", "0A 30"});
        row("hex with blanks, across a break", hex, timed, " 0a 30 0D ", {"0A |30 0D"});
        row("times are not searched", hex, timed, "00", {});
        row("half a pair is no query", hex, timed, "0D0", {});
        row("terminal text as it stands", int(vs::Kind::Terminal), "ab\ncd ab", "AB", {"ab", "ab"});
    }
    void searchFollowsTheStreamAcrossLines()
    {
        const auto [kind, text, query, found] =
            fetch<int, QString, QString, QStringList>("kind", "text", "query", "found");
        // The matched text of each match, pieces joined by '|'.
        QStringList matched;
        for (const vs::Match &m : vs::findAll(text, vs::Kind(kind), query)) {
            QStringList pieces;
            for (const vs::Piece &p : m.pieces)
                pieces << text.mid(p.start, p.length);
            matched << pieces.join(u'|');
        }
        QCOMPARE(matched, found);
    }

    // Ctrl+F's bar: counts, moves round the matches selecting each, searches hex in the hex view,
    // and Esc takes it and its highlights away.
    void findBarWalksTheMatches()
    {
        selectTab(3);
        deviceSends("ST,GS,01,   12.34 kg\r\nST,GS,01,   12.35 kg\r\nST,GS,01,   12.34 kg\r\n");
        action("mnuEdit_Find")->trigger();
        FindBar *bar = m_w->sessionTools()->findBar();
        QVERIFY(bar->isVisible());
        auto *query = control<QLineEdit>(*m_w, "txtFind");
        QTest::keyClicks(query, u"12.34"_s);
        QCOMPARE(control<QLabel>(*m_w, "lblFindCount")->text(), u"1 of 2"_s);
        QCOMPARE(view("rtfPrintAsc")->textCursor().selectedText(), u"12.34"_s);
        QCOMPARE(view("rtfPrintAsc")->extraSelections().size(), 2);
        const int first = view("rtfPrintAsc")->textCursor().selectionStart();
        button(*m_w, "cmdFindNext")->click();
        QCOMPARE(control<QLabel>(*m_w, "lblFindCount")->text(), u"2 of 2"_s);
        QVERIFY(view("rtfPrintAsc")->textCursor().selectionStart() > first);
        button(*m_w, "cmdFindNext")->click(); // wraps round
        QCOMPARE(view("rtfPrintAsc")->textCursor().selectionStart(), first);
        button(*m_w, "cmdFindPrev")->click();
        QCOMPARE(control<QLabel>(*m_w, "lblFindCount")->text(), u"2 of 2"_s);

        // In "Both" the view last focused is searched.
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(view("rtfPrintHex"), &focusIn);
        query->setText(u"3335"_s);
        QCOMPARE(view("rtfPrintHex")->textCursor().selectedText(), u"33 35"_s);
        QCOMPARE(bar->matchCount(), 1);
        QTest::keyClick(query, Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QVERIFY(view("rtfPrintHex")->extraSelections().isEmpty());
    }

    // Times start the lines while on (stored at shut-down); off, the lines are exactly as without.
    void showTimesStartsLinesWithTheTime()
    {
        selectTab(3);
        QAction *times = action("mnuEdit_ShowTimes");
        QVERIFY(!times->isChecked());
        deviceSends("A\r\n");
        times->trigger();
        deviceSends("B\r\n");
        times->trigger();
        deviceSends("D\r\n");
        const QRegularExpression time(uR"(^\d\d:\d\d:\d\d\.\d\d\d )"_s, QRegularExpression::MultilineOption);
        QCOMPARE(view("rtfPrintAsc")->toPlainText().replace(time, u"<time> "_s),
                 u"RECV : A[CRLF]\n<time> RECV : B[CRLF]\nRECV : D[CRLF]"_s);
        QVERIFY(view("rtfPrintHex")->toPlainText().split(u'\n')[1].contains(u" RECV : 42 0D 0A"_s));
        times->trigger();
        m_w->close();
        m_w = openWindow();
        QVERIFY(action("mnuEdit_ShowTimes")->isChecked());
    }

    // Save View As writes the view the tab shows: its plain text, or HTML with the colours.
    void savedViewMatchesTheView()
    {
        selectTab(3);
        deviceSends("ST,GS,01,   12.34 kg\r\n");
        deviceSends("\x01");
        QTemporaryDir dir;
        for (const QString &name : {u"v.txt"_s, u"v.html"_s})
            QVERIFY(m_w->sessionTools()->saveCurrentView(dir.filePath(name)));
        QCOMPARE(QString::fromUtf8(readFile(dir.filePath(u"v.txt"_s))), view("rtfPrintAsc")->toPlainText());
        const QString saved = QString::fromUtf8(readFile(dir.filePath(u"v.html"_s)));
        QVERIFY(saved.contains(u"#0000ff"_s) && saved.contains(u"#c0c0c0"_s));
        QTextEdit back;
        back.setHtml(saved);
        QCOMPARE(back.toPlainText(), view("rtfPrintAsc")->toPlainText());

        MessageLog boxes;
        QVERIFY(!m_w->sessionTools()->saveCurrentView(dir.filePath(u"no/such/folder.txt"_s)));
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes.first().icon, QMessageBox::Warning);
    }

    // A pause freezes all three views while data arrive; on resume they hold exactly what a window
    // that was never paused holds, cut-backs included.
    void pauseAndResumeLoseNothing_data()
    {
        DataTable<int> row("tab");
        row("both", 3);
        row("terminal", 4);
    }
    void pauseAndResumeLoseNothing()
    {
        QFETCH(int, tab);
        FakeLink steadyLink;
        auto steady = windowReading(steadyLink);
        for (frmMain *w : {m_w.get(), steady.get()})
            w->views()->tabPrintSelect->setCurrentIndex(tab - 1);
        auto both = [&](const QByteArray &bytes) {
            for (auto [w, link] : {std::pair{m_w.get(), m_link.get()}, {steady.get(), &steadyLink}}) {
                link->deviceSends(bytes);
                w->views()->commitHeldLines();
            }
        };
        both("before\r\n");
        auto *pause = control<QToolButton>(*m_w, "cmdPause");
        pause->click();
        QCOMPARE(pause->text(), u"Resume"_s);
        const QString frozen = shown(*m_w);
        for (int i = 0; i < 700; ++i)
            both(u"line %1 of the pause\r\n"_s.arg(i).toLatin1());
        QCOMPARE(shown(*m_w), frozen);
        QVERIFY(action("mnuEdit_Pause")->isChecked());
        action("mnuEdit_Pause")->trigger(); // Ctrl+Space's action resumes
        QCOMPARE(pause->text(), u"Pause"_s);
        QCOMPARE(shown(*m_w), shown(*steady));
        QVERIFY(shown(*steady).contains(u"line 699"_s));
    }

    // A large arrival is worked through in bounded slices with the event loop running between
    // them (a 0-ms timer keeps firing), and the frame step still finds every frame sent.
    void aTcpFloodLetsTheEventLoopRunAndFindsEveryFrame()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        selectTab(3);
        m_w->data().strWinSockIP = u"127.0.0.1"_s;
        m_w->data().strWinSockPort = QString::number(server.serverPort());
        control<QRadioButton>(*m_w, "optComm_0")->click();
        button(*m_w, "cmdMonOn")->click();
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *device = server.nextPendingConnection();
        QTRY_COMPARE(m_w->tcpLink().state(), int(TcpLink::Connected));
        // Room for a large arrival in the kernel, as a fast sender on a real network would fill.
        device->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4 << 20);

        qint64 bytesSinceTick = 0, mostBytesBetweenTicks = 0, received = 0;
        connect(m_w->receivePipeline(), &ReceivePipeline::received, this, [&](const LinkChunk &chunk) {
            bytesSinceTick += chunk.bytes.size();
            received += chunk.bytes.size();
            mostBytesBetweenTicks = std::max(mostBytesBetweenTicks, bytesSinceTick);
        });
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { bytesSinceTick = 0; });
        tick.start(0);

        // 22-byte frames whose weight (bytes 10 to 17) counts up, so every frame differs.
        const auto weightOf = [](int i) { return u"%1"_s.arg(i % 100000000, 8, 10, QLatin1Char('0')); };
        QByteArray stream;
        const int frames = 60000;
        for (int i = 0; i < frames; ++i)
            stream += "ST,GS,+  " + weightOf(i).toLatin1() + "kg \r\n";
        // As much of the stream as the kernel takes goes in before the window reads any of it;
        // the rest follows as the window drains the connection.
        device->write(stream);
        device->flush();
        const qint64 queued = stream.size() - device->bytesToWrite();
        QVERIFY2(queued > 256 * 1024, qPrintable(u"only %1 bytes queued"_s.arg(queued)));

        QTRY_COMPARE_WITH_TIMEOUT(received, stream.size(), 120000);
        QVERIFY2(mostBytesBetweenTicks <= 32 * 1024,
                 qPrintable(
                     u"%1 bytes worked through without the event loop running"_s.arg(mostBytesBetweenTicks)));
        QCOMPARE(m_w->tcpBuffers().framesFound, quint64(frames));
        QCOMPARE(control<QLabel>(*m_w, "lblIndi")->text(), weightOf(frames - 1));
    }

private:
    QTextEdit *view(const char *name) const { return control<QTextEdit>(*m_w, name); }
    QPlainTextEdit *terminal() const { return control<QPlainTextEdit>(*m_w, "rtfHyperView"); }
    QString asc() const { return colouredText(view("rtfPrintAsc")->document()); }
    QAction *action(const char *name) const { return control<QAction>(*m_w, name); }
    void selectTab(int tab) { control<QTabBar>(*m_w, "tabPrintSelect")->setCurrentIndex(tab - 1); }
    // The device sends, and the window reads it and puts its lines in the views.
    void deviceSends(const QByteArray &bytes)
    {
        const QString before = shown(*m_w);
        m_link->deviceSends(bytes);
        QTRY_VERIFY(shown(*m_w) != before && !m_w->views()->linesPending());
    }
    QPoint charPos(int position) const
    {
        QTextCursor cursor(view("rtfPrintHex")->document());
        cursor.setPosition(position);
        const QRect r = view("rtfPrintHex")->cursorRect(cursor);
        return QPoint(r.left() + 1, r.center().y());
    }
    // A left-button press, move with the button down, or release over a character of the hex view.
    void mouse(QTest::MouseAction action, int position) const
    {
        const Qt::MouseButton button = action == QTest::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QTest::mouseEvent(action, view("rtfPrintHex")->viewport(), button, {}, charPos(position));
    }
    void drag(int from, int to) const
    {
        mouse(QTest::MousePress, from);
        mouse(QTest::MouseMove, (from + to) / 2);
        mouse(QTest::MouseMove, to);
    }

    std::unique_ptr<frmMain> m_w;
    std::unique_ptr<FakeLink> m_link;
};

KIVO_TEST_MAIN(tst_Traffic)
#include "tst_Traffic.moc"
