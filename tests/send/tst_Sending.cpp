#include "KivoTest.h"

#include "../link/PtyPair.h"

#include "app/IniFile.h"
#include "app/MessageBox.h"
#include "app/frmMain.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "send/FuncKeyBar.h"
#include "send/SendPanel.h"
#include "send/Sender.h"
#include "send/frmFuncSet.h"
#include "traffic/TrafficViews.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextEdit>
#include <QTimer>

#include <memory>

using namespace kivo;

namespace {

// The main window with its serial link open on a pseudo-terminal; the test plays the indicator.
struct Bench
{
    PtyPair pty;
    std::unique_ptr<frmMain> w;
    QList<MessageRecord> messages;

    explicit Bench(bool openLink = true)
    {
        w = std::make_unique<frmMain>();
        w->setEndProgram([] {});
        w->show();
        setMessageRecorder([this](const MessageRecord &m) { messages << m; });
        if (openLink) {
            w->portPanel()->cboPort->setEditText(pty.slavePath());
            w->portPanel()->cmdConnect->click();
        }
    }
    ~Bench() { setMessageRecorder({}); }

    SendPanel &send() const { return *w->sendPanel(); }
    // Bytes that reached the far end within a short wait.
    QByteArray arrived() const
    {
        QTest::qWait(30);
        return pty.deviceReceived();
    }
    void type(const QString &keys) const { QTest::keyClicks(send().txtSend, keys); }
};

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

class tst_Sending : public QObject
{
    Q_OBJECT
private slots:
    void init() { kivotest::resetStores(); }

    void sendButtonWritesExactlyTheShownBytes_data();
    void sendButtonWritesExactlyTheShownBytes();
    void byteDataTypingSendsEachNewUnitOnce_data();
    void byteDataTypingSendsEachNewUnitOnce();
    void hexaBoxDropsBlanksAndRefusesHalfUnits();
    void enterClicksSendAlsoAsStartOrStop();
    void formatOptionsEmptyTheBoxFormOptionsKeepIt();
    void refusedWriteWarnsAndShowsNothing_data();
    void refusedWriteWarnsAndShowsNothing();
    void tcpSendReachesTheServer();
    void functionKeyFraming_data();
    void functionKeyFraming();
    void funcSetApplyWritesMemoryButtonsAndListFile();
};

void tst_Sending::sendButtonWritesExactlyTheShownBytes_data()
{
    QTest::addColumn<bool>("hexa");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("hexLine");
    QTest::addColumn<QString>("ascLine");
    QTest::newRow("ascii AB") << false << "AB" << bytes("4142") << "41 42"
                              << "AB";
    QTest::newRow("ascii trimmed") << false << "  AB " << bytes("4142") << "41 42"
                                   << "AB";
    QTest::newRow("hexa lower case") << true << "0d0A" << bytes("0d0a") << "0d 0A"
                                     << "\r\n";
    QTest::newRow("hexa 4Z") << true << "4Z" << bytes("04") << "4Z"
                             << "\x04";
    QTest::newRow("hexa ZZ") << true << "ZZ" << bytes("00") << "ZZ" << QString(QChar(0));
}

void tst_Sending::sendButtonWritesExactlyTheShownBytes()
{
    QFETCH(bool, hexa);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    QFETCH(QString, hexLine);
    Bench b;
    b.w->views()->selectTab(3);
    b.w->views()->tabPrintSelect_Click();
    (hexa ? b.send().optFormatHexa : b.send().optFormatAscii)->click();
    b.send().txtSend->setText(text);
    b.send().cmdSend->click();
    QCOMPARE(b.arrived(), sent);
    QVERIFY(b.messages.isEmpty());
    QVERIFY2(b.w->views()->rtfPrintHex->toPlainText().contains(QStringLiteral("SEND : ") + hexLine),
             qPrintable(b.w->views()->rtfPrintHex->toPlainText()));
    QVERIFY(b.w->views()->rtfPrintAsc->toPlainText().startsWith(QStringLiteral("SEND : ")));
    QCOMPARE(b.send().txtSend->text(), hexa ? text : text);
}

// Steps: "+x" types x at the end, "-" deletes the last character, "=x" pastes x over the box.
void tst_Sending::byteDataTypingSendsEachNewUnitOnce_data()
{
    QTest::addColumn<bool>("hexa");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("ascii A B C") << false << QStringList{"+A", "+B", "+C"} << bytes("414243");
    QTest::newRow("ascii delete and retype")
        << false << QStringList{"+ABC", "-", "+D", "+E"} << bytes("41424345");
    QTest::newRow("ascii down to one char resets")
        << false << QStringList{"+AB", "-", "-", "+X"} << bytes("414258");
    QTest::newRow("hexa pairs") << true << QStringList{"+4", "+1", "+4", "+2"} << bytes("4142");
    QTest::newRow("hexa paste sends last unit") << true << QStringList{"=4142"} << bytes("42");
    QTest::newRow("hexa odd paste sends no half pair") << true << QStringList{"=414", "+2"} << bytes("4142");
    QTest::newRow("hexa blank typed after digit") << true << QStringList{"+4", "+ ", "+1"} << bytes("41");
    QTest::newRow("message form sends nothing") << false << QStringList{"+ABC"} << QByteArray();
}

void tst_Sending::byteDataTypingSendsEachNewUnitOnce()
{
    QFETCH(bool, hexa);
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, sent);
    Bench b;
    (hexa ? b.send().optFormatHexa : b.send().optFormatAscii)->click();
    if (QTest::currentDataTag() != QLatin1String("message form sends nothing"))
        b.send().optFormByte->click();
    for (const QString &step : steps) {
        if (step.startsWith(u'+'))
            b.type(step.mid(1));
        else if (step == QLatin1String("-"))
            QTest::keyClick(b.send().txtSend, Qt::Key_Backspace);
        else
            b.send().txtSend->setText(step.mid(1));
    }
    QCOMPARE(b.arrived(), sent);
}

