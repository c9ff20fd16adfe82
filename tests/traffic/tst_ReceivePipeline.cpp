#include "FakeLink.h"
#include "KivoTest.h"
#include "ViewText.h"

#include "app/MessageBox.h"
#include "app/frmMain.h"
#include "link/PortPanel.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>

#include <memory>

using kivotest::colouredText;
using kivotest::FakeLink;

namespace {
const QString kRecv = QStringLiteral("{0000ff}RECV : {000000}");
const QString kMark = QStringLiteral("{c0c0c0}");
} // namespace

class tst_ReceivePipeline : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void receivedBytesMakeTheLinesOfTheSelectedViews_data();
    void receivedBytesMakeTheLinesOfTheSelectedViews();
    void recvDelayGathersABurstIntoOneLine();
    void tcpWithoutMonitoringKeepsAPartialLineForLater();
    void tcpWhileMonitoringStepsEachByteAndRearmsTheWatchdog();
    void serialWhileMonitoringStepsTheWholeChunk();
    void recvDelayGuardRefusesLongDelaysWhileMonitoring_data();
    void recvDelayGuardRefusesLongDelaysWhileMonitoring();
    void terminalTabForcesZeroDelayAndOtherTabsKeepIt();
    void ctrlXClearsAllViewsButNotCtrlShiftX_data();
    void ctrlXClearsAllViewsButNotCtrlShiftX();
    void fullViewDropsItsFirst8999Characters();

private:
    kivo::TrafficViews &views() { return *m_window->views(); }
    QComboBox *cboDelay() { return m_window->portPanel()->cboDelay; }
    kivo::ReceivePipeline &pipeline() { return *m_window->receivePipeline(); }
    void selectDelay(const QString &text) { cboDelay()->setCurrentIndex(cboDelay()->findText(text)); }
    void selectTab(int tab) { views().tabPrintSelect->setCurrentIndex(tab - 1); }
    // Bytes arrive on a link, and the event loop gets its turn, which puts the lines in the views.
    void arrive(FakeLink &link, const QByteArray &bytes)
    {
        link.arrive(bytes);
        settle();
    }
    void settle() { QTRY_VERIFY(!views().linesPending()); }

    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<FakeLink> m_serial;
    std::unique_ptr<FakeLink> m_tcp;
    std::unique_ptr<QTimer> m_watchdog;
    QList<kivo::MessageRecord> m_messages;
};

void tst_ReceivePipeline::init()
{
    kivotest::resetStores();
    m_messages.clear();
    kivo::setMessageRecorder([this](const kivo::MessageRecord &r) { m_messages.append(r); });
    m_window = std::make_unique<frmMain>();
    m_window->setEndProgram([] {});
    m_serial = std::make_unique<FakeLink>();
    m_tcp = std::make_unique<FakeLink>();
    m_watchdog = std::make_unique<QTimer>();
    m_watchdog->setInterval(3000);
    pipeline().setSerialLink(m_serial.get());
    pipeline().setTcpLink(m_tcp.get());
    pipeline().setTcpWatchdog(m_watchdog.get());
    selectDelay(QStringLiteral("0"));
}

void tst_ReceivePipeline::cleanup()
{
    m_window.reset();
    kivo::setMessageRecorder({});
}

void tst_ReceivePipeline::receivedBytesMakeTheLinesOfTheSelectedViews_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QString>("ascii");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("terminal");
    using L = QList<QByteArray>;
    QTest::newRow("Both, AB CR LF") << 3 << L{"AB\r\n"} << kRecv + "AB" + kMark + "[CRLF]"
                                    << kRecv + "41 42 0D 0A " << QString();
    QTest::newRow("CR LF alone") << 3 << L{"\r\n"} << QStringLiteral("{0000ff}RECV : ") + kMark + "[CRLF]"
                                 << kRecv + "0D 0A " << QString();
    QTest::newRow("A B CR") << 1 << L{"AB\r"} << kRecv + "AB" + kMark + "[CR]" << QString() << QString();
    QTest::newRow("A B LF CR breaks after AB")
        << 1 << L{"AB\n\r"} << kRecv + "AB\n" + kMark + "[CR]" << QString() << QString();
    QTest::newRow("TAB NUL 128 as ?")
        << 1 << L{QByteArray("\t\0\x80", 3)} << kRecv + "???" << QString() << QString();
    QTest::newRow("TAB NUL reach the terminal view")
        << 4 << L{QByteArray("\tA\0", 3)} << QString() << QString() << QString::fromLatin1("\tA\0", 3);
    QTest::newRow("30 bytes at once are one line")
        << 1 << L{QByteArray(30, 'x')} << kRecv + QString(30, u'x') << QString() << QString();
    QTest::newRow("Hexa fills only the hex view")
        << 2 << L{"AB"} << QString() << kRecv + "41 42 " << QString();
    QTest::newRow("first line has no leading break, later ones do")
        << 1 << L{"AB", "CD\r\n"} << kRecv + "AB\n" + kRecv + "CD" + kMark + "[CRLF]" << QString()
        << QString();
}

