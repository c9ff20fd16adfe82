#include "MainWindow.h"
#include "PtyPair.h"

#include "link/LinkController.h"
#include "link/SerialLink.h"
#include "send/AutoRepeat.h"
#include "send/SendEncoding.h"
#include "send/Sender.h"
#include "send/frmEditList.h"
#include "traffic/RepaintGate.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTextDocument>

#include <stdexcept>

using namespace kivo;
using namespace kivotest;

// The two runs in the real window, connected to a pseudo-terminal; what they send is taken from
// the send seam as the link accepted it, and once from the far end of the wire.
class tst_AutoRepeat : public QObject
{
    Q_OBJECT
private slots:
    // The window of the test before goes first: its port is on the pseudo-terminal replaced here.
    void init()
    {
        m_w.reset();
        resetStores();
        m_log.boxes.clear();
        m_pty = std::make_unique<PtyPair>();
        openWindow();
    }

    void listRunSendsExactlyCountSendsInRowOrder_data()
    {
        DataTable<QList<int>, QByteArray> row("rows", "expected");
        row("rows 1 and 2", {0, 1}, "ABABABABAB");
        row("rows 2 and 7", {1, 6}, "BGBGBGBGBG");
    }
    void listRunSendsExactlyCountSendsInRowOrder()
    {
        QFETCH(QList<int>, rows);
        for (int r : rows)
            setRow(r, QString(QChar(u'A' + r)));
        choose(*m_w, "cboCount", u"10"_s);
        cmdStart()->click();
        choose(*m_w, "cboCount", u"Endless"_s); // read at start only
        QTRY_VERIFY(!m_w->autoRepeat()->isRunning(RunKind::List));
        QCOMPARE(cmdStart()->text(), u"Start"_s);
        QTEST(m_sent, "expected");
        QVERIFY(m_log.boxes.isEmpty());
    }

    void startRefusedWithoutTickedRowOrWithRecvDelay()
    {
        cmdStart()->click();
        setRow(0, u"A"_s);
        choose(*m_w, "cboDelay", u"0.01"_s);
        cmdStart()->click();
        QCOMPARE(describe(m_log.boxes),
                 (QStringList{"Warning|Error|반복할 리스트가 없습니다.",
                              "Warning|" + appTitle() + "|Recv Delay 설정이 0일때만 사용 가능합니다."}));
        QCOMPARE(cmdStart()->text(), u"Start"_s);
        expectNoFurtherSends();
        QCOMPARE(m_sent, QByteArray());
    }

    // Stop ends a run at once: also in its long delay, and after Recv Delay changed under it.
    void stopSendsNothingFurtherEvenDuringLongDelay()
    {
        setRow(0, u"A"_s);
        choose(*m_w, "cboDelayTime", u"0.2"_s);
        cmdStart()->click();
        QTRY_COMPARE(m_sent, QByteArray("A"));
        choose(*m_w, "cboDelay", u"0.01"_s);
        cmdStart()->click();
        QCOMPARE(cmdStart()->text(), u"Start"_s);
        QVERIFY(m_log.boxes.isEmpty());
        expectNoFurtherSends(300); // past the next due send: it must not come
    }

    // A 0.01 s run goes into the view in paced edits, not one per send; a send of the user's own shows
    // at once, after the run's lines before it, and Stop shows the rest: the view lists exactly the
    // bytes that went out, in their order.
    void fastRunIsLaidOutPacedAndShowsEverySendInOrder()
    {
        setRow(0, u"A"_s);
        QTextEdit *view = control<QTextEdit>(*m_w, "rtfPrintAsc");
        QSignalSpy edits(view->document(), &QTextDocument::contentsChange);
        QElapsedTimer clock;
        clock.start();
        cmdStart()->click();
        QTRY_VERIFY(m_sent.count('A') > 10);
        m_w->dataSender()->SendData(u"Z"_s, storedValue(SendFormat::Ascii));
        QVERIFY(view->toPlainText().endsWith(u"\nSEND : Z"_s));
        const qsizetype before = m_sent.size();
        QTRY_VERIFY(m_sent.size() > before + 10);
        cmdStart()->click();
        const qint64 elapsed = clock.elapsed();

        const QString text = view->toPlainText();
        QVERIFY2(QRegularExpression(u"^SEND : [AZ]+(\nSEND : [AZ]+)*$"_s).match(text).hasMatch(),
                 qPrintable(text));
        QCOMPARE(QString(text).remove(u"SEND : "_s).remove(u'\n').toLatin1(), m_sent);
        QVERIFY2(edits.size() <= elapsed / RepaintGate::kInterval.count() + 4,
                 qPrintable(u"%1 edits in %2 ms"_s.arg(edits.size()).arg(elapsed)));
    }

