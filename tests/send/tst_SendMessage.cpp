#include "KivoTest.h"

#include "../link/PtyPair.h"

#include "app/IniFile.h"
#include "app/ListFileLocation.h"
#include "app/MessageBox.h"
#include "app/frmMain.h"
#include "link/PortPanel.h"
#include "send/SendPanel.h"
#include "send/frmSendMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

using namespace kivo;

namespace {

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// The main window connected to a pseudo-terminal, with a message table, and the dialog opened
// through its button.
struct Bench
{
    PtyPair pty;
    std::unique_ptr<frmMain> w;
    QList<MessageRecord> messages;
    frmSendMessage *dlg = nullptr;

    explicit Bench(const std::function<void(AppData &)> &table = {})
    {
        w = std::make_unique<frmMain>();
        w->setEndProgram([] {});
        setMessageRecorder([this](const MessageRecord &m) { messages << m; });
        w->portPanel()->cboPort->setEditText(pty.slavePath());
        w->portPanel()->cmdConnect->click();
        if (table)
            table(w->data());
        w->sendPanel()->cmdSendMsg->click();
        dlg = w->sendPanel()->sendMessageWindow();
    }
    ~Bench() { setMessageRecorder({}); }

    QByteArray arrived() const
    {
        QTest::qWait(30);
        return pty.deviceReceived();
    }
};

// Ten ASCII messages "m1".."m10" with descriptions "d1".."d10".
void tenMessages(AppData &d)
{
    for (int k = 0; k < 10; ++k)
        d.MesgList[k] = MesgRecord{QStringLiteral("m%1").arg(k + 1), QStringLiteral("d%1").arg(k + 1), 1};
}

void release(QLineEdit *box)
{
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(2, 2), box->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box, &e);
}

} // namespace

class tst_SendMessage : public QObject
{
    Q_OBJECT
private slots:
    void init() { kivotest::resetStores(); }

    void messageFramingAndLineEnds_data();
    void messageFramingAndLineEnds();
    void digitShortcutsOnlyOutsideTextBoxes_data();
    void digitShortcutsOnlyOutsideTextBoxes();
    void xorChecksumOfDraggedRange_data();
    void xorChecksumOfDraggedRange();
    void applyWritesTableKeysAndTooltips();
    void saveReportsOnlyASuccessfulWrite();
    void assignToggleSizesCaptionsAndEsc();
    void hoverReplacesUnsavedDescription();
    void oneWindowOnly();
};

void tst_SendMessage::messageFramingAndLineEnds_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<bool>("stx");
    QTest::addColumn<int>("lineEndClicks");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("both, CRLF") << "ABC" << 1 << true << true << 0 << bytes("024142430D0A03");
    QTest::newRow("both, CR") << "ABC" << 1 << true << true << 1 << bytes("024142430D03");
    QTest::newRow("both, LF") << "ABC" << 1 << true << true << 2 << bytes("024142430A03");
    QTest::newRow("cycle back to CRLF") << "ABC" << 1 << true << false << 3 << bytes("4142430D0A");
    QTest::newRow("stx only") << "ABC" << 1 << false << true << 2 << bytes("0241424303");
    QTest::newRow("hexa unchanged") << "02 31 32 03" << 2 << true << true << 0 << bytes("02313203");
    QTest::newRow("mode 0 is hexa") << "4142" << 0 << true << true << 0 << bytes("4142");
}

void tst_SendMessage::messageFramingAndLineEnds()
{
    QFETCH(QString, message);
    QFETCH(int, mode);
    QFETCH(bool, crlf);
    QFETCH(bool, stx);
    QFETCH(int, lineEndClicks);
    QFETCH(QByteArray, sent);
    Bench b([&](AppData &d) {
        d.MesgList[2] = MesgRecord{message, QStringLiteral("third"), int16_t(mode)};
        d.bMesgCRLF = crlf;
        d.bMesgSTX = stx;
    });
    QCOMPARE(b.dlg->cmdMode[2]->text(), mode == 1 ? QStringLiteral("ASCII") : QStringLiteral("Hexa"));
    for (int i = 0; i < lineEndClicks; ++i)
        b.dlg->cmdCRLF->click();
    // An unapplied mode toggle does not change what the button sends.
    b.dlg->cmdMode[2]->click();
    b.dlg->cmdBtnNum[2]->click();
    QCOMPARE(b.arrived(), sent);
    QCOMPARE(b.dlg->lblDescTitle->text(), QStringLiteral("String3"));
    QCOMPARE(b.dlg->txtDesc->toPlainText(), QStringLiteral("third"));
    QVERIFY(b.dlg->cmdSave->isEnabled());
}

