#include "MainWindow.h"
#include "PtyPair.h"

#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "link/LinkController.h"
#include "send/AutoRepeat.h"
#include "send/RepeatSchedule.h"
#include "send/SendEncoding.h"
#include "send/Sender.h"
#include "send/frmEditList.h"
#include "send/frmFuncSet.h"
#include "send/frmSendMessage.h"

#include <QGroupBox>

using namespace kivo;
using namespace kivotest;

namespace {

const auto bytes = [](const char *hex) { return QByteArray::fromHex(hex); };
constexpr qint64 ms = 1000000; // the repeat schedule counts in nanoseconds

// The real main window, its serial link connected to a pseudo-terminal, every byte a link accepted
// recorded and every message box recorded.
struct Bench
{
    MessageLog log;
    PtyPair pty;
    std::unique_ptr<frmMain> w = openWindow();
    QByteArray sent;

    explicit Bench(bool connect = true)
    {
        QObject::connect(w->dataSender(), &Sender::sent, w.get(),
                         [this](const LinkChunk &c) { sent += c.bytes; });
        if (connect)
            connectSerial(*w, pty.slavePath());
    }
    QLineEdit *box() const { return control<QLineEdit>(*w, "txtSend"); }
    QPushButton *btn(const char *name) const { return button(*w, name); }
    void click(const char *option) const { control<QRadioButton>(*w, option)->click(); }
    void type(const QString &keys) const { QTest::keyClicks(box(), keys); }
    frmSendMessage *openSendMessage() const
    {
        btn("cmdSendMsg")->click();
        return topLevel<frmSendMessage>();
    }
};

// Ten ASCII messages "m1".."m10" with descriptions "d1".."d10".
void tenMessages(AppData &d)
{
    for (int k = 0; k < 10; ++k)
        d.MesgList[k] = MesgRecord{u"m%1"_s.arg(k + 1), u"d%1"_s.arg(k + 1), 1};
}

} // namespace

// The send folder's widget-free rules (encodings, send-box counting, the repeat list and its
// schedule), then the send features of the real window.
class tst_Sending : public QObject
{
    Q_OBJECT
private slots:
    // Each row: hex text, the bytes sent, the hex line shown, and their XOR checksum.
    void hexTextBecomesTheBytesOfItsPairs_data()
    {
        DataTable<QString, QByteArray, QString, int> row("hex", "bytes", "spaced", "xorValue");
        row("two pairs", "4142", "\x41\x42", "41 42 ", 0x03);
        row("case kept on screen", "0d0A", "\x0D\x0A", "0d 0A ", 0x07);
        row("4Z reads 4", "4Z", "\x04", "4Z ", 0x04);
        row("ZZ reads 0", "ZZ", QByteArray(1, '\0'), "ZZ ", 0x00);
        row("blanks ignored", " 02 4 1 03", "\x02\x41\x03", "02 41 03 ", 0x40);
        row("lone last digit", "414", "\x41\x04", "41 4 ", 0x45);
        row("blanks only", "   ", {}, "", 0x00);
        row("xor of 02 31 32", "02 31 32", "\x02\x31\x32", "02 31 32 ", 0x01);
    }
    void hexTextBecomesTheBytesOfItsPairs()
    {
        QFETCH(QString, hex);
        QCOMPARE(std::tuple(HexToBytes(hex), HexToSpaced(hex), int(xorOfHexBytes(hex))),
                 (fetch<QByteArray, QString, int>("bytes", "spaced", "xorValue")));
    }

    void asciiTextBecomesItsCodePageBytes_data()
    {
        DataTable<QByteArray, QString, QString> row("codePage", "text", "hex");
        row("letters", "UTF-8", "AB", "4142");
        row("controls padded", "UTF-8", "\x02Z\r\n\x03", "025A0D0A03");
        row("double-byte lead first", "CP949", u"가A"_s, "B0A141");
    }
    void asciiTextBecomesItsCodePageBytes()
    {
        const auto [codePage, text] = fetch<QByteArray, QString>("codePage", "text");
        QTEST(AscToHex(text, CodePage(codePage)), "hex");
    }