void tst_ReceivePipeline::receivedBytesMakeTheLinesOfTheSelectedViews()
{
    QFETCH(int, tab);
    QFETCH(QList<QByteArray>, reads);
    selectTab(tab);
    for (const QByteArray &bytes : reads)
        arrive(*m_serial, bytes);
    QTEST(colouredText(views().rtfPrintAsc), "ascii");
    QTEST(colouredText(views().rtfPrintHex), "hex");
    QTEST(views().rtfHyperView->toPlainText(), "terminal");
    QVERIFY(m_window->serialBuffers().strAscBuf.isEmpty());
}

void tst_ReceivePipeline::recvDelayGathersABurstIntoOneLine()
{
    selectTab(1);
    selectDelay(QStringLiteral("0.1"));
    m_serial->arrive("A");
    m_serial->arrive("B");
    QVERIFY(pipeline().isGathering());
    QCOMPARE(m_serial->reads, 0);
    QTest::qWait(20);
    m_serial->arrive("C");
    QTRY_VERIFY(!pipeline().isGathering());
    settle();
    QCOMPARE(colouredText(views().rtfPrintAsc), kRecv + "ABC");
    QCOMPARE(m_serial->reads, 1);
}

void tst_ReceivePipeline::tcpWithoutMonitoringKeepsAPartialLineForLater()
{
    selectTab(3);
    m_watchdog->start();
    arrive(*m_tcp, "ABCDE");
    QVERIFY(views().rtfPrintAsc->document()->isEmpty());
    QCOMPARE(m_window->tcpBuffers().strAscBuf, QStringLiteral("ABCDE"));
    QVERIFY(!m_watchdog->isActive());
    arrive(*m_tcp, "\r\n");
    QCOMPARE(colouredText(views().rtfPrintAsc), kRecv + "ABCDE" + kMark + "[CRLF]");
    QCOMPARE(colouredText(views().rtfPrintHex), kRecv + "41 42 43 44 45 0D 0A ");
    QVERIFY(m_window->serialBuffers().strAscBuf.isEmpty());
}

void tst_ReceivePipeline::tcpWhileMonitoringStepsEachByteAndRearmsTheWatchdog()
{
    selectTab(1);
    QList<QByteArray> pieces;
    QStringList shown;
    pipeline().setMonitorHook({[&](kivo::RxBuffers &b, const QByteArray &piece) {
                                   QVERIFY(&b == &m_window->tcpBuffers());
                                   pieces.append(piece);
                                   b.strWeight = QStringLiteral(" 12.5 ");
                               },
                               [&](const QString &w) { shown.append(w); }});
    m_window->data().bMonitor = true;
    arrive(*m_tcp, "ABC");
    QCOMPARE(pieces, (QList<QByteArray>{"A", "B", "C"}));
    QCOMPARE(shown, QStringList(3, QStringLiteral("12.5")));
    // The first byte's flush prints what the arrival left in the buffer.
    QCOMPARE(colouredText(views().rtfPrintAsc), kRecv + "ABC");
    QVERIFY(m_watchdog->isActive());

    m_window->data().bMonitor = false;
    arrive(*m_tcp, "D");
    QVERIFY(!m_watchdog->isActive());
    QCOMPARE(pieces.size(), 3);
}

void tst_ReceivePipeline::serialWhileMonitoringStepsTheWholeChunk()
{
    QList<QByteArray> pieces;
    pipeline().setMonitorHook({[&](kivo::RxBuffers &b, const QByteArray &piece) {
                                   QVERIFY(&b == &m_window->serialBuffers());
                                   pieces.append(piece);
                               },
                               {}});
    arrive(*m_serial, "ST,GS");
    QVERIFY(pieces.isEmpty());
    m_window->data().bMonitor = true;
    arrive(*m_serial, "ST,GS,+001.50kg\r\n");
    QCOMPARE(pieces, QList<QByteArray>{"ST,GS,+001.50kg\r\n"});
}