void tst_SendMessage::digitShortcutsOnlyOutsideTextBoxes_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("5 on a button") << "cmdBtnNum_0" << int(Qt::Key_5) << false << QByteArray("m5");
    QTest::newRow("keypad 0 sends 10") << "cmdBtnNum_0" << int(Qt::Key_0) << true << QByteArray("m10");
    QTest::newRow("main 0 sends 10") << "cmdAssign" << int(Qt::Key_0) << false << QByteArray("m10");
    QTest::newRow("checksum box does not block")
        << "txtChecksum" << int(Qt::Key_1) << false << QByteArray("m1");
    QTest::newRow("typing in a message") << "txtString_3" << int(Qt::Key_5) << false << QByteArray();
    QTest::newRow("typing in the description") << "txtDesc" << int(Qt::Key_5) << true << QByteArray();
    QTest::newRow("empty message ignored") << "cmdBtnNum_0" << int(Qt::Key_7) << false << QByteArray();
}

void tst_SendMessage::digitShortcutsOnlyOutsideTextBoxes()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(QByteArray, sent);
    Bench b([](AppData &d) {
        tenMessages(d);
        d.MesgList[6].strMesg.clear();
    });
    QVERIFY(!b.dlg->cmdBtnNum[6]->isEnabled());
    b.dlg->cmdAssign->click(); // expanded, so every box can take the focus
    b.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.dlg));
    auto *target = b.dlg->findChild<QWidget *>(focus);
    QVERIFY(target);
    target->setFocus(Qt::TabFocusReason);
    QTest::keyClick(target, Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(b.arrived(), sent);
}

void tst_SendMessage::xorChecksumOfDraggedRange_data()
{
    QTest::addColumn<QString>("modeCaption");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("autoPaste");
    QTest::addColumn<QString>("checksum");
    QTest::addColumn<QString>("text");
    QTest::newRow("31 32") << "Hexa" << 3 << 5 << false << "03"
                           << "02 31 32 03";
    QTest::newRow("31 32 pasted") << "Hexa" << 3 << 5 << true << "03"
                                  << "02 31 3203 03";
    QTest::newRow("02 31 32") << "Hexa" << 0 << 8 << false << "01"
                              << "02 31 32 03";
    QTest::newRow("0A alone") << "Hexa" << 12 << 2 << false << "0A"
                              << "02 31 32 03 0A";
    QTest::newRow("blanks only") << "Hexa" << 2 << 1 << false << "00"
                                 << "02 31 32 03";
    QTest::newRow("ascii row unchanged") << "ASCII" << 3 << 5 << true << ""
                                         << "02 31 32 03";
    QTest::newRow("no selection unchanged") << "Hexa" << 3 << 0 << true << ""
                                            << "02 31 32 03";
}

void tst_SendMessage::xorChecksumOfDraggedRange()
{
    QFETCH(QString, modeCaption);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, autoPaste);
    QFETCH(QString, checksum);
    QFETCH(QString, text);
    Bench b;
    QLineEdit *box = b.dlg->txtString[4];
    box->setText(QTest::currentDataTag() == QLatin1String("0A alone") ? "02 31 32 03 0A" : "02 31 32 03");
    if (b.dlg->cmdMode[4]->text() != modeCaption)
        b.dlg->cmdMode[4]->click();
    b.dlg->chkAutoPaste->setChecked(autoPaste);
    box->setSelection(start, length);
    release(box);
    QCOMPARE(b.dlg->txtChecksum->text(), checksum);
    QCOMPARE(box->text(), text);
    if (autoPaste && !checksum.isEmpty()) {
        QCOMPARE(box->selectionStart(), start + length);
        QCOMPARE(box->selectedText(), checksum);
    }
}

void tst_SendMessage::applyWritesTableKeysAndTooltips()
{
    Bench b([](AppData &d) {
        d.MesgList[0] = MesgRecord{QStringLiteral("hello"), QStringLiteral("greeting"), 1};
    });
    QCOMPARE(b.dlg->cmdBtnNum[0]->toolTip(), QStringLiteral("hello"));
    QVERIFY(!b.dlg->cmdBtnNum[1]->isEnabled());
    b.dlg->txtString[1]->setText(QStringLiteral(" 41 42 "));
    b.dlg->cmdMode[1]->click(); // missing mode reads as Hexa; one click makes it ASCII
    b.dlg->cmdMode[1]->click();
    b.dlg->txtString[0]->clear();
    b.dlg->chkSTX->setChecked(true);
    b.dlg->cmdApply->click();

    const QString file = kivotest::listFilePath();
    QCOMPARE(ReadIni("MesgString", "String1", file), QString());
    QCOMPARE(ReadIni("MesgString", "String2", file), QStringLiteral(" 41 42 "));
    QCOMPARE(ReadIni("MesgMode", "String2", file), QStringLiteral("2"));
    QCOMPARE(ReadIni("MesgMode", "String10", file), QStringLiteral("2"));
    QCOMPARE(ReadIni("MesgString", "STX", file), QStringLiteral("-1"));
    QCOMPARE(ReadIni("MesgString", "CRLF", file), QStringLiteral("False"));
    QVERIFY(!b.dlg->cmdBtnNum[0]->isEnabled());
    QVERIFY(b.dlg->cmdBtnNum[1]->isEnabled());
    QCOMPARE(b.dlg->cmdBtnNum[1]->toolTip(), QString()); // the empty description
    QCOMPARE(b.w->data().MesgList[1].strMesg, QStringLiteral(" 41 42 "));
    QVERIFY(b.w->data().bMesgSTX);
    QVERIFY(b.messages.isEmpty());
    QCOMPARE(b.dlg->size(), frmSendMessage::collapsedSize());

    b.dlg->cmdBtnNum[1]->click();
    QCOMPARE(b.arrived(), bytes("4142"));
}