    void storedStringFramingKeepsLineEndInsideFrame_data()
    {
        DataTable<int, bool, bool, QString, QString> row("mode", "lineEnd", "stx", "lineEndChars", "framed");
        row("both", 1, true, true, "\r\n", "\0025A\r\n\003");
        row("LF only", 1, true, false, "\n", "5A\n");
        row("stx only", 1, false, true, "\r\n", "\0025A\003");
        row("hexa never framed", 2, true, true, "\r\n", "5A");
        row("mode 0 is hexa", 0, true, true, "\r\n", "5A");
    }
    void storedStringFramingKeepsLineEndInsideFrame()
    {
        const auto [mode, lineEnd, stx, lineEndChars] =
            fetch<int, bool, bool, QString>("mode", "lineEnd", "stx", "lineEndChars");
        QTEST(frameStoredString(u"5A"_s, int16_t(mode), lineEnd, stx, lineEndChars), "framed");
    }

    // One change of the box: its new text, the counter before, the counter after, the unit sent and
    // the length caption. Format 1 is ASCII, 2 Hexa; all rows in Byte Data form unless named.
    void sendBoxCountsWholeUnitsOnly_data()
    {
        DataTable<QString, int, int, int, QString, QString> row("text", "format", "before", "after", "unit",
                                                                "caption");
        row("ascii below count", "ABD", 1, 3, 3, "", "Length 3");
        row("one char resets", "A", 1, 5, 1, "A", "Length 1");
        row("empty hides label", "", 1, 5, 0, "", "");
        row("hexa half unit", "414", 2, 1, 1, "", "Length 1.5");
        row("hexa paste: last unit", "4142", 2, 0, 2, "42", "Length 2");
        row("hexa odd paste: last pair", "414", 2, 0, 1, "41", "Length 1.5");
        row("hexa odd paste grows", "41425", 2, 1, 2, "42", "Length 2.5");
        row("format 0 is hexa", "4142", 0, 0, 2, "42", "Length 2");
    }
    void sendBoxCountsWholeUnitsOnly()
    {
        const auto [text, format, before, caption] =
            fetch<QString, int, int, QString>("text", "format", "before", "caption");
        const SendBoxChange change = sendBoxChanged(text, int16_t(format), true, before);
        QCOMPARE(std::tuple(change.sentUnits, change.unitToSend, change.lengthCaption),
                 (fetch<int, QString, QString>("after", "unit", "caption")));
        // Message Data form counts and shows the same but never sends.
        const SendBoxChange message = sendBoxChanged(text, int16_t(format), false, 0);
        QCOMPARE(std::pair(message.unitToSend, message.lengthCaption), std::pair(QString(), caption));
    }

    void deletionIsOneRunTakenOut_data()
    {
        DataTable<QString, QString, bool> row("before", "after", "deletion");
        row("backspace", "AB", "A", true);
        row("middle run", "ABCD", "AD", true);
        row("select all, type", "ABC", "Z", false);
        row("growing", "AB", "ABC", false);
    }
    void deletionIsOneRunTakenOut()
    {
        const auto [before, after, deletion] = fetch<QString, QString, bool>("before", "after", "deletion");
        QCOMPARE(isDeletion(before, after), deletion);
        // After two units were sent, a deletion sends nothing (also down to one character); typing does.
        QCOMPARE(sendBoxChanged(after, 1, true, 2, deletion).unitToSend.isEmpty(), deletion);
    }

    void nextRowWrapsAndSkipsUnticked_data()
    {
        DataTable<QList<int>, int, int> row("ticked", "start", "expected");
        row("at start", {2, 7}, 2, 2);
        row("between", {2, 7}, 3, 7);
        row("after last wraps to first", {2, 7}, 8, 2);
        row("past row 9 wraps", {0}, 10, 0);
        row("row 9 only", {9}, 0, 9);
        row("none ticked", {}, 0, -1);
    }
    void nextRowWrapsAndSkipsUnticked()
    {
        const auto [ticked, start] = fetch<QList<int>, int>("ticked", "start");
        AppData d;
        for (int r : ticked)
            d.RepeatList[size_t(r)].Enabled = 1;
        QTEST(NextListRow(d, start), "expected");
    }

