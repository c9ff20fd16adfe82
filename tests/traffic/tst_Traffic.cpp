#include "../link/PtyPair.h"
#include "KivoTest.h"

#include "core/MessageBox.h"
#include "app/frmMain.h"
#include "link/PortPanel.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "send/SendPanel.h"
#include "traffic/LineFormat.h"
#include "traffic/RepaintGate.h"
#include "traffic/TrafficViews.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBlock>
#include <QTextEdit>

#include <memory>

using namespace kivo;
using namespace lineformat;

namespace {
// A view's text with its colours written out: "{0000ff}RECV : {000000}AB{c0c0c0}[CRLF]"; text
// without a colour of its own follows "{}".
QString colouredText(const QTextDocument *document)
{
    QString out, last = QStringLiteral("none");
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

const QString kRecv = QStringLiteral("{0000ff}RECV : {000000}");
const QString kMark = QStringLiteral("{c0c0c0}");
const QString kGuard =
    QStringLiteral("인디케이터 모니터링 기능이 켜져 있을때는 Recv Delay 값이 0.04초 이하로 제한됩니다.");
} // namespace

// Line building, and the traffic views of the main window fed through its own links: a
// pseudo-terminal plays the serial device, a loopback server the TCP one.
class tst_Traffic : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        kivotest::resetStores();
        m_window = std::make_unique<frmMain>();
        m_window->setEndProgram([] {});
        m_window->show();
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_window->serialLink().open(m_pty->slavePath(), QStringLiteral("9600,N,8,1")));
        selectDelay(QStringLiteral("0"));
    }
    void cleanup()
    {
        m_window.reset();
        m_pty.reset();
        m_messages.clear();
        setMessageRecorder({});
    }

    void bufferBecomesDueAtThresholdOrClosingLineEnd_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<bool>("due");
        QTest::newRow("21 chars wait") << false << QString(21, u'A') << false;
        QTest::newRow("22 chars print") << false << QString(22, u'A') << true;
        QTest::newRow("closing CR LF prints") << false << QStringLiteral("AB\r\n") << true;
        QTest::newRow("LF CR waits") << false << QStringLiteral("AB\n\r") << false;
        QTest::newRow("inner CR LF waits") << false << QStringLiteral("A\r\nB") << false;
        QTest::newRow("hex 65 chars wait") << true << QString(65, u'4') << false;
        QTest::newRow("hex 66 chars print") << true << QString(66, u'4') << true;
        QTest::newRow("hex closing 0D 0A prints") << true << QStringLiteral("41 0D 0A ") << true;
        QTest::newRow("hex 0A 0D waits") << true << QStringLiteral("41 0A 0D ") << false;
    }
    void bufferBecomesDueAtThresholdOrClosingLineEnd()
    {
        QFETCH(bool, hex);
        QFETCH(QString, buffer);
        QTEST(hex ? hexDue(buffer) : textDue(buffer), "due");
    }

    void lineBodyShowsEachUnprintableCharacterAsOneQuestionMark_data()
    {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("body");
        QTest::newRow("inner CR LF, CR and LF are one break each")
            << QStringLiteral("A\r\nB\rC\nD") << QStringLiteral("A\nB\nC\nD");
        QTest::newRow("Hangul and decode errors")
            << QStringLiteral("A한\uFFFD\uFFFD") << QStringLiteral("A???");
        QTest::newRow("char outside the basic plane") << QStringLiteral("A😀\r\n") << QStringLiteral("A?");
    }
    void lineBodyShowsEachUnprintableCharacterAsOneQuestionMark()
    {
        QFETCH(QString, buffer);
        QTEST(buildLine(buffer).body, "body");
    }

    void receivedBytesMakeTheLinesOfTheSelectedViews_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QString>("ascii");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("terminal");
        const auto row = [](const char *tag, int tab, const QList<QByteArray> &reads, const QString &ascii,
                            const QString &hex = {}, const QString &terminal = {}) {
            QTest::newRow(tag) << tab << reads << ascii << hex << terminal;
        };
        row("Both, AB CR LF", 3, {"AB\r\n"}, kRecv + "AB" + kMark + "[CRLF]", kRecv + "41 42 0D 0A ");
        row("CR LF alone", 3, {"\r\n"}, "{0000ff}RECV : " + kMark + "[CRLF]", kRecv + "0D 0A ");
        row("A B CR", 1, {"AB\r"}, kRecv + "AB" + kMark + "[CR]");
        row("A B LF CR breaks after AB", 1, {"AB\n\r"}, kRecv + "AB\n" + kMark + "[CR]");
        row("TAB NUL 128 as ?", 1, {QByteArray("\t\0\x80", 3)}, kRecv + "???");
        row("30 bytes at once are one line", 1, {QByteArray(30, 'x')}, kRecv + QString(30, u'x'));
        row("Hexa fills only the hex view", 2, {"AB"}, {}, kRecv + "41 42 ");
        row("first line has no leading break, later ones do", 1, {"AB", "CD\r\n"},
            kRecv + "AB\n" + kRecv + "CD" + kMark + "[CRLF]");
        row("terminal keeps TAB NUL", 4, {QByteArray("\tA\0", 3)}, {}, {}, QString::fromLatin1("\tA\0", 3));
        row("terminal: CR LF split over reads is one break", 4, {"A\r", "\nB\r\r\n"}, {}, {}, "A\nB\n\n");
    }
    void receivedBytesMakeTheLinesOfTheSelectedViews()
    {
        QFETCH(int, tab);
        QFETCH(QList<QByteArray>, reads);
        selectTab(tab);
        for (const QByteArray &bytes : reads)
            deviceSends(bytes);
        QTEST(asc(), "ascii");
        QTEST(hex(), "hex");
        QTEST(views().rtfHyperView->toPlainText(), "terminal");
        QVERIFY(m_window->serialBuffers().strAscBuf.isEmpty());
    }

    void recvDelayGathersABurstAndTheTerminalTabForcesItToZero()
    {
        selectTab(1);
        selectDelay(QStringLiteral("0.2"));
        for (const char *piece : {"12", "34", "56"}) {
            m_pty->deviceSends(piece);
            QTest::qWait(30);
        }
        QTRY_COMPARE(asc(), kRecv + "123456");
        selectTab(4);
        QCOMPARE(cboDelay()->currentText(), QStringLiteral("0"));
        QVERIFY(!cboDelay()->isEnabled());
        deviceSends("AB");
        QCOMPARE(views().rtfHyperView->toPlainText(), QStringLiteral("AB"));
        QCOMPARE(asc(), kRecv + "123456");
        selectTab(1);
        QCOMPARE(cboDelay()->currentText(), QStringLiteral("0"));
        QVERIFY(cboDelay()->isEnabled());
        QCOMPARE(views().rtfHyperView->toPlainText(), QStringLiteral("AB"));
    }

    void recvDelayGuardRefusesLongDelaysWhileMonitoring_data()
    {
        QTest::addColumn<bool>("monitoring");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("kept");
        QTest::newRow("0.05 while monitoring") << true << QStringLiteral("0.05") << QStringLiteral("0.03");
        QTest::newRow("0.04 while monitoring") << true << QStringLiteral("0.04") << QStringLiteral("0.04");
        QTest::newRow("0.2 without monitoring") << false << QStringLiteral("0.2") << QStringLiteral("0.2");
    }
    void recvDelayGuardRefusesLongDelaysWhileMonitoring()
    {
        QFETCH(bool, monitoring);
        QFETCH(QString, choice);
        QFETCH(QString, kept);
        setMessageRecorder([this](const MessageRecord &r) { m_messages.append(r); });
        m_window->data().bMonitor = monitoring;
        m_window->serialLink().blockSignals(true); // the input waits in the port, unread
        m_pty->deviceSends("waiting");
        QTRY_COMPARE(m_window->serialLink().bytesAvailable(), 7);
        selectDelay(choice);
        QCOMPARE(cboDelay()->currentText(), kept);
        const bool refused = kept != choice;
        QCOMPARE(m_window->serialLink().bytesAvailable(), refused ? 0 : 7);
        QCOMPARE(m_messages.size(), refused ? 1 : 0);
        QCOMPARE(m_messages.value(0).text, refused ? kGuard : QString());
        QCOMPARE(m_messages.value(0).icon, refused ? QMessageBox::Warning : QMessageBox::NoIcon);
        QCOMPARE(m_messages.value(0).title, refused ? appTitle() : QString());
    }

    void ctrlXClearsAllViewsButNotCtrlShiftX_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("Ctrl+X") << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Shift+X") << (Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Alt+X") << (Qt::ControlModifier | Qt::AltModifier) << false;
    }
    void ctrlXClearsAllViewsButNotCtrlShiftX()
    {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, cleared);
        selectTab(3);
        deviceSends("AB\r\n");
        deviceSends("CD");
        m_window->tcpBuffers().strAscBuf = QStringLiteral("kept");
        views().rtfHyperView->setPlainText(QStringLiteral("old"));
        // From the send box too, whose own cut must not run.
        m_window->SetSendEnabled(true);
        QLineEdit *box = m_window->sendPanel()->txtSend;
        box->setText(QStringLiteral("keep me"));
        for (QWidget *view :
             QList<QWidget *>{views().rtfPrintAsc, views().rtfPrintHex, views().rtfHyperView, box}) {
            box->selectAll();
            QTest::keyClick(view, Qt::Key_X, modifiers);
            QCOMPARE(views().rtfPrintAsc->document()->isEmpty(), cleared);
            QCOMPARE(views().rtfPrintHex->document()->isEmpty(), cleared);
            QCOMPARE(views().rtfHyperView->document()->isEmpty(), cleared);
            if (!cleared)
                continue;
            deviceSends("E");
            QCOMPARE(asc(), kRecv + "E");
            views().rtfHyperView->setPlainText(QStringLiteral("old"));
        }
        QCOMPARE(m_window->tcpBuffers().strAscBuf, QStringLiteral("kept"));
        if (cleared)
            QCOMPARE(box->text(), QStringLiteral("keep me"));
    }

    void viewPastTenThousandKeepsFromThe9000th_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("line");
        const QString recv = "\n" + kRecv + "AB" + kMark + "[CRLF]";
        QTest::newRow("ASCII at 10000 keeps all") << 1 << 10000 << recv;
        QTest::newRow("ASCII at 10001") << 1 << 10001 << recv;
        QTest::newRow("terminal at 10001") << 4 << 10001 << QStringLiteral("AB\n");
    }
    void viewPastTenThousandKeepsFromThe9000th()
    {
        QFETCH(int, tab);
        QFETCH(int, length);
        QFETCH(QString, line);
        const QString old = QString(8999, u'x') + QString(length - 8999, u'k');
        QTextDocument *view = (tab == 4 ? views().rtfHyperView->document() : views().rtfPrintAsc->document());
        selectTab(tab);
        view->setPlainText(old);
        deviceSends("AB\r\n");
        QCOMPARE(colouredText(view), "{}" + (length > 10000 ? old.mid(8999) : old) + line);
    }

    void tcpKeepsAPartialLineUntilMonitoringFlushesIt()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QTimer *watchdog = m_window->findChild<QTimer *>(QStringLiteral("tmrSocketCheck"));
        selectTab(1);
        m_window->tcpLink().connectTo(QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *device = server.nextPendingConnection();
        QTRY_COMPARE(m_window->tcpLink().state(), int(TcpLink::Connected));
        watchdog->start();
        device->write("ABCDE");
        QTRY_COMPARE(m_window->tcpBuffers().strAscBuf, QStringLiteral("ABCDE"));
        QVERIFY(views().rtfPrintAsc->document()->isEmpty());
        QVERIFY(!watchdog->isActive());

        m_window->data().bMonitor = true;
        device->write("ST,GS,+00");
        QTRY_COMPARE(asc(), kRecv + "ABCDEST,GS,+00");
        QVERIFY(watchdog->isActive());
        device->write("  12.345kg \r\n");
        QTRY_COMPARE(m_window->findChild<QLabel *>(QStringLiteral("lblIndi"))->text(),
                     QStringLiteral("12.345"));
        QCOMPARE(asc(), kRecv + "ABCDEST,GS,+00\n" + kRecv + "  12.345kg " + kMark + "[CRLF]");
        QVERIFY(m_window->serialBuffers().strAscBuf.isEmpty());
    }

    // "SEND : 41 42 43 0D 0A " in the hex view: the hex text starts at position 7.
    void hexTipShowsTheDraggedBytesBelowThePointerAndHidesAfterRelease()
    {
        selectTab(2);
        views().PrintSend(views().rtfPrintHex, QStringLiteral("41 42 43 0D 0A "));
        drag(7, 15);
        QCOMPARE(views().rtfPrintHex->textCursor().selectedText(), QStringLiteral("41 42 43"));
        QCOMPARE(views().lblHextoAscii->text(), QStringLiteral("ABC"));
        QVERIFY(views().picHextoAscii->isVisible());
        QWidget *tipParent = views().picHextoAscii->parentWidget();
        QVERIFY(views().picHextoAscii->y() >
                views().rtfPrintHex->viewport()->mapTo(tipParent, charPos(15)).y());
        mouse(QEvent::MouseMove, 22);
        QCOMPARE(views().lblHextoAscii->text(), QStringLiteral("ABC\r\n"));

        QCOMPARE(views().tmrHexTipDelay->interval(), 3000);
        views().tmrHexTipDelay->setInterval(60000);
        mouse(QEvent::MouseButtonRelease, 22);
        QVERIFY(views().picHextoAscii->isVisible());
        mouse(QEvent::MouseButtonPress, 2);
        QVERIFY(views().picHextoAscii->isVisible());
        mouse(QEvent::MouseButtonRelease, 2);
        QVERIFY(!views().picHextoAscii->isVisible());
        QVERIFY(!views().bTipArmed);

        views().tmrHexTipDelay->setInterval(100);
        drag(13, 18);
        mouse(QEvent::MouseButtonRelease, 18);
        QVERIFY(views().picHextoAscii->isVisible());
        QVERIFY(views().tmrHexTipDelay->isActive());
        QTRY_VERIFY(!views().picHextoAscii->isVisible());
        QVERIFY(!views().tmrHexTipDelay->isActive());
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
        QTextEdit *view = views().rtfPrintAsc;
        view->viewport()->installEventFilter(&counter);
        QTRY_VERIFY(view->updatesEnabled());

        QElapsedTimer clock;
        clock.start();
        int lines = 0;
        int paintsAtLastLine = 0;
        while (clock.elapsed() < 400 || lines < 60) {
            const QString text = QStringLiteral("line %1").arg(++lines);
            views().PrintSend(view, text);
            QVERIFY(view->toPlainText().endsWith(QStringLiteral("SEND : ") + text));
            paintsAtLastLine = counter.paints;
            QTest::qWait(2);
        }
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(counter.paints <= elapsed / RepaintGate::kInterval.count() + 3,
                 qPrintable(QStringLiteral("%1 paints for %2 lines in %3 ms")
                                .arg(counter.paints)
                                .arg(lines)
                                .arg(elapsed)));
        QTRY_VERIFY(counter.paints > paintsAtLastLine);
        QTRY_VERIFY(view->updatesEnabled());
        const int settled = counter.paints;
        view->viewport()->update();
        QTRY_COMPARE(counter.paints, settled + 1);
    }