void tst_SendMessage::saveReportsOnlyASuccessfulWrite()
{
    Bench b(tenMessages);
    b.dlg->ShowDescription(9);
    b.dlg->txtDesc->setPlainText(QStringLiteral("  tenth message  "));
    b.dlg->cmdSave->click();
    QCOMPARE(ReadIni("MesgDesc", "String10", kivotest::listFilePath()), QStringLiteral("tenth message"));
    QCOMPARE(b.messages.size(), 1);
    QCOMPARE(b.messages[0].text, QStringLiteral("Save Complete!"));
    QCOMPARE(b.messages[0].icon, QMessageBox::Information);
    QCOMPARE(b.dlg->cmdBtnNum[9]->toolTip(), QStringLiteral("m10"));

    // A list file that cannot be written: the table changes, the box says the save failed.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setListFilePathOverride(dir.filePath(QStringLiteral("file/kivo.ini")));
    b.dlg->txtDesc->setPlainText(QStringLiteral("lost"));
    b.dlg->cmdSave->click();
    b.dlg->cmdApply->click();
    setListFilePathOverride(kivotest::listFilePath());
    QCOMPARE(b.w->data().MesgList[9].strDesc, QStringLiteral("lost"));
    QCOMPARE(b.messages.size(), 3);
    QCOMPARE(b.messages[1].icon, QMessageBox::Warning);
    QVERIFY(b.messages[1].text != QStringLiteral("Save Complete!"));
    QCOMPARE(b.messages[2].icon, QMessageBox::Warning);
}

void tst_SendMessage::assignToggleSizesCaptionsAndEsc()
{
    Bench b(tenMessages);
    QPointer<frmSendMessage> dlg = b.dlg;
    dlg->show();
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Send Message"));
    QCOMPARE(dlg->size(), frmSendMessage::collapsedSize());
    QCOMPARE(dlg->cmdAssign->text(), QStringLiteral("Show Assign (F2)"));
    QCOMPARE(dlg->focusWidget(), dlg->cmdBtnNum[0]);

    QTest::keyClick(dlg->cmdBtnNum[0], Qt::Key_F2);
    QCOMPARE(dlg->size(), frmSendMessage::expandedSize());
    QCOMPARE(dlg->cmdAssign->text(), QStringLiteral("Hide A&ssign (F2)"));
    QVERIFY(dlg->fraAssign->isVisible());

    dlg->txtString[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dlg->txtString[0], Qt::Key_F2);
    QCOMPARE(dlg->size(), frmSendMessage::collapsedSize());
    QCOMPARE(dlg->cmdAssign->text(), QStringLiteral("Show A&ssign (F2)"));
    QVERIFY(!dlg->fraAssign->isVisible());
    QCOMPARE(b.arrived(), QByteArray()); // F2 sends nothing

    QTest::keyClick(dlg->cmdAssign, Qt::Key_Escape);
    QTRY_VERIFY(dlg.isNull());
}

void tst_SendMessage::hoverReplacesUnsavedDescription()
{
    Bench b(tenMessages);
    b.dlg->ShowDescription(0);
    b.dlg->txtDesc->setPlainText(QStringLiteral("edited, never saved"));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(b.dlg->lblString[2], &enter);
    QCOMPARE(b.dlg->txtDesc->toPlainText(), QStringLiteral("d3"));
    QCOMPARE(b.dlg->lblDescTitle->text(), QStringLiteral("String3"));
    b.dlg->cmdSave->click();
    QCOMPARE(ReadIni("MesgDesc", "String3", kivotest::listFilePath()), QStringLiteral("d3"));
    QCOMPARE(ReadIni("MesgDesc", "String1", kivotest::listFilePath()), QString());
}

void tst_SendMessage::oneWindowOnly()
{
    Bench b(tenMessages);
    b.dlg->txtString[0]->setText(QStringLiteral("unapplied"));
    b.w->sendPanel()->cmdSendMsg->click();
    QCOMPARE(b.w->sendPanel()->sendMessageWindow(), b.dlg);
    QCOMPARE(b.dlg->txtString[0]->text(), QStringLiteral("unapplied"));
    QVERIFY(b.dlg->isWindow());
    QVERIFY(!b.dlg->isModal());
    QPointer<frmSendMessage> old = b.dlg;
    b.dlg->cmdClose->click();
    QTRY_VERIFY(old.isNull());
    b.w->sendPanel()->cmdSendMsg->click();
    QCOMPARE(b.w->sendPanel()->sendMessageWindow()->txtString[0]->text(), QStringLiteral("m1"));
}

KIVO_TEST_MAIN(tst_SendMessage)
#include "tst_SendMessage.moc"
