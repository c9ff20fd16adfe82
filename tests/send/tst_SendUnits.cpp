#include "KivoTest.h"

#include "send/RepeatSchedule.h"
#include "send/SendEncoding.h"

using namespace kivo;
using namespace kivotest;

// The send folder's widget-free rules: encodings, send-box counting, the repeat list and its schedule.
class tst_SendUnits : public QObject
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
        QTEST(HexToBytes(hex), "bytes");
        QTEST(HexToSpaced(hex), "spaced");
        QTEST(int(xorOfHexBytes(hex)), "xorValue");
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
        const CodePage cp(codePage);
        QTEST(AscToHex(text, cp), "hex");
        QCOMPARE(HexToBytes(AscToHex(text, cp)), cp.encode(text));
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
        QTEST(change.sentUnits, "after");
        QTEST(change.unitToSend, "unit");
        QCOMPARE(change.lengthCaption, caption);
        // Message Data form counts and shows the same but never sends.
        QCOMPARE(sendBoxChanged(text, int16_t(format), false, 0).unitToSend, QString());
        QCOMPARE(sendBoxChanged(text, int16_t(format), false, 0).lengthCaption, caption);
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
        const qint64 ms = 1000000;
        RepeatSchedule s(10 * ms);
        // Every send starts 3 ms after its slot: the next slot stays on the 10 ms grid.
        qint64 slot = 0;
        for (int i = 0; i < 1000; ++i)
            slot = s.slotAfter(slot, s.dueNs(slot) + 3 * ms, s.dueNs(slot) + 4 * ms);
        QCOMPARE(slot, 1000);
        QCOMPARE(s.dueNs(slot), 10000 * ms);
        QCOMPARE(s.waitMs(1, 3 * ms), 7);
        QCOMPARE(s.waitMs(1, 9 * ms + 1), 1);
        QCOMPARE(s.waitMs(1, 12 * ms), 0);
    }

    void heldUpSendSkipsPassedSlotsInsteadOfBursting()
    {
        const qint64 ms = 1000000;
        RepeatSchedule s(10 * ms);
        // Held up 2.5 s in the send (a warning box): the slots that passed are dropped.
        QCOMPARE(s.slotAfter(0, 0, 2500 * ms), 250);
        // A timer that fired 200 ms late (the program was not scheduled) is caught up, slot by slot.
        QCOMPARE(s.slotAfter(0, 200 * ms, 201 * ms), 1);
        QCOMPARE(s.waitMs(1, 201 * ms), 0);
        // A delay longer than the hold leaves nothing to skip.
        QCOMPARE(RepeatSchedule(1000 * ms).slotAfter(0, 0, 900 * ms), 1);
    }
};

KIVO_TEST_MAIN(tst_SendUnits)
#include "tst_SendUnits.moc"