    // Unticking ends the box run and the button reads Send again; an emptied box does not end a run.
    void untickingEndsBoxRunButEmptiedBoxKeepsItGoing()
    {
        auto *box = control<QLineEdit>(*m_w, "txtSend");
        auto *tick = control<QCheckBox>(*m_w, "chkAutoRepeat");
        box->setText(u"  X "_s);
        cmdSend()->click();
        QTRY_VERIFY(m_sent.size() >= 3);
        QCOMPARE(m_sent, QByteArray(m_sent.size(), 'X'));
        tick->setChecked(false);
        QCOMPARE(cmdSend()->text(), u"Send"_s);
        QVERIFY(!m_w->autoRepeat()->isRunning(RunKind::SendBox));
        expectNoFurtherSends();

        tick->setChecked(true);
        cmdSend()->click();
        box->clear();
        QTest::qWait(30); // several due sends with nothing to send must not end the run
        QVERIFY(m_w->autoRepeat()->isRunning(RunKind::SendBox));
        box->setText(u"Y"_s);
        QTRY_VERIFY(m_sent.contains('Y'));
        cmdSend()->click();
        QCOMPARE(cmdSend()->text(), u"Start"_s);
        expectNoFurtherSends();
    }

    void bothRunsGoTogetherThroughAModalDialogAndEndAtShutDown()
    {
        setRow(0, u"L"_s);
        control<QLineEdit>(*m_w, "txtSend")->setText(u"T"_s);
        cmdStart()->click();
        cmdSend()->click();
        QDialog modal(m_w.get());
        const qsizetype before = m_sent.size(); // nothing is sent before the dialog's loop runs
        QTimer::singleShot(0, &modal, [&] {
            // The outcome is checked after the dialog closes.
            static_cast<void>(QTest::qWaitFor([&] { return m_sent.size() > before + 10; }, 3000));
            modal.accept();
        });
        modal.exec();
        QVERIFY(m_sent.size() > before + 10);
        QVERIFY(m_sent.contains('L') && m_sent.contains('T'));
        cmdStart()->click();
        const QByteArray atStop = m_sent;
        QTRY_VERIFY(m_sent.count('T') > atStop.count('T') + 20);
        QCOMPARE(m_sent.count('L'), atStop.count('L'));
        cmdStart()->click();
        m_w->close();
        QCOMPARE(cmdStart()->text(), u"Start"_s);
        QCOMPARE(cmdSend()->text(), u"Start"_s);
        QVERIFY(!m_w->autoRepeat()->isRunning());
        expectNoFurtherSends();
    }

    // Neither Disconnect nor choosing TCP/IP may close the port under a run, nor leave TCP/IP chosen
    // with sending pointed at an unconnected socket.
    void disconnectRefusedWhileEitherRunGoes()
    {
        setRow(0, u"A"_s);
        control<QLineEdit>(*m_w, "txtSend")->setText(u"T"_s);
        const QString refusal =
            "Warning|" + appTitle() + "|연결을 해제 하시려면 먼저 자동 전송 기능을 중지하십시오.";
        for (QPushButton *run : {cmdStart(), cmdSend()}) {
            run->click();
            QCOMPARE(run->text(), u"Stop"_s);
            button(*m_w, "cmdDisconnect")->click();
            control<QRadioButton>(*m_w, "optComm_0")->click();
            QCOMPARE(describe(m_log.boxes), QStringList(2, refusal));
            m_log.boxes.clear();
            QVERIFY(control<QRadioButton>(*m_w, "optComm_1")->isChecked() && m_w->serialLink().isOpen());
            QVERIFY(!button(*m_w, "cmdConnect")->isEnabled());
            QCOMPARE(&m_w->links()->activeLink(), static_cast<Link *>(&m_w->serialLink()));
            QCOMPARE(run->text(), u"Stop"_s);
            run->click();
        }
        // Disconnected, and then on TCP/IP, the tick stays but the box and the group are off.
        button(*m_w, "cmdDisconnect")->click();
        QVERIFY(!m_w->links()->serialLink().isOpen());
        control<QRadioButton>(*m_w, "optComm_0")->click();
        auto *tick = control<QCheckBox>(*m_w, "chkAutoRepeat");
        QVERIFY(tick->isChecked() && !tick->isEnabled());
        QVERIFY(!cmdStart()->isEnabled());
    }

    void engineFailureKeepsStopUntilClicked()
    {
        setRow(0, u"A"_s);
        int calls = 0;
        m_w->autoRepeat()->setSendData([&](const QString &, int16_t) {
            ++calls;
            throw std::runtime_error("Out of memory");
        });
        cmdStart()->click();
        QTRY_COMPARE(m_log.boxes.size(), 1);
        QCOMPARE(describe(m_log.boxes[0]), u"Critical|Error|Out of memory"_s);
        QCOMPARE(cmdStart()->text(), u"Stop"_s);
        QTest::qWait(50); // the failed run must not send again while it still reads "Stop"
        QCOMPARE(calls, 1);
        cmdStart()->click();
        QCOMPARE(cmdStart()->text(), u"Start"_s);
        QVERIFY(!m_w->autoRepeat()->isRunning(RunKind::List));
        QCOMPARE(calls, 1);
    }

