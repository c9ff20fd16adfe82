#include "KivoTest.h"

#include "../link/PtyPair.h"

#include "app/frmMain.h"
#include "core/IniFile.h"
#include "core/MessageBox.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "link/SerialLink.h"
#include "send/AutoRepeat.h"
#include "send/RepeatPanel.h"
#include "send/SendPanel.h"
#include "send/Sender.h"
#include "send/frmEditList.h"
#include "traffic/RepaintGate.h"
#include "traffic/TrafficViews.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>
#include <stdexcept>

using namespace kivo;

class TestAutoRepeat : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        kivotest::resetStores();
        m_messages.clear();
        m_far.clear();
        setMessageRecorder([this](const MessageRecord &m) { m_messages << m; });
        m_pty = std::make_unique<PtyPair>();
        openWindow();
    }
    void cleanup()
    {
        m_w.reset();
        m_pty.reset();
        setMessageRecorder({});
    }

    void listRunSendsExactlyCountSendsInRowOrder_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("rows 1 and 2") << QList<int>{0, 1} << QByteArray("ABABABABAB");
        QTest::newRow("rows 2 and 7") << QList<int>{1, 6} << QByteArray("BGBGBGBGBG");
    }
    void listRunSendsExactlyCountSendsInRowOrder()
    {
        QFETCH(QList<int>, rows);
        for (int r : rows)
            setRow(r, QString(QChar(u'A' + r)));
        m_w->repeatPanel()->cboCount->setCurrentIndex(1); // "10"
        cmdStart()->click();
        QCOMPARE(cmdStart()->text(), QStringLiteral("Stop"));
        m_w->repeatPanel()->cboCount->setCurrentIndex(0); // read at start only
        QTRY_COMPARE_WITH_TIMEOUT(cmdStart()->text(), QStringLiteral("Start"), 5000);
        QTest::qWait(50);
        QTEST(far(), "expected");
        QVERIFY(m_messages.isEmpty());
    }

    void startRefusedWithoutTickedRowOrWithRecvDelay()
    {
        cmdStart()->click();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("반복할 리스트가 없습니다."));
        QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
        QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
        QCOMPARE(cmdStart()->text(), QStringLiteral("Start"));

        setRow(0, QStringLiteral("A"));
        m_w->portPanel()->cboDelay->setCurrentIndex(1);
        cmdStart()->click();
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages[1].text, QStringLiteral("Recv Delay 설정이 0일때만 사용 가능합니다."));
        QCOMPARE(m_messages[1].icon, QMessageBox::Warning);
        QCOMPARE(m_messages[1].title, QStringLiteral("Kivo"));
        QCOMPARE(cmdStart()->text(), QStringLiteral("Start"));

        // A run started with Recv Delay 0 is still stopped after Recv Delay changed.
        m_w->portPanel()->cboDelay->setCurrentIndex(0);
        cmdStart()->click();
        m_w->portPanel()->cboDelay->setCurrentIndex(1);
        cmdStart()->click();
        QCOMPARE(cmdStart()->text(), QStringLiteral("Start"));
        QCOMPARE(m_messages.size(), 2);
        QTest::qWait(50);
        QCOMPARE(far(), QByteArray());
    }

    void stopSendsNothingFurtherEvenDuringLongDelay()
    {
        setRow(0, QStringLiteral("A"));
        m_w->repeatPanel()->cboDelayTime->setCurrentIndex(18); // 1 s
        cmdStart()->click();
        QTRY_COMPARE(far(), QByteArray("A"));
        cmdStart()->click();
        QCOMPARE(cmdStart()->text(), QStringLiteral("Start"));
        QTest::qWait(1200);
        QCOMPARE(far(), QByteArray("A"));
    }

    // A 0.01 s run goes into the view in paced edits, not one per send; a send of the user's own shows
    // at once, after the run's lines before it, and Stop shows the rest: the view lists exactly the
    // bytes that went out, in their order.
    void fastRunIsLaidOutPacedAndShowsEverySendInOrder()
    {
        setRow(0, QStringLiteral("A"));
        QTextEdit *view = m_w->views()->rtfPrintAsc;
        int edits = 0;
        connect(view->document(), &QTextDocument::contentsChange, this, [&edits] { ++edits; });
        QElapsedTimer clock;
        clock.start();
        cmdStart()->click();
        QTest::qWait(200);
        m_w->dataSender()->SendData(QStringLiteral("Z"), storedValue(SendFormat::Ascii));
        QVERIFY(view->toPlainText().endsWith(QStringLiteral("\nSEND : Z")));
        QTest::qWait(200);
        cmdStart()->click();
        const qint64 elapsed = clock.elapsed();

        QByteArray shown;
        for (const QString &line : view->toPlainText().split(QLatin1Char('\n'))) {
            QVERIFY2(line.startsWith(QStringLiteral("SEND : ")), qPrintable(line));
            shown += line.mid(7).toLatin1();
        }
        QTest::qWait(50);
        QCOMPARE(shown, far());
        QVERIFY2(shown.count('A') > 10, shown.constData());
        QVERIFY2(
            edits <= elapsed / RepaintGate::kInterval.count() + 4,
            qPrintable(
                QStringLiteral("%1 edits for %2 sends in %3 ms").arg(edits).arg(shown.size()).arg(elapsed)));
    }

    void untickingEndsBoxRunAndSendReadsSend()
    {
        m_w->sendPanel()->txtSend->setText(QStringLiteral("  X "));
        cmdSend()->click();
        QCOMPARE(cmdSend()->text(), QStringLiteral("Stop"));
        QTRY_VERIFY(far().size() >= 3);
        QVERIFY(far().count('X') == far().size());
        m_w->repeatPanel()->chkAutoRepeat->setChecked(false);
        QCOMPARE(cmdSend()->text(), QStringLiteral("Send"));
        QVERIFY(!m_w->autoRepeat()->isRunning(RunKind::SendBox));
        expectNoFurtherSends();
    }

    void emptiedSendBoxKeepsTheRunGoing()
    {
        m_w->sendPanel()->txtSend->setText(QStringLiteral("X"));
        cmdSend()->click();
        QTRY_VERIFY(far().contains('X'));
        m_w->sendPanel()->txtSend->clear();
        QTest::qWait(30);
        QCOMPARE(cmdSend()->text(), QStringLiteral("Stop"));
        m_w->sendPanel()->txtSend->setText(QStringLiteral("Y"));
        QTRY_VERIFY(far().contains('Y'));
        cmdSend()->click();
        QCOMPARE(cmdSend()->text(), QStringLiteral("Start"));
        expectNoFurtherSends();
    }

    void asciiRowsAreFramedHexaRowsAreNot()
    {
        setRow(0, QStringLiteral("W"));
        setRow(1, QStringLiteral("41 42"), storedValue(SendFormat::Hexa));
        m_w->data().AutoCRLF = true;
        m_w->data().AutoSTX = true;
        m_w->repeatPanel()->cboCount->setCurrentIndex(1);
        cmdStart()->click();
        QTRY_COMPARE_WITH_TIMEOUT(cmdStart()->text(), QStringLiteral("Start"), 5000);
        QCOMPARE(far().left(7), QByteArray::fromHex("02570D0A034142"));
    }

    void bothRunsGoTogetherAndThroughAModalDialog()
    {
        setRow(0, QStringLiteral("L"));
        m_w->sendPanel()->txtSend->setText(QStringLiteral("T"));
        cmdStart()->click();
        cmdSend()->click();
        QDialog modal(m_w.get());
        qsizetype before = 0;
        qsizetype during = 0;
        QTimer::singleShot(0, &modal, [&] {
            before = far().size();
            QElapsedTimer t;
            t.start();
            while (far().size() <= before + 10 && t.elapsed() < 3000)
                QTest::qWait(10);
            during = far().size();
            modal.accept();
        });
        modal.exec();
        QVERIFY(during > before + 10);
        QVERIFY(far().contains('L') && far().contains('T'));
        cmdStart()->click();
        QTest::qWait(20);
        const qsizetype lAfterStop = far().count('L');
        QTRY_VERIFY(far().count('T') > 20);
        QCOMPARE(far().count('L'), lAfterStop);
        cmdSend()->click();
        expectNoFurtherSends();
    }

    void disconnectRefusedWhileEitherRunGoes()
    {
        setRow(0, QStringLiteral("A"));
        m_w->sendPanel()->txtSend->setText(QStringLiteral("T"));
        PortPanel *p = m_w->portPanel();
        for (QPushButton *run : {cmdStart(), cmdSend()}) {
            run->click();
            QCOMPARE(run->text(), QStringLiteral("Stop"));
            p->cmdDisconnect->click();
            QCOMPARE(m_messages.size(), 1);
            const MessageRecord refusal = m_messages.takeFirst();
            QCOMPARE(refusal.text,
                     QStringLiteral("연결을 해제 하시려면 먼저 자동 전송 기능을 중지하십시오."));
            QVERIFY(refusal.icon == QMessageBox::Warning && refusal.title == appTitle());
            QVERIFY(m_w->links()->serialLink().isOpen());
            run->click();
        }
        // Disconnected, and then on TCP/IP, the tick stays but the box and the group are off.
        p->cmdDisconnect->click();
        QVERIFY(!m_w->links()->serialLink().isOpen());
        p->optComm_0->click();
        QVERIFY(m_w->repeatPanel()->chkAutoRepeat->isChecked());
        QVERIFY(!m_w->repeatPanel()->chkAutoRepeat->isEnabled());
        QVERIFY(!cmdStart()->isEnabled());
    }

    void engineFailureKeepsStopUntilClicked()
    {
        setRow(0, QStringLiteral("A"));
        int calls = 0;
        m_w->autoRepeat()->setSendData([&](const QString &, int16_t) {
            ++calls;
            throw std::runtime_error("Out of memory");
        });
        cmdStart()->click();
        QTRY_COMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("Out of memory"));
        QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
        QCOMPARE(cmdStart()->text(), QStringLiteral("Stop"));
        QTest::qWait(50);
        QCOMPARE(calls, 1);
        cmdStart()->click();
        QCOMPARE(cmdStart()->text(), QStringLiteral("Start"));
        QTest::qWait(30);
        QCOMPARE(calls, 1);
    }

    void shutDownEndsEveryRun()
    {
        setRow(0, QStringLiteral("L"));
        m_w->sendPanel()->txtSend->setText(QStringLiteral("T"));
        cmdStart()->click();
        cmdSend()->click();
        QTRY_VERIFY(far().size() > 4);
        m_w->close();
        QCOMPARE(cmdStart()->text(), QStringLiteral("Start"));
        QCOMPARE(cmdSend()->text(), QStringLiteral("Start"));
        expectNoFurtherSends();
    }

    void editorAppliesToARunningRunAndCloseLosesEdits()
    {
        setRow(0, QStringLiteral("A"));
        m_w->repeatPanel()->cmdEditList->click();
        frmEditList *ed = m_w->autoRepeat()->editListWindow();
        QVERIFY(ed && ed->isVisible());
        QCOMPARE(ed->cmdMode[0]->text(), QStringLiteral("ASCII"));
        QCOMPARE(ed->cmdMode[0]->palette().color(QPalette::Button), QColor(192, 255, 255));
        QCOMPARE(ed->cmdMode[1]->palette().color(QPalette::Button), QColor(192, 192, 255));
        QVERIFY(!ed->txtString[1]->isEnabled());

        cmdStart()->click();
        QTRY_VERIFY(far().contains('A'));
        ed->txtString[0]->setText(QStringLiteral("C"));
        QTest::qWait(40);
        QVERIFY(!far().contains('C'));
        ed->cmdApply->click();
        QTRY_VERIFY(far().endsWith('C'));
        QCOMPARE(ReadIni(QStringLiteral("AutoString"), QStringLiteral("String1"), kivotest::listFilePath()),
                 QStringLiteral("C"));

        // Unticking every row ends the run at its next send.
        ed->chkList[0]->setChecked(false);
        ed->cmdApply->click();
        QTRY_COMPARE(cmdStart()->text(), QStringLiteral("Start"));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("반복할 리스트가 없습니다."));

        const QByteArray file = [] {
            QFile f(kivotest::listFilePath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        ed->txtString[2]->setText(QStringLiteral("lost"));
        ed->chkList[2]->setChecked(true);
        ed->cmdMode[2]->click();
        ed->cmdClose->click();
        QTRY_VERIFY(!m_w->autoRepeat()->editListWindow());
        QCOMPARE(m_w->data().RepeatList[2].Enabled, int16_t(0));
        QVERIFY(m_w->data().RepeatList[2].String.isEmpty());
        QFile f(kivotest::listFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), file);
    }

    void editorOpensOnceAndAModeClickKeepsTheText()
    {
        setRow(0, QStringLiteral("first"));
        setRow(1, QStringLiteral("second"));
        m_w->repeatPanel()->cmdEditList->click();
        frmEditList *ed = m_w->autoRepeat()->editListWindow();
        ed->txtString[0]->setText(QStringLiteral("typed"));
        m_w->repeatPanel()->cmdEditList->click();
        QCOMPARE(m_w->autoRepeat()->editListWindow(), ed);
        QCOMPARE(ed->txtString[0]->text(), QStringLiteral("typed"));

        ed->cmdMode[1]->click();
        QCOMPARE(ed->cmdMode[1]->text(), QStringLiteral("Hexa"));
        QCOMPARE(ed->txtString[1]->text(), QStringLiteral("second"));
    }

    void appliedListSurvivesARestart()
    {
        m_w->repeatPanel()->cmdEditList->click();
        frmEditList *ed = m_w->autoRepeat()->editListWindow();
        ed->chkList[4]->setChecked(true);
        ed->txtString[4]->setText(QStringLiteral(" 02 41 03 "));
        QCOMPARE(ed->cmdMode[4]->text(), QStringLiteral("Hexa")); // a row never stored reads as Hexa
        ed->chkCRLF->setChecked(true);
        ed->chkSTX->setChecked(true);
        ed->cmdApply->click();
        QCOMPARE(ReadIni(QStringLiteral("AutoString"), QStringLiteral("CRLF"), kivotest::listFilePath()),
                 QStringLiteral("True"));
        QCOMPARE(ReadIni(QStringLiteral("AutoString"), QStringLiteral("STX"), kivotest::listFilePath()),
                 QStringLiteral("-1"));

        m_w->close();
        m_w.reset();
        openWindow();
        const AutoItem &row = m_w->data().RepeatList[4];
        QCOMPARE(row.String, QStringLiteral(" 02 41 03 "));
        QCOMPARE(row.Mode, int16_t(storedValue(SendFormat::Hexa)));
        QCOMPARE(row.Enabled, int16_t(1));
        QVERIFY(m_w->data().AutoCRLF && m_w->data().AutoSTX);
        m_w->repeatPanel()->cboCount->setCurrentIndex(1);
        cmdStart()->click();
        QTRY_COMPARE_WITH_TIMEOUT(cmdStart()->text(), QStringLiteral("Start"), 5000);
        QCOMPARE(far(), QByteArray::fromHex("024103").repeated(10));
    }

