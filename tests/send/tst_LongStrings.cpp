#include "KivoTest.h"

#include "app/frmMain.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/MessageBox.h"
#include "link/LinkController.h"
#include "send/AutoRepeat.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace kivo;
namespace K = kivo::ListFileKeys;

namespace {

template <class T> T *control(QObject &w, const QString &name)
{
    T *c = w.findChild<T *>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

QWidget *topLevel(const char *objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(objectName) && w->isVisible())
            return w;
    }
    return nullptr;
}

const QString kLong = QString(1 << 20, u'x') + QStringLiteral("END");

} // namespace

// Strings longer than a line edit's default limit (32767 characters) must never be cut without a
// word: not by the stored-string editors' Apply, not by a paste into the send box.
class LongStringsTest : public QObject
{
    Q_OBJECT
    QList<MessageRecord> m_boxes;

private slots:
    void init()
    {
        kivotest::resetStores();
        m_boxes.clear();
        setMessageRecorder([this](const MessageRecord &r) { m_boxes << r; });
    }
    void cleanup() { setMessageRecorder({}); }

    void editorsApplyStoredStringsWhole_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("editor");
        QTest::newRow("function keys") << QString(K::FuncString) << "frmFuncSet";
        QTest::newRow("repeat list") << QString(K::AutoString) << "frmEditList";
        QTest::newRow("messages") << QString(K::MesgString) << "frmSendMessage";
    }
    void editorsApplyStoredStringsWhole()
    {
        QFETCH(QString, section);
        QFETCH(QString, editor);
        const QString file = kivotest::listFilePath();
        QVERIFY(WriteIni(section, K::rowKey(1), kLong, file));
        frmMain w;
        control<QRadioButton>(w, QStringLiteral("optComm_0"))->click(); // enables "Send &Msg..."

        QString shown;
        auto apply = [&shown](QWidget *dlg) {
            if (!dlg)
                return;
            shown = control<QLineEdit>(*dlg, QStringLiteral("txtString_0"))->text();
            control<QPushButton>(*dlg, QStringLiteral("cmdApply"))->click();
            dlg->close();
        };
        if (editor == QLatin1String("frmFuncSet")) {
            // The key editor is modal: it is worked while its exec() runs.
            QTimer::singleShot(0, this, [&] { apply(QApplication::activeModalWidget()); });
            control<QPushButton>(w, QStringLiteral("cmdFuncKeySet"))->click();
        } else if (editor == QLatin1String("frmEditList")) {
            w.autoRepeat()->cmdEditList_Click();
            apply(topLevel("frmEditList"));
        } else {
            control<QPushButton>(w, QStringLiteral("cmdSendMsg"))->click();
            apply(topLevel("frmSendMessage"));
        }
        QCOMPARE(shown, kLong);
        QCOMPARE(m_boxes.size(), 0);
        QCOMPARE(ReadIni(section, K::rowKey(1), file), kLong);
        const AppData &d = w.data();
        const QString inMemory = section == QLatin1String(K::FuncString)   ? d.FuncKeys[0].String
                                 : section == QLatin1String(K::AutoString) ? d.RepeatList[0].String
                                                                           : d.MesgList[0].strMesg;
        QCOMPARE(inMemory, kLong);
    }

    // A long hex paste must send every byte it names, with its true length shown.
    void longHexPasteIsSentWhole()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        frmMain w;
        w.data().strWinSockIP = QStringLiteral("127.0.0.1");
        w.data().strWinSockPort = QString::number(server.serverPort());
        control<QRadioButton>(w, QStringLiteral("optComm_0"))->click();
        control<QPushButton>(w, QStringLiteral("cmdMonOn"))->click(); // opens the socket
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QTRY_VERIFY(w.links()->tcpLink().isReady());

        control<QRadioButton>(w, QStringLiteral("optFormatHexa"))->click();
        const QByteArray bytes(40001, '\x41');
        auto *box = control<QLineEdit>(w, QStringLiteral("txtSend"));
        box->setText(QString::fromLatin1(bytes.toHex()));
        QCOMPARE(control<QLabel>(w, QStringLiteral("lblSendLength"))->text(), QStringLiteral("Length 40001"));
        control<QPushButton>(w, QStringLiteral("cmdSend"))->click();
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()).size(), bytes.size());
        QCOMPARE(got, bytes);
    }
};

KIVO_TEST_MAIN(LongStringsTest)
#include "tst_LongStrings.moc"