private:
    TrafficViews &views() { return *m_window->views(); }
    QString asc() { return colouredText(views().rtfPrintAsc->document()); }
    QString hex() { return colouredText(views().rtfPrintHex->document()); }
    QComboBox *cboDelay() { return m_window->portPanel()->cboDelay; }
    void selectDelay(const QString &text) { cboDelay()->setCurrentIndex(cboDelay()->findText(text)); }
    void selectTab(int tab) { views().tabPrintSelect->setCurrentIndex(tab - 1); }
    // The device sends, and the window reads it and puts its lines in the views.
    void deviceSends(const QByteArray &bytes)
    {
        const auto shown = [this] { return asc() + hex() + views().rtfHyperView->toPlainText(); };
        const QString before = shown();
        m_pty->deviceSends(bytes);
        QTRY_VERIFY(shown() != before && !views().linesPending());
    }
    QPoint charPos(int position)
    {
        QTextCursor cursor(views().rtfPrintHex->document());
        cursor.setPosition(position);
        const QRect r = views().rtfPrintHex->cursorRect(cursor);
        return QPoint(r.left() + 1, r.center().y());
    }
    // A left-button press, move with the button down, or release over a character of the hex view.
    void mouse(QEvent::Type type, int position)
    {
        QWidget *viewport = views().rtfPrintHex->viewport();
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, charPos(position), viewport->mapToGlobal(charPos(position)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    void drag(int from, int to)
    {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, (from + to) / 2);
        mouse(QEvent::MouseMove, to);
    }

    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<PtyPair> m_pty;
    QList<MessageRecord> m_messages;
};

KIVO_TEST_MAIN(tst_Traffic)
#include "tst_Traffic.moc"