void tst_Sending::hexaBoxDropsBlanksAndRefusesHalfUnits()
{
    Bench b;
    b.send().optFormatHexa->click();
    b.type(QStringLiteral("41 42"));
    QCOMPARE(b.send().txtSend->text(), QStringLiteral("4142"));
    QCOMPARE(b.send().txtSend->cursorPosition(), 4);
    QCOMPARE(b.send().lblSendLength->text(), QStringLiteral("Length 2"));
    QVERIFY(b.send().lblSendLength->isVisibleTo(b.w.get()));

    b.type(QStringLiteral("4"));
    QCOMPARE(b.send().lblSendLength->text(), QStringLiteral("Length 2.5"));
    b.send().cmdSend->click();
    QTest::keyClick(b.send().txtSend, Qt::Key_Return);
    QCOMPARE(b.arrived(), QByteArray());

    b.send().txtSend->clear();
    QVERIFY(!b.send().lblSendLength->isVisibleTo(b.w.get()));
}

void tst_Sending::enterClicksSendAlsoAsStartOrStop()
{
    Bench b;
    QSignalSpy start(&b.send(), &SendPanel::repeatStartRequested);
    QSignalSpy stop(&b.send(), &SendPanel::repeatStopRequested);
    b.type(QStringLiteral("AB"));
    QTest::keyClick(b.send().txtSend, Qt::Key_Return);
    QCOMPARE(b.arrived(), bytes("4142"));

    b.send().cmdSend->setText(QStringLiteral("Start"));
    QTest::keyClick(b.send().txtSend, Qt::Key_Enter);
    b.send().cmdSend->setText(QStringLiteral("Stop"));
    b.send().txtSend->clear();
    QTest::keyClick(b.send().txtSend, Qt::Key_Return);
    QCOMPARE(start.count(), 1);
    QCOMPARE(stop.count(), 1);
    QCOMPARE(b.arrived(), QByteArray());

    b.send().cmdSend->setText(QStringLiteral("Send"));
    b.send().cmdSend->setEnabled(false);
    b.type(QStringLiteral("C"));
    QTest::keyClick(b.send().txtSend, Qt::Key_Return);
    QCOMPARE(b.arrived(), QByteArray());
}

void tst_Sending::formatOptionsEmptyTheBoxFormOptionsKeepIt()
{
    Bench b;
    b.type(QStringLiteral("AB"));
    b.send().optFormByte->click();
    b.send().optFormMsg->click();
    QCOMPARE(b.send().txtSend->text(), QStringLiteral("AB"));
    b.send().optFormatHexa->click();
    QCOMPARE(b.send().txtSend->text(), QString());
    QCOMPARE(b.send().sendFormat(), int16_t(2));
    b.type(QStringLiteral("41"));
    b.send().optFormatAscii->click();
    QCOMPARE(b.send().txtSend->text(), QString());
    QCOMPARE(b.send().sendFormat(), int16_t(1));
}

void tst_Sending::refusedWriteWarnsAndShowsNothing_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial port not open") << false;
    QTest::newRow("socket not connected") << true;
}

void tst_Sending::refusedWriteWarnsAndShowsNothing()
{
    QFETCH(bool, tcp);
    Bench b(false);
    b.w->data().FuncKeys[0] = FuncItem{QString(), QStringLiteral("Z"), 1, 1};
    b.w->funcKeyBar()->applyKey(0, b.w->data().FuncKeys[0]);
    if (tcp)
        b.w->portPanel()->optComm_0->click();
    b.w->views()->selectTab(3);
    b.w->funcKeyBar()->cmdFuncKey[0]->click();
    QCOMPARE(b.messages.size(), 1);
    QCOMPARE(b.messages[0].icon, QMessageBox::Warning);
    QCOMPARE(b.messages[0].title, QStringLiteral("Kivo"));
    QVERIFY(!b.messages[0].text.isEmpty());
    QVERIFY(!b.messages[0].text.contains(QStringLiteral("Unknown error")));
    QCOMPARE(b.w->views()->rtfPrintAsc->toPlainText(), QString());
    QCOMPARE(b.w->views()->rtfPrintHex->toPlainText(), QString());
}