private:
    void openWindow()
    {
        m_w = std::make_unique<frmMain>();
        m_w->setEndProgram([] {});
        m_w->show();
        PortPanel *p = m_w->portPanel();
        p->cboPort->setEditText(m_pty->slavePath());
        p->cmdConnect->click();
        QVERIFY(p->cmdDisconnect->isEnabled());
        m_w->repeatPanel()->chkAutoRepeat->setChecked(true);
        m_w->portPanel()->cboDelay->setCurrentIndex(0);       // Recv Delay "0"
        m_w->repeatPanel()->cboDelayTime->setCurrentIndex(0); // 0.01 s
    }

    void setRow(int row, const QString &text, int16_t mode = storedValue(SendFormat::Ascii))
    {
        m_w->data().RepeatList[size_t(row)] = AutoItem{text, mode, 1};
    }
    QByteArray far()
    {
        for (QByteArray chunk; !(chunk = m_pty->deviceReceived()).isEmpty();)
            m_far += chunk;
        return m_far;
    }
    // Bytes already handed to the port reach the far end; after that nothing more arrives.
    void expectNoFurtherSends()
    {
        QTest::qWait(20);
        const QByteArray sent = far();
        QTest::qWait(60);
        QCOMPARE(far(), sent);
    }
    QPushButton *cmdStart() const { return m_w->repeatPanel()->cmdStart; }
    QPushButton *cmdSend() const { return m_w->sendPanel()->cmdSend; }

    std::unique_ptr<frmMain> m_w;
    std::unique_ptr<PtyPair> m_pty;
    QByteArray m_far;
    QList<MessageRecord> m_messages;
};

KIVO_TEST_MAIN(TestAutoRepeat)
#include "tst_AutoRepeat.moc"