    void choicesParse_data()
    {
        DataTable<QString, double, QString, int> row("delay", "seconds", "count", "n");
        row("smallest", "0.01", 0.01, "Endless", 0);
        row("largest", "20", 20, "100000", 100000);
        row("none selected", "", 0, "", 0);
    }
    void choicesParse()
    {
        const auto [delay, count] = fetch<QString, QString>("delay", "count");
        QTEST(repeatDelaySeconds(delay), "seconds");
        QTEST(repeatCount(count), "n");
    }

    void scheduleDoesNotDriftWithLateTimers()
    {
        RepeatSchedule s(10 * ms);
        // Every send starts 3 ms after its slot: the next slot stays on the 10 ms grid.
        qint64 slot = 0;
        for (int i = 0; i < 1000; ++i)
            slot = s.slotAfter(slot, s.dueNs(slot) + 3 * ms, s.dueNs(slot) + 4 * ms);
        QCOMPARE(slot, 1000);
        QCOMPARE(s.dueNs(slot), 10000 * ms);
        QCOMPARE((QList<int>{s.waitMs(1, 3 * ms), s.waitMs(1, 9 * ms + 1), s.waitMs(1, 12 * ms)}),
                 (QList<int>{7, 1, 0}));
    }

    void heldUpSendSkipsPassedSlotsInsteadOfBursting()
    {
        RepeatSchedule s(10 * ms);
        // Held up 2.5 s in the send (a warning box): the slots that passed are dropped.
        QCOMPARE(s.slotAfter(0, 0, 2500 * ms), 250);
        // A timer that fired 200 ms late (the program was not scheduled) is caught up, slot by slot.
        QCOMPARE(s.slotAfter(0, 200 * ms, 201 * ms), 1);
        QCOMPARE(s.waitMs(1, 201 * ms), 0);
        // A delay longer than the hold leaves nothing to skip.
        QCOMPARE(RepeatSchedule(1000 * ms).slotAfter(0, 0, 900 * ms), 1);
    }

    void init() { resetStores(); }

    // The bytes on the wire of the pseudo-terminal are the ones the hex view shows.
    void sendButtonWritesExactlyTheShownBytes_data()
    {
        DataTable<bool, QString, QByteArray, QString> row("hexa", "text", "wire", "hexLine");
        row("ascii trimmed", false, "  AB ", bytes("4142"), "41 42");
        row("hexa 0d0A", true, "0d0A", bytes("0d0a"), "0d 0A");
    }
    void sendButtonWritesExactlyTheShownBytes()
    {
        const auto [hexa, text, wire, hexLine] =
            fetch<bool, QString, QByteArray, QString>("hexa", "text", "wire", "hexLine");
        Bench b;
        control<QTabBar>(*b.w, "tabPrintSelect")->setCurrentIndex(2);
        b.click(hexa ? "optFormatHexa" : "optFormatAscii");
        b.box()->setText(text);
        b.btn("cmdSend")->click();
        QByteArray got;
        QTRY_COMPARE(got += b.pty.deviceReceived(), wire);
        QVERIFY(b.log.boxes.isEmpty());
        QVERIFY(control<QTextEdit>(*b.w, "rtfPrintHex")->toPlainText().contains("SEND : " + hexLine));
        QCOMPARE(b.box()->text(), text);
    }

