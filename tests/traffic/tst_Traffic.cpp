#include "FakeLink.h"
#include "MainWindow.h"

#include "core/CodePage.h"
#include "link/TcpLink.h"
#include "traffic/LineFormat.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/RepaintGate.h"
#include "traffic/TrafficViews.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTextBlock>

using namespace kivo;
using namespace kivotest;
using namespace lineformat;

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
} // namespace

// Line building, and the traffic views of the main window fed through its receive pipeline: a
// fake serial link for the routing rules, a loopback server for the real TCP path.
class tst_Traffic : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        resetStores();
        m_w = openWindow();
        m_link = std::make_unique<FakeLink>(u"serial:fake"_s);
        m_w->receivePipeline()->setSerialLink(m_link.get());
        choose(*m_w, "cboDelay", u"0"_s);
    }
    void cleanup() { m_w.reset(); }

    void bufferBecomesDueAtThresholdOrClosingLineEnd_data()
    {
        DataTable<bool, QString, bool> row("hex", "buffer", "due");
        row("21 chars wait", false, QString(21, u'A'), false);
        row("22 chars print", false, QString(22, u'A'), true);
        row("closing CR LF prints", false, "AB\r\n", true);
        row("LF CR waits", false, "AB\n\r", false);
        row("inner CR LF waits", false, "A\r\nB", false);
        row("hex 65 chars wait", true, QString(65, u'4'), false);
        row("hex 66 chars print", true, QString(66, u'4'), true);
        row("hex closing 0D 0A prints", true, "41 0D 0A ", true);
        row("hex 0A 0D waits", true, "41 0A 0D ", false);
    }
    void bufferBecomesDueAtThresholdOrClosingLineEnd()
    {
        const auto [hex, buffer] = fetch<bool, QString>("hex", "buffer");
        QTEST(hex ? hexDue(buffer) : textDue(buffer), "due");
    }

    void lineBodyShowsEachUnprintableCharacterAsOneQuestionMark_data()
    {
        DataTable<QString, QString> row("buffer", "body");
        row("inner CR LF, CR and LF are one break each", "A\r\nB\rC\nD", "A\nB\nC\nD");
        row("Hangul and decode errors", u"A한\uFFFD\uFFFD"_s, "A???");
        row("char outside the basic plane", u"A😀\r\n"_s, "A?");
    }
    void lineBodyShowsEachUnprintableCharacterAsOneQuestionMark()
    {
        QFETCH(QString, buffer);
        QTEST(buildLine(buffer).body, "body");
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
        QTEST(asc(), "ascii");
        QTEST(hex(), "hex");
        QTEST(terminal()->toPlainText(), "terminal");
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
        auto *cboDelay = control<QComboBox>(*m_w, "cboDelay");
        QVERIFY(cboDelay->currentText() == u"0"_s && !cboDelay->isEnabled());
        deviceSends("AB");
        QCOMPARE(terminal()->toPlainText(), u"AB"_s);
        QCOMPARE(asc(), kRecv + "123456");
        selectTab(1);
        QVERIFY(cboDelay->currentText() == u"0"_s && cboDelay->isEnabled());
        QCOMPARE(terminal()->toPlainText(), u"AB"_s);
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
        const QString guard =
            QStringLiteral("Warning|%1|인디케이터 모니터링 기능이 켜져 있을때는 Recv Delay 값이 "
                           "0.04초 이하로 제한됩니다.")
                .arg(appTitle());
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
        const QList<QWidget *> views{view("rtfPrintAsc"), view("rtfPrintHex"), terminal()};
        for (QWidget *target : views + QList<QWidget *>{box}) {
            box->selectAll();
            QTest::keyClick(target, Qt::Key_X, modifiers);
            const QList<bool> empty{view("rtfPrintAsc")->document()->isEmpty(),
                                    view("rtfPrintHex")->document()->isEmpty(),
                                    terminal()->document()->isEmpty()};
            QCOMPARE(empty, QList<bool>(3, cleared));
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
        QTRY_COMPARE(control<QLabel>(*m_w, "lblIndi")->text(), u"12.345"_s);
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
        mouse(QEvent::MouseMove, 22);
        QCOMPARE(tipText->text(), u"ABC\r\n"_s);

        QCOMPARE(tipDelay->interval(), 3000);
        tipDelay->setInterval(60000);
        mouse(QEvent::MouseButtonRelease, 22);
        QVERIFY(tip->isVisible());
        mouse(QEvent::MouseButtonPress, 2);
        QVERIFY(tip->isVisible());
        mouse(QEvent::MouseButtonRelease, 2);
        QVERIFY(!tip->isVisible() && !m_w->views()->bTipArmed);

        tipDelay->setInterval(100);
        drag(13, 18);
        mouse(QEvent::MouseButtonRelease, 18);
        QVERIFY(tip->isVisible() && tipDelay->isActive());
        QTRY_VERIFY(!tip->isVisible());
        QVERIFY(!tipDelay->isActive());
    }

    // Lines written faster than the eye follows: the view's text holds each line at once, its
    // repaints are capped at one per interval, and once the lines stop the view is painted with
    // the last of them and takes repaints again.
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

private:
    QTextEdit *view(const char *name) const { return control<QTextEdit>(*m_w, name); }
    QPlainTextEdit *terminal() const { return control<QPlainTextEdit>(*m_w, "rtfHyperView"); }
    QString asc() const { return colouredText(view("rtfPrintAsc")->document()); }
    QString hex() const { return colouredText(view("rtfPrintHex")->document()); }
    void selectTab(int tab) { control<QTabBar>(*m_w, "tabPrintSelect")->setCurrentIndex(tab - 1); }
    // The device sends, and the window reads it and puts its lines in the views.
    void deviceSends(const QByteArray &bytes)
    {
        const auto shown = [this] { return asc() + hex() + terminal()->toPlainText(); };
        const QString before = shown();
        m_link->deviceSends(bytes);
        QTRY_VERIFY(shown() != before && !m_w->views()->linesPending());
    }
    QPoint charPos(int position) const
    {
        QTextCursor cursor(view("rtfPrintHex")->document());
        cursor.setPosition(position);
        const QRect r = view("rtfPrintHex")->cursorRect(cursor);
        return QPoint(r.left() + 1, r.center().y());
    }
    // A left-button press, move with the button down, or release over a character of the hex view.
    void mouse(QEvent::Type type, int position) const
    {
        QWidget *viewport = view("rtfPrintHex")->viewport();
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, charPos(position), viewport->mapToGlobal(charPos(position)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    void drag(int from, int to) const
    {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, (from + to) / 2);
        mouse(QEvent::MouseMove, to);
    }

    std::unique_ptr<frmMain> m_w;
    std::unique_ptr<FakeLink> m_link;
};

KIVO_TEST_MAIN(tst_Traffic)
#include "tst_Traffic.moc"