    void editorAppliesToARunningRunAndCloseLosesEdits()
    {
        setRow(0, u"A"_s);
        frmEditList *ed = openEditor();
        QCOMPARE(ed->cmdMode[0]->text(), u"ASCII"_s);
        QCOMPARE(ed->cmdMode[0]->palette().color(QPalette::Button), QColor(192, 255, 255));
        QCOMPARE(ed->cmdMode[1]->palette().color(QPalette::Button), QColor(192, 192, 255));
        QVERIFY(!ed->txtString[1]->isEnabled());

        cmdStart()->click();
        QTRY_VERIFY(m_sent.contains('A'));
        ed->txtString[0]->setText(u"C"_s);
        const qsizetype sends = m_sent.size();
        QTRY_VERIFY(m_sent.size() > sends + 3); // sends go on with the text not applied
        QVERIFY(!m_sent.contains('C'));
        ed->cmdApply->click();
        QTRY_VERIFY(m_sent.endsWith('C'));

        // Unticking every row ends the run at its next send.
        ed->chkList[0]->setChecked(false);
        ed->cmdApply->click();
        QTRY_COMPARE(cmdStart()->text(), u"Start"_s);
        QCOMPARE(describe(m_log.boxes), QStringList{"Warning|Error|반복할 리스트가 없습니다."});

        const QByteArray file = readFile(kivotest::listFilePath());
        ed->txtString[2]->setText(u"lost"_s);
        ed->chkList[2]->setChecked(true);
        ed->cmdMode[2]->click();
        ed->cmdClose->click();
        QTRY_VERIFY(!m_w->autoRepeat()->editListWindow());
        QCOMPARE(m_w->data().RepeatList[2].Enabled, int16_t(0));
        QVERIFY(m_w->data().RepeatList[2].String.isEmpty());
        QCOMPARE(readFile(kivotest::listFilePath()), file);
    }

    // The editor opens once with its edits kept, and a mode click keeps a row's text; the list
    // applied is read back at the next start and its run's bytes reach the far end of the wire,
    // the ASCII row framed, the hexa row not.
    void editorOpensOnceAndAppliedListSurvivesARestart()
    {
        frmEditList *ed = openEditor();
        ed->chkList[4]->setChecked(true);
        ed->txtString[4]->setText(u" 02 41 03 "_s);
        QCOMPARE(openEditor(), ed);
        QCOMPARE(ed->cmdMode[4]->text(), u"Hexa"_s); // a row never stored reads as Hexa
        ed->cmdMode[4]->click();
        QCOMPARE(ed->cmdMode[4]->text(), u"ASCII"_s);
        QCOMPARE(ed->txtString[4]->text(), u" 02 41 03 "_s);
        ed->cmdMode[4]->click();
        ed->chkList[0]->setChecked(true);
        ed->txtString[0]->setText(u"W"_s);
        ed->cmdMode[0]->click();
        ed->chkCRLF->setChecked(true);
        ed->chkSTX->setChecked(true);
        ed->cmdApply->click();

        m_w->close();
        m_w.reset();
        openWindow();
        choose(*m_w, "cboCount", u"10"_s);
        cmdStart()->click();
        QByteArray wire;
        QTRY_COMPARE(wire += m_pty->deviceReceived(), QByteArray::fromHex("02570D0A03024103").repeated(5));
        QTRY_VERIFY(!m_w->autoRepeat()->isRunning(RunKind::List));
    }

private:
    void openWindow()
    {
        m_sent.clear();
        m_w = kivotest::openWindow();
        connect(m_w->dataSender(), &Sender::sent, this, [this](const LinkChunk &c) { m_sent += c.bytes; });
        connectSerial(*m_w, m_pty->slavePath());
        control<QCheckBox>(*m_w, "chkAutoRepeat")->setChecked(true);
        choose(*m_w, "cboDelay", u"0"_s);
        choose(*m_w, "cboDelayTime", u"0.01"_s);
    }
    frmEditList *openEditor()
    {
        button(*m_w, "cmdEditList")->click();
        frmEditList *ed = m_w->autoRepeat()->editListWindow();
        return ed && ed->isVisible() ? ed : nullptr;
    }
    void setRow(int row, const QString &text, int16_t mode = storedValue(SendFormat::Ascii))
    {
        m_w->data().RepeatList[size_t(row)] = AutoItem{text, mode, 1};
    }
    // Sends are written as they happen; after a stop none may follow within several delays.
    void expectNoFurtherSends(int ms = 50) // by default several 0.01 s delays
    {
        const QByteArray sent = m_sent;
        QTest::qWait(ms);
        QCOMPARE(m_sent, sent);
    }
    QPushButton *cmdStart() const { return button(*m_w, "cmdStart"); }
    QPushButton *cmdSend() const { return button(*m_w, "cmdSend"); }

    MessageLog m_log;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<frmMain> m_w; // declared last: goes before the pseudo-terminal and the log
    QByteArray m_sent;
};

KIVO_TEST_MAIN(tst_AutoRepeat)
#include "tst_AutoRepeat.moc"