    // Steps: "x" types x at the end ("\b" a backspace), "=x" pastes x over the box.
    void byteDataTypingSendsEachNewUnitOnce_data()
    {
        DataTable<bool, QStringList, QByteArray> row("hexa", "steps", "sent");
        row("ascii A B C", false, {"A", "B", "C"}, bytes("414243"));
        row("delete C, D, E", false, {"ABC", "\b", "D", "E"}, bytes("41424345"));
        row("delete to one char", false, {"AB", "\b", "X"}, bytes("414258"));
        row("hexa 4 1 4 2", true, {"4", "1", "4", "2"}, bytes("4142"));
        row("hexa paste 414, type 2", true, {"=414", "2"}, bytes("4142"));
        row("hexa blank after digit", true, {"4", " ", "1"}, bytes("41"));
    }
    void byteDataTypingSendsEachNewUnitOnce()
    {
        const auto [hexa, steps] = fetch<bool, QStringList>("hexa", "steps");
        Bench b;
        b.click(hexa ? "optFormatHexa" : "optFormatAscii");
        b.click("optFormByte");
        for (const QString &step : steps) {
            if (step.startsWith(u'='))
                b.box()->setText(step.mid(1));
            else
                b.type(step);
        }
        QTEST(b.sent, "sent");
    }

    // The hexa box drops blanks and refuses half units. Enter in the send box is the Send button in
    // each of its roles: send, start a run, stop it; not when the button is off. Typing in the
    // Message Data form (the one at start) sends nothing.
    void hexaBoxRefusesHalfUnitsAndEnterClicksSend()
    {
        Bench b;
        b.type(u"AB"_s);
        b.click("optFormatHexa");
        QCOMPARE(b.box()->text(), QString());
        b.type(u"41 42"_s);
        QCOMPARE(b.box()->text(), u"4142"_s);
        QCOMPARE(b.box()->cursorPosition(), 4);
        b.type(u"4"_s); // a half unit: neither Send nor Enter sends
        b.btn("cmdSend")->click();
        QTest::keyClick(b.box(), Qt::Key_Return);
        QCOMPARE(b.sent, QByteArray());
        b.click("optFormatAscii");
        QVERIFY(!control<QLabel>(*b.w, "lblSendLength")->isVisibleTo(b.w.get()));

        b.box()->clear();
        b.type(u"AB"_s);
        QTest::keyClick(b.box(), Qt::Key_Return);
        QCOMPARE(b.sent, bytes("4142"));
        choose(*b.w, "cboDelayTime", u"20"_s);
        control<QCheckBox>(*b.w, "chkAutoRepeat")->setChecked(true);
        QTest::keyClick(b.box(), Qt::Key_Enter);
        QVERIFY(b.w->autoRepeat()->isRunning(RunKind::SendBox));
        b.box()->clear();
        QTest::keyClick(b.box(), Qt::Key_Return);
        QVERIFY(!b.w->autoRepeat()->isRunning(RunKind::SendBox));
        control<QCheckBox>(*b.w, "chkAutoRepeat")->setChecked(false);
        b.sent.clear();
        b.btn("cmdSend")->setEnabled(false);
        b.type(u"C"_s);
        QTest::keyClick(b.box(), Qt::Key_Return);
        QCOMPARE(b.sent, QByteArray());
    }