void tst_Sending::tcpSendReachesTheServer()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    Bench b(false);
    b.w->portPanel()->optComm_0->click();
    b.w->linkController()->tcpLink().connectTo(QStringLiteral("127.0.0.1"),
                                               QString::number(server.serverPort()));
    QTRY_VERIFY(server.hasPendingConnections());
    QTcpSocket *peer = server.nextPendingConnection();
    QTRY_VERIFY(b.w->linkController()->tcpLink().isReady());
    b.send().optFormatHexa->click();
    b.type(QStringLiteral("02 41 03"));
    b.send().cmdSend->click();
    QByteArray got;
    QTRY_COMPARE((got += peer->readAll()), bytes("024103"));
    QVERIFY(b.messages.isEmpty());
}

void tst_Sending::functionKeyFraming_data()
{
    QTest::addColumn<QString>("string");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<bool>("stx");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("ascii both") << "Z" << 1 << true << true << bytes("025A0D0A03");
    QTest::newRow("ascii crlf") << "Z" << 1 << true << false << bytes("5A0D0A");
    QTest::newRow("ascii stx") << "Z" << 1 << false << true << bytes("025A03");
    QTest::newRow("ascii plain") << "Z" << 1 << false << false << bytes("5A");
    QTest::newRow("hexa never framed") << "5A" << 2 << true << true << bytes("5A");
    QTest::newRow("hexa with blanks") << "02 41 03" << 2 << false << false << bytes("024103");
    QTest::newRow("mode 0 is hexa") << "5A" << 0 << true << true << bytes("5A");
    QTest::newRow("empty string sends nothing") << "" << 1 << true << true << QByteArray();
}

void tst_Sending::functionKeyFraming()
{
    QFETCH(QString, string);
    QFETCH(int, mode);
    QFETCH(bool, crlf);
    QFETCH(bool, stx);
    QFETCH(QByteArray, sent);
    Bench b;
    AppData &d = b.w->data();
    d.FuncKeys[2] = FuncItem{QStringLiteral("K3"), string, int16_t(mode), 1};
    d.FuncCRLF = crlf;
    d.FuncSTX = stx;
    b.w->funcKeyBar()->applyKey(2, d.FuncKeys[2]);
    b.w->funcKeyBar()->cmdFuncKey[2]->click();
    QCOMPARE(b.arrived(), sent);
    QVERIFY(b.messages.isEmpty());
}

void tst_Sending::funcSetApplyWritesMemoryButtonsAndListFile()
{
    Bench b(false);
    FuncKeyBar &bar = *b.w->funcKeyBar();
    bar.applyKey(1, FuncItem{QStringLiteral("OLD"), QString(), 1, 1});
    frmFuncSet dlg(b.w->data(), bar, b.w.get());
    dlg.chkList[0]->setChecked(true);
    dlg.txtKeyCaption[0]->setText(QStringLiteral("Zero"));
    dlg.txtString[0]->setText(QStringLiteral("5A"));
    dlg.cmdMode[0]->click(); // ASCII (missing mode reads as Hexa) -> ASCII
    QCOMPARE(dlg.cmdMode[0]->text(), QStringLiteral("ASCII"));
    dlg.chkList[1]->setChecked(false);
    QVERIFY(!dlg.txtString[1]->isEnabled());
    dlg.txtKeyCaption[1]->clear();
    dlg.chkCRLF->setChecked(true);
    dlg.cmdApply->click();

    const QString file = kivotest::listFilePath();
    QCOMPARE(ReadIni("FuncKeyCap", "String1", file), QStringLiteral("Zero"));
    QCOMPARE(ReadIni("FuncString", "String1", file), QStringLiteral("5A"));
    QCOMPARE(ReadIni("FuncMode", "String1", file), QStringLiteral("1"));
    QCOMPARE(ReadIni("FuncSendEnable", "String1", file), QStringLiteral("1"));
    QCOMPARE(ReadIni("FuncSendEnable", "String2", file), QStringLiteral("0"));
    QCOMPARE(ReadIni("FuncMode", "String2", file), QStringLiteral("2"));
    QCOMPARE(ReadIni("FuncString", "STX", file), QStringLiteral("0"));
    QCOMPARE(ReadIni("FuncString", "CRLF", file), QStringLiteral("True"));
    QCOMPARE(bar.cmdFuncKey[0]->text(), QStringLiteral("Zero"));
    QVERIFY(bar.cmdFuncKey[0]->isEnabled());
    QCOMPARE(bar.cmdFuncKey[1]->text(), QStringLiteral("OLD"));
    QVERIFY(!bar.cmdFuncKey[1]->isEnabled());
    QVERIFY(b.w->data().FuncCRLF);
    QVERIFY(b.messages.isEmpty());

    // The next start reads back what Apply wrote.
    Bench again(false);
    QCOMPARE(again.w->funcKeyBar()->cmdFuncKey[0]->text(), QStringLiteral("Zero"));
    QCOMPARE(again.w->funcKeyBar()->cmdFuncKey[1]->text(), QStringLiteral("FUNC2"));
    QVERIFY(again.w->data().FuncCRLF);
    QVERIFY(!again.w->data().FuncSTX);
}

KIVO_TEST_MAIN(tst_Sending)
#include "tst_Sending.moc"
