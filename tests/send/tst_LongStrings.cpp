#include "MainWindow.h"

#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "link/LinkController.h"
#include "send/AutoRepeat.h"
#include "send/frmEditList.h"
#include "send/frmSendMessage.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace kivo;
using kivotest::button;
using kivotest::control;
namespace K = kivo::ListFileKeys;

// Strings longer than a line edit's default limit (32767 characters) must never be cut without a
// word: not by the stored-string editors' Apply, not by a paste into the send box.
class LongStringsTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { kivotest::resetStores(); }

    void editorsApplyStoredStringsWhole_data()
    {
        QTest::addColumn<QString>("section");
        QTest::newRow("function keys") << QString(K::FuncString);
        QTest::newRow("repeat list") << QString(K::AutoString);
        QTest::newRow("messages") << QString(K::MesgString);
    }
    void editorsApplyStoredStringsWhole()
    {
        QFETCH(QString, section);
        const QString kLong = QString(1 << 20, u'x') + u"END"_s;
        const QString file = kivotest::listFilePath();
        QVERIFY(WriteIni(section, K::rowKey(1), kLong, file));
        kivotest::MessageLog log;
        frmMain w;
        control<QRadioButton>(w, "optComm_0")->click(); // enables "Send &Msg..."
        QString shown;
        auto apply = [&shown](QWidget *dlg) {
            if (!dlg)
                return;
            shown = control<QLineEdit>(*dlg, "txtString_0")->text();
            button(*dlg, "cmdApply")->click();
            dlg->close();
        };
        const AppData &d = w.data();
        QString inMemory;
        if (section == QLatin1String(K::FuncString)) {
            // The key editor is modal: it is worked while its exec() runs.
            QTimer::singleShot(0, this, [&] { apply(QApplication::activeModalWidget()); });
            button(w, "cmdFuncKeySet")->click();
            inMemory = d.FuncKeys[0].String;
        } else if (section == QLatin1String(K::AutoString)) {
            w.autoRepeat()->cmdEditList_Click();
            apply(kivotest::topLevel<frmEditList>());
            inMemory = d.RepeatList[0].String;
        } else {
            button(w, "cmdSendMsg")->click();
            apply(kivotest::topLevel<frmSendMessage>());
            inMemory = d.MesgList[0].strMesg;
        }
        QCOMPARE(shown, kLong);
        QCOMPARE(log.boxes.size(), 0);
        QCOMPARE(ReadIni(section, K::rowKey(1), file), kLong);
        QCOMPARE(inMemory, kLong);
    }

    // A long hex paste must send every byte it names, with its true length shown.
    void longHexPasteIsSentWhole()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        frmMain w;
        w.data().strWinSockIP = u"127.0.0.1"_s;
        w.data().strWinSockPort = QString::number(server.serverPort());
        control<QRadioButton>(w, "optComm_0")->click();
        button(w, "cmdMonOn")->click(); // opens the socket
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QTRY_VERIFY(w.links()->tcpLink().isReady());

        control<QRadioButton>(w, "optFormatHexa")->click();
        const QByteArray bytes(40001, '\x41');
        control<QLineEdit>(w, "txtSend")->setText(QString::fromLatin1(bytes.toHex()));
        QCOMPARE(control<QLabel>(w, "lblSendLength")->text(), u"Length 40001"_s);
        button(w, "cmdSend")->click();
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()).size(), bytes.size());
        QCOMPARE(got, bytes);
    }
};

KIVO_TEST_MAIN(LongStringsTest)
#include "tst_LongStrings.moc"