    // A function key sends its string framed as its mode says; with no link open it warns and
    // shows nothing.
    void functionKeySendsItsFramedStringOrWarns_data()
    {
        DataTable<QString, int, bool, bool, QString, QByteArray> row("string", "mode", "crlf", "stx", "link",
                                                                     "sent");
        row("ascii both", "Z", 1, true, true, "serial", bytes("025A0D0A03"));
        row("hexa unframed", "5A", 2, true, true, "serial", bytes("5A"));
        row("empty sends nothing", "", 1, true, true, "serial", {});
        row("serial port not open", "Z", 1, false, false, "none", {});
        row("socket not connected", "Z", 1, false, false, "tcp", {});
    }
    void functionKeySendsItsFramedStringOrWarns()
    {
        const auto [string, mode, crlf, stx, link] =
            fetch<QString, int, bool, bool, QString>("string", "mode", "crlf", "stx", "link");
        writeListFile(u"[FuncKeyCap]\r\nString3=K3\r\n[FuncString]\r\nString3=%1\r\nCRLF=%2\r\nSTX=%3\r\n"
                      "[FuncMode]\r\nString3=%4\r\n[FuncSendEnable]\r\nString3=1\r\n"_s
                          .arg(string, crlf ? "True" : "False", stx ? "-1" : "0", QString::number(mode))
                          .toUtf8());
        Bench b(link == QLatin1String("serial"));
        if (link == QLatin1String("tcp"))
            b.click("optComm_0");
        control<QTabBar>(*b.w, "tabPrintSelect")->setCurrentIndex(2);
        b.btn("cmdFuncKey_2")->click();
        QTEST(b.sent, "sent");
        QCOMPARE(b.log.boxes.size(), link == QLatin1String("serial") ? 0 : 1);
        if (b.log.boxes.isEmpty())
            return;
        QVERIFY(describe(b.log.boxes[0]).startsWith(u"Warning|Kivo|"_s));
        QVERIFY(!b.log.boxes[0].text.isEmpty() && !b.log.boxes[0].text.contains(u"Unknown error"_s));
        QVERIFY(control<QTextEdit>(*b.w, "rtfPrintAsc")->document()->isEmpty() &&
                control<QTextEdit>(*b.w, "rtfPrintHex")->document()->isEmpty());
    }

    void funcSetApplyWritesMemoryButtonsAndListFile()
    {
        writeListFile("[FuncKeyCap]\r\nString2=OLD\r\n[FuncMode]\r\nString2=1\r\n"
                      "[FuncSendEnable]\r\nString2=1\r\n");
        Bench b(false);
        QTimer::singleShot(0, this, [] {
            auto *dlg = qobject_cast<frmFuncSet *>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            dlg->chkList[0]->setChecked(true);
            dlg->txtKeyCaption[0]->setText(u"Zero"_s);
            dlg->txtString[0]->setText(u"5A"_s);
            dlg->cmdMode[0]->click(); // a missing mode shows Hexa; one click makes it ASCII
            dlg->chkList[1]->setChecked(false);
            QVERIFY(!dlg->txtString[1]->isEnabled());
            dlg->txtKeyCaption[1]->clear();
            dlg->chkCRLF->setChecked(true);
            dlg->cmdApply->click();
            dlg->cmdClose->click();
        });
        b.btn("cmdFuncKeySet")->click();

        const QString file = kivotest::listFilePath();
        const QStringList written{
            ReadIni("FuncKeyCap", "String1", file), ReadIni("FuncString", "String1", file),
            ReadIni("FuncMode", "String1", file),   ReadIni("FuncSendEnable", "String1", file),
            ReadIni("FuncMode", "String2", file),   ReadIni("FuncSendEnable", "String2", file),
            ReadIni("FuncString", "STX", file),     ReadIni("FuncString", "CRLF", file)};
        QCOMPARE(written, (QStringList{"Zero", "5A", "1", "1", "1", "0", "0", "True"}));
        QCOMPARE((QStringList{b.btn("cmdFuncKey_0")->text(), b.btn("cmdFuncKey_1")->text()}),
                 (QStringList{"Zero", "OLD"}));
        QVERIFY(b.btn("cmdFuncKey_0")->isEnabled() && !b.btn("cmdFuncKey_1")->isEnabled());
        QVERIFY(b.log.boxes.isEmpty());
    }