void tst_ReceivePipeline::recvDelayGuardRefusesLongDelaysWhileMonitoring_data()
{
    QTest::addColumn<bool>("monitoring");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("kept");
    QTest::newRow("0.05 while monitoring") << true << QStringLiteral("0.05") << QStringLiteral("0.03");
    QTest::newRow("0.2 while monitoring") << true << QStringLiteral("0.2") << QStringLiteral("0.03");
    QTest::newRow("0.04 while monitoring") << true << QStringLiteral("0.04") << QStringLiteral("0.04");
    QTest::newRow("0.2 without monitoring") << false << QStringLiteral("0.2") << QStringLiteral("0.2");
}

void tst_ReceivePipeline::recvDelayGuardRefusesLongDelaysWhileMonitoring()
{
    QFETCH(bool, monitoring);
    QFETCH(QString, choice);
    QFETCH(QString, kept);
    m_window->data().bMonitor = monitoring;
    m_serial->waiting = "waiting";
    selectDelay(choice);
    QCOMPARE(cboDelay()->currentText(), kept);
    const bool refused = kept != choice;
    QCOMPARE(m_messages.size(), refused ? 1 : 0);
    QCOMPARE(m_serial->waiting.isEmpty(), refused);
    if (refused) {
        QCOMPARE(m_messages[0].text,
                 QStringLiteral(
                     "인디케이터 모니터링 기능이 켜져 있을때는 Recv Delay 값이 0.04초 이하로 제한됩니다."));
        QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
        QCOMPARE(m_messages[0].title, kivo::appTitle());
    }
}

void tst_ReceivePipeline::terminalTabForcesZeroDelayAndOtherTabsKeepIt()
{
    selectDelay(QStringLiteral("0.1"));
    selectTab(4);
    QCOMPARE(cboDelay()->currentText(), QStringLiteral("0"));
    QVERIFY(!cboDelay()->isEnabled());
    arrive(*m_serial, "AB");
    QCOMPARE(views().rtfHyperView->toPlainText(), QStringLiteral("AB"));
    QVERIFY(!views().rtfPrintAsc->isVisible() || views().rtfPrintAsc->document()->isEmpty());
    selectTab(1);
    QCOMPARE(cboDelay()->currentText(), QStringLiteral("0"));
    QVERIFY(cboDelay()->isEnabled());
    QCOMPARE(views().rtfHyperView->toPlainText(), QStringLiteral("AB"));
}

void tst_ReceivePipeline::ctrlXClearsAllViewsButNotCtrlShiftX_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("Ctrl+X") << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl+Shift+X") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl+Alt+X") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << false;
}

void tst_ReceivePipeline::ctrlXClearsAllViewsButNotCtrlShiftX()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, cleared);
    selectTab(3);
    arrive(*m_serial, "AB\r\n");
    arrive(*m_serial, "CD");
    m_window->tcpBuffers().strAscBuf = QStringLiteral("kept");
    views().rtfHyperView->setPlainText(QStringLiteral("old"));
    for (QWidget *view :
         {static_cast<QWidget *>(views().rtfPrintAsc), static_cast<QWidget *>(views().rtfPrintHex),
          static_cast<QWidget *>(views().rtfHyperView)}) {
        QTest::keyClick(view, Qt::Key_X, modifiers);
        QCOMPARE(views().rtfPrintAsc->document()->isEmpty(), cleared);
        QCOMPARE(views().rtfPrintHex->document()->isEmpty(), cleared);
        QCOMPARE(views().rtfHyperView->document()->isEmpty(), cleared);
        if (!cleared)
            continue;
        arrive(*m_serial, "E");
        QCOMPARE(colouredText(views().rtfPrintAsc), kRecv + "E");
        views().rtfHyperView->setPlainText(QStringLiteral("old"));
    }
    QCOMPARE(m_window->tcpBuffers().strAscBuf, QStringLiteral("kept"));
}

void tst_ReceivePipeline::fullViewDropsItsFirst8999Characters()
{
    selectTab(1);
    views().rtfPrintAsc->setPlainText(QString(8999, u'x') + QString(1002, u'k'));
    arrive(*m_serial, "AB\r\n");
    QCOMPARE(colouredText(views().rtfPrintAsc),
             "{}" + QString(1002, u'k') + "\n" + kRecv + "AB" + kMark + "[CRLF]");
}

KIVO_TEST_MAIN(tst_ReceivePipeline)
#include "tst_ReceivePipeline.moc"