    void messageFramingAndLineEnds_data()
    {
        DataTable<QString, int, bool, bool, int, QByteArray> row("message", "mode", "crlf", "stx",
                                                                 "lineEndClicks", "sent");
        row("both, CRLF", "ABC", 1, true, true, 0, bytes("024142430D0A03"));
        row("both, CR", "ABC", 1, true, true, 1, bytes("024142430D03"));
        row("both, LF", "ABC", 1, true, true, 2, bytes("024142430A03"));
        row("back to CRLF", "ABC", 1, true, false, 3, bytes("4142430D0A"));
        row("stx only", "ABC", 1, false, true, 2, bytes("0241424303"));
        row("hexa unchanged", "02 31 32 03", 2, true, true, 0, bytes("02313203"));
    }
    void messageFramingAndLineEnds()
    {
        const auto [message, mode, crlf, stx, lineEndClicks] =
            fetch<QString, int, bool, bool, int>("message", "mode", "crlf", "stx", "lineEndClicks");
        Bench b;
        b.w->data().MesgList[2] = MesgRecord{message, u"third"_s, int16_t(mode)};
        b.w->data().bMesgCRLF = crlf;
        b.w->data().bMesgSTX = stx;
        frmSendMessage *dlg = b.openSendMessage();
        QCOMPARE(dlg->cmdMode[2]->text(), mode == 1 ? u"ASCII"_s : u"Hexa"_s);
        for (int i = 0; i < lineEndClicks; ++i)
            dlg->cmdCRLF->click();
        dlg->cmdMode[2]->click(); // not applied: the button still sends the stored mode
        dlg->cmdBtnNum[2]->click();
        QTEST(b.sent, "sent");
        QCOMPARE(dlg->lblDescTitle->text() + dlg->txtDesc->toPlainText(), u"String3third"_s);
        QVERIFY(dlg->cmdSave->isEnabled());
    }

    void digitShortcutsOnlyOutsideTextBoxes_data()
    {
        DataTable<QString, int, bool, QByteArray> row("focus", "key", "keypad", "sent");
        row("5 on a button", "cmdBtnNum_0", Qt::Key_5, false, "m5");
        row("keypad 0 sends 10", "cmdBtnNum_0", Qt::Key_0, true, "m10");
        row("main 0 sends 10", "cmdAssign", Qt::Key_0, false, "m10");
        row("checksum box", "txtChecksum", Qt::Key_1, false, "m1");
        row("in a message box", "txtString_3", Qt::Key_5, false, {});
        row("in the description", "txtDesc", Qt::Key_5, true, {});
        row("empty message", "cmdBtnNum_0", Qt::Key_7, false, {});
    }
    void digitShortcutsOnlyOutsideTextBoxes()
    {
        const auto [focus, key, keypad] = fetch<QString, int, bool>("focus", "key", "keypad");
        Bench b;
        tenMessages(b.w->data());
        b.w->data().MesgList[6].strMesg.clear();
        frmSendMessage *dlg = b.openSendMessage();
        QVERIFY(!dlg->cmdBtnNum[6]->isEnabled());
        dlg->cmdAssign->click();
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        auto *target = dlg->findChild<QWidget *>(focus);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QTEST(b.sent, "sent");
    }

    void xorChecksumOfDraggedRange_data()
    {
        DataTable<QString, bool, int, int, bool, QString, QString> row("text", "hexa", "start", "length",
                                                                       "autoPaste", "checksum", "after");
        row("31 32", "02 31 32 03", true, 3, 5, false, "03", "02 31 32 03");
        row("31 32 pasted", "02 31 32 03", true, 3, 5, true, "03", "02 31 3203 03");
        row("0A alone", "02 0A", true, 3, 2, false, "0A", "02 0A");
        row("ascii row", "02 31 32 03", false, 3, 5, true, "", "02 31 32 03");
        row("no selection", "02 31 32 03", true, 3, 0, true, "", "02 31 32 03");
    }
    void xorChecksumOfDraggedRange()
    {
        const auto [text, hexa, start, length, autoPaste] =
            fetch<QString, bool, int, int, bool>("text", "hexa", "start", "length", "autoPaste");
        Bench b;
        frmSendMessage *dlg = b.openSendMessage();
        QLineEdit *box = dlg->txtString[4];
        box->setText(text);
        if (!hexa)
            dlg->cmdMode[4]->click();
        dlg->chkAutoPaste->setChecked(autoPaste);
        box->setSelection(start, length);
        QTest::mouseRelease(box, Qt::LeftButton);
        QTEST(dlg->txtChecksum->text(), "checksum");
        QTEST(box->text(), "after");
        if (autoPaste && hexa && length > 0)
            QCOMPARE(box->selectionStart() * 100 + box->selectionLength(), (start + length) * 100 + 2);
    }

    void messageApplyAndSaveWriteKeysAndReportFailures()
    {
        Bench b;
        b.w->data().MesgList[0] = MesgRecord{u"hello"_s, u"hi"_s, 1};
        frmSendMessage *dlg = b.openSendMessage();
        QCOMPARE(dlg->cmdBtnNum[0]->toolTip(), u"hello"_s);
        dlg->txtString[1]->setText(u" 41 42 "_s);
        dlg->txtString[0]->clear();
        dlg->chkSTX->setChecked(true);
        dlg->cmdApply->click();
        const QString file = kivotest::listFilePath();
        const QStringList written{ReadIni("MesgString", "String1", file),
                                  ReadIni("MesgString", "String2", file),
                                  ReadIni("MesgMode", "String2", file), ReadIni("MesgString", "STX", file),
                                  ReadIni("MesgString", "CRLF", file)};
        QCOMPARE(written, (QStringList{"", " 41 42 ", "2", "-1", "False"}));
        QVERIFY(!dlg->cmdBtnNum[0]->isEnabled() && dlg->cmdBtnNum[1]->isEnabled());
        QCOMPARE(dlg->cmdBtnNum[1]->toolTip(), QString()); // after Apply: the (empty) description
        dlg->cmdBtnNum[1]->click();
        QCOMPARE(b.sent, bytes("4142"));

        // Hovering row 10 replaces an unsaved edit; Save then writes message 10 trimmed, its lines
        // joined (the list file refused a description on several lines), and memory matches the file.
        dlg->txtDesc->setPlainText(u"lost edit"_s);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(dlg->lblString[9], &enter);
        QCOMPARE(dlg->lblDescTitle->text(), u"String10"_s);
        dlg->txtDesc->setPlainText(u"  first line\nsecond\r\nthird  "_s);
        dlg->cmdSave->click();
        QCOMPARE(ReadIni("MesgDesc", "String10", file), u"first line second third"_s);
        QCOMPARE(b.w->data().MesgList[9].strDesc, u"first line second third"_s);
        QCOMPARE(ReadIni("MesgDesc", "String2", file), QString());
        QCOMPARE(describe(b.log.boxes), QStringList{"Information|" + appTitle() + "|Save Complete!"});

        // A list file that cannot be written: memory changes, and both Save and Apply say it failed.
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"file"_s), {}));
        setListFilePathOverride(dir.filePath(u"file/kivo.ini"_s));
        dlg->txtDesc->setPlainText(u"kept in memory"_s);
        dlg->cmdSave->click();
        dlg->cmdApply->click();
        setListFilePathOverride(file);
        QCOMPARE(b.w->data().MesgList[9].strDesc, u"kept in memory"_s);
        QCOMPARE(b.log.boxes.size(), 3);
        QVERIFY(b.log.boxes[1].icon == QMessageBox::Warning && b.log.boxes[2].icon == QMessageBox::Warning);
    }

    void sendMessageWindowSizesKeysAndSingleInstance()
    {
        Bench b;
        tenMessages(b.w->data());
        QPointer<frmSendMessage> dlg = b.openSendMessage();
        QVERIFY(dlg->isWindow() && !dlg->isModal());
        QCOMPARE(dlg->size(), frmSendMessage::collapsedSize());
        QCOMPARE(dlg->cmdAssign->text(), u"Show Assign (F2)"_s);
        QCOMPARE(dlg->focusWidget(), dlg->cmdBtnNum[0]);
        // The window's size, its Assign button's caption and whether the Assign frame shows.
        const auto layout = [&dlg] {
            return std::tuple(dlg->size(), dlg->cmdAssign->text(), dlg->fraAssign->isVisible());
        };

        QTest::keyClick(dlg->cmdBtnNum[0], Qt::Key_F2);
        QCOMPARE(layout(), std::tuple(frmSendMessage::expandedSize(), u"Hide A&ssign (F2)"_s, true));
        dlg->txtString[0]->setFocus(Qt::TabFocusReason);
        dlg->txtString[0]->setText(u"unapplied"_s);
        QTest::keyClick(dlg->txtString[0], Qt::Key_F2); // F2 works while typing, and sends nothing
        QCOMPARE(layout(), std::tuple(frmSendMessage::collapsedSize(), u"Show A&ssign (F2)"_s, false));
        QCOMPARE(b.sent, QByteArray());

        QCOMPARE(b.openSendMessage(), dlg.data()); // the one window, edits intact
        QCOMPARE(dlg->txtString[0]->text(), u"unapplied"_s);
        QTest::keyClick(dlg->cmdAssign, Qt::Key_Escape);
        QTRY_VERIFY(dlg.isNull());
        QCOMPARE(b.openSendMessage()->txtString[0]->text(), u"m1"_s);
    }

    // Strings longer than a line edit's default limit (32767 characters) must never be cut without
    // a word: not by the stored-string editors' Apply, not by a paste into the send box.
    void editorsApplyStoredStringsWhole_data()
    {
        DataTable<QString> row("section");
        row("function keys", ListFileKeys::FuncString);
        row("repeat list", ListFileKeys::AutoString);
        row("messages", ListFileKeys::MesgString);
    }
    void editorsApplyStoredStringsWhole()
    {
        QFETCH(QString, section);
        const QString kLong = QString(1 << 20, u'x') + u"END"_s;
        QVERIFY(WriteIni(section, ListFileKeys::rowKey(1), kLong, kivotest::listFilePath()));
        Bench b(false);
        b.click("optComm_0"); // enables "Send &Msg..."
        QString shown;
        const auto apply = [&shown](QWidget *dlg) {
            QVERIFY(dlg);
            shown = control<QLineEdit>(*dlg, "txtString_0")->text();
            button(*dlg, "cmdApply")->click();
            dlg->close();
        };
        const AppData &d = b.w->data();
        if (section == ListFileKeys::FuncString) {
            // The key editor is modal: it is worked while its exec() runs.
            QTimer::singleShot(0, this, [&] { apply(QApplication::activeModalWidget()); });
            b.btn("cmdFuncKeySet")->click();
            QCOMPARE(d.FuncKeys[0].String, kLong);
        } else if (section == ListFileKeys::AutoString) {
            b.w->autoRepeat()->cmdEditList_Click();
            apply(topLevel<frmEditList>());
            QCOMPARE(d.RepeatList[0].String, kLong);
        } else {
            apply(b.openSendMessage());
            QCOMPARE(d.MesgList[0].strMesg, kLong);
        }
        QCOMPARE(shown, kLong);
        QVERIFY(b.log.boxes.isEmpty());
        QCOMPARE(ReadIni(section, ListFileKeys::rowKey(1), kivotest::listFilePath()), kLong);
    }

    void longHexPasteIsSentWholeWithItsTrueLength()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        Bench b(false);
        b.w->data().strWinSockIP = u"127.0.0.1"_s;
        b.w->data().strWinSockPort = QString::number(server.serverPort());
        b.click("optComm_0");
        b.btn("cmdMonOn")->click(); // opens the socket
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *peer = server.nextPendingConnection();
        QTRY_VERIFY(b.w->links()->tcpLink().isReady());
        b.click("optFormatHexa");
        const QByteArray wire(40001, '\x41');
        b.box()->setText(QString::fromLatin1(wire.toHex()));
        QCOMPARE(control<QLabel>(*b.w, "lblSendLength")->text(), u"Length 40001"_s);
        b.btn("cmdSend")->click();
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()).size(), wire.size());
        QCOMPARE(got, wire);
    }
};

KIVO_TEST_MAIN(tst_Sending)
#include "tst_Sending.moc"
