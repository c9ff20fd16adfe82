#include "DataTable.h"
#include "FrameText.h"

#include "protocol/FrameReader.h"
#include "protocol/PatternReader.h"

using namespace Qt::StringLiterals;
using namespace kivo;
using kivotest::DataTable;
using kivotest::fetch;

Q_DECLARE_METATYPE(kivo::PatternLayout)

namespace {

struct Run
{
    QStringList frames;
    qint64 dropped = 0;
};

Run feedPieces(int mode, const PatternLayout &layout, const QList<QByteArray> &pieces)
{
    Run run;
    const std::unique_ptr<FrameReader> reader = makeProtocolReader(mode, layout);
    if (!reader)
        return {{u"no reader"_s}, -1};
    for (const QByteArray &piece : pieces)
        run.dropped +=
            reader->feed(piece, [&run](const ProtocolFrame &f) { run.frames << kivotest::frameText(f); });
    return run;
}

PatternLayout pattern(PatternLayout::End end, const QString &expression, QStringList stableTrue = {},
                      QStringList overloadTrue = {}, int length = 0)
{
    PatternLayout p;
    p.end = end;
    p.expression = expression;
    p.stableTrue = std::move(stableTrue);
    p.overloadTrue = std::move(overloadTrue);
    p.length = length;
    return p;
}

// Toledo frames, STX to CR; the byte after each is its checksum.
const QByteArray kg1250 = "\x02,0 001250000000\r";
const QByteArray lb150 = "\x02*  000150000000\r";
const QByteArray checksumIsStx = "\x02,0 001250999970\r";

// Status, mode, stable and overload flags in a fixed layout of the user's own.
const QString flagged = u"^(?<stable>\\w\\w),(?<overload>\\w\\w),(?<weight>[-+ .0-9]+)(?<unit>[a-z]*)$"_s;

} // namespace

class tst_ProtocolReaders : public QObject
{
    Q_OBJECT
private slots:
    void framesReadAsTheIndicatorShowsThem_data()
    {
        using End = PatternLayout::End;
        DataTable<int, PatternLayout, QByteArray, QStringList, qint64> row("mode", "layout", "stream",
                                                                           "frames", "dropped");
        const auto toledo = [&](const char *tag, const QByteArray &stream, const QStringList &frames,
                                qint64 dropped) { row(tag, ModeToledo, {}, stream, frames, dropped); };
        const QString kg = u"12.50 [12.5] kg ST stable"_s;
        toledo("toledo gross kg, two decimals, checksum", kg1250 + '-', {kg}, 0);
        toledo("toledo net negative in motion", "\x02,; 001250000500\r\x1d", {u"-12.50 [-12.5] kg US net"_s},
               0);
        toledo("toledo lb without decimal point", lb150 + 'A', {u"150 [150] lb ST stable"_s}, 0);
        toledo("toledo grams one decimal", "\x02+ !000305000000\r=", {u"30.5 [30.5] g ST stable"_s}, 0);
        toledo("toledo tonnes three decimals", "\x02-0\"012345000000\r#", {u"12.345 [12.345] t ST stable"_s},
               0);
        toledo("toledo ounces", "\x02,0#000075000000\r&", {u"0.75 [0.75] oz ST stable"_s}, 0);
        toledo("toledo tens keep their zeros", "\x02)0 001230000000\r2", {u"1230 [1230] kg ST stable"_s}, 0);
        toledo("toledo zero keeps its decimals", "\x02,0 000000000000\r5", {u"0.00 [0] kg ST stable"_s}, 0);
        toledo("toledo blanks for leading zeros", "\x02,0   1250000000\rM", {kg}, 0);
        toledo("toledo over capacity", "\x02,4 001250000000\r)", {u"OL [-] kg OL overload"_s}, 0);
        toledo("toledo under capacity", "\x02,6 001250000000\r'", {u"-OL [-] kg OL overload"_s}, 0);
        toledo("toledo parity bit read as data",
               "\x82\xac\x30\xa0\x30\x30\xb1\xb2\x35\x30\x30\x30\x30\x30\x30\x30\x8d\x2d", {kg}, 0);
        toledo("toledo bad checksum dropped", kg1250 + 'X', {u"invalid"_s}, 18);
        toledo("toledo checksum equal to STX", checksumIsStx + '\x02' + kg1250 + '-',
               {u"12.50 [12.5] kg ST stable"_s, kg}, 0);
        toledo("toledo STX after a frame whose checksum would be STX", checksumIsStx + kg1250 + lb150,
               {kg, kg, u"150 [150] lb ST stable"_s}, 0);
        toledo("toledo without checksums a frame goes out at its CR", kg1250 + lb150,
               {kg, u"150 [150] lb ST stable"_s}, 0);
        toledo("toledo with checksums a frame waits for its checksum", kg1250 + '-' + kg1250, {kg}, 0);
        toledo("toledo checksums starting later are not junk", kg1250 + lb150 + 'A' + kg1250 + '-',
               {kg, u"150 [150] lb ST stable"_s, kg}, 0);
        toledo("toledo truncated frame", "\x02,0 0012" + kg1250 + '-', {u"invalid"_s, kg}, 8);
        toledo("toledo garbled digit", "\x02,0 00A250000000\r" + kg1250 + '-', {u"invalid"_s, kg}, 17);
        toledo("toledo junk between frames", "xx\r\n" + kg1250 + "-junk" + kg1250 + '-', {kg, kg}, 8);

        const auto sics = [&](const char *tag, const QByteArray &stream, const QStringList &frames,
                              qint64 dropped) { row(tag, ModeSics, {}, stream, frames, dropped); };
        sics("sics stable", "S S     100.00 g\r\n", {u"100.00 [100] g ST stable"_s}, 0);
        sics("sics dynamic", "S D     129.07 g\r\n", {u"129.07 [129.07] g US"_s}, 0);
        sics("sics negative kg", "S S     -12.34 kg\r\n", {u"-12.34 [-12.34] kg ST stable"_s}, 0);
        sics("sics overload", "S +\r\n", {u"OL [-]  OL overload"_s}, 0);
        sics("sics underload", "S -\r\n", {u"-OL [-]  OL overload"_s}, 0);
        sics("sics busy is no reading", "S I\r\n", {u"invalid"_s}, 5);
        sics("sics error replies", "ES\r\nET\r\nEL\r\n", {u"invalid"_s, u"invalid"_s, u"invalid"_s}, 12);
        sics("sics LF alone, upper-case unit", "S S 1.5 LB\n", {u"1.5 [1.5] lb ST stable"_s}, 0);
        sics("sics other unit kept as sent", "S S     10.000 ct\r\n", {u"10.000 [10] ct ST stable"_s}, 0);
        sics("sics junk and blank lines between replies", "S S  1.00 kg\r\n\r\nnoise\r\nS D  2.00 kg\r\n",
             {u"1.00 [1] kg ST stable"_s, u"invalid"_s, u"2.00 [2] kg US"_s}, 9);
        sics("sics truncated reply", "S S   12S S  1.00 kg\r\n", {u"invalid"_s}, 22);

        const auto nci = [&](const char *tag, const QByteArray &stream, const QStringList &frames,
                             qint64 dropped) { row(tag, ModeNci, {}, stream, frames, dropped); };
        const QString lb15 = u"1.5 [1.5] lb ST stable"_s;
        nci("nci pounds", "\n0001.5LB\r\n00\r\x03", {lb15}, 0);
        nci("nci three status bytes: motion, zero, net", "\n0000.0kg\r\n304\r\x03", {u"0.0 [0] kg US net"_s},
            0);
        nci("nci negative", "\n-012.50KG\r\n00\r\x03", {u"-12.50 [-12.5] kg ST stable"_s}, 0);
        nci("nci blanks and a short unit", "\n  12.5 g\r\n00\r\x03", {u"12.5 [12.5] g ST stable"_s}, 0);
        nci("nci over capacity", "\n^^^^^^^\r\n02\r\x03", {u"OL [-]  OL overload"_s}, 0);
        nci("nci under capacity", "\n_______\r\n01\r\x03", {u"-OL [-]  OL overload"_s}, 0);
        nci("nci parity bit read as data", "\x0a\x30\x30\x30\xb1\x2e\x35\xcc\x42\x8d\x0a\xb1\x30\x8d\x03",
            {u"1.5 [1.5] lb US"_s}, 0);
        nci("nci unknown command", "\n?\r\x03", {u"invalid"_s}, 4);
        nci("nci bad status byte", "\n0001.5LB\r\nA0\r\x03", {u"invalid"_s}, 15);
        nci("nci junk before a reply",
            "xyz\n\r"
            "\n0001.5LB\r\n00\r\x03",
            {lb15}, 5);
        nci("nci replies run together", "\n0001.5LB\r\n00\r\x03\n0001.5LB\r\n00\r\x03", {lb15, lb15}, 0);

        const auto sma = [&](const char *tag, const QByteArray &stream, const QStringList &frames,
                             qint64 dropped) { row(tag, ModeSma, {}, stream, frames, dropped); };
        const QString sma1234 = u"12.34 [12.34] lb ST stable"_s;
        sma("sma gross stable", "\n 1G       12.34lb \r", {sma1234}, 0);
        sma("sma net in motion", "\n 1NM     -3.500kg \r", {u"-3.500 [-3.5] kg US net"_s}, 0);
        sma("sma centre of zero", "\nZ1G       0.000kg \r", {u"0.000 [0] kg ST stable"_s}, 0);
        sma("sma over capacity", "\nO1G  ^^^^^^^^^^lb \r", {u"OL [-] lb OL overload"_s}, 0);
        sma("sma under capacity", "\nU1G  __________lb \r", {u"-OL [-] lb OL overload"_s}, 0);
        sma("sma unit without its blanks", "\n 1G         250g\r", {u"250 [250] g ST stable"_s}, 0);
        sma("sma unknown command", "\n?\r", {u"invalid"_s}, 3);
        sma("sma bad motion character", "\n 1GX      12.34lb \r", {u"invalid"_s}, 20);
        sma("sma zero error without number", "\nE1G  ----------kg \r", {u"invalid"_s}, 20);
        sma("sma junk between replies", "##\n 1G       12.34lb \r\r\n~~\n 1G       12.34lb \r",
            {sma1234, sma1234}, 6);

        const PatternLayout crFlags = pattern(End::CR, flagged, {u"ST"_s}, {u"OL"_s});
        row("pattern CR, true values", ModePattern, crFlags,
            "ST,OK,+0012.50kg\r\nUS,OK,  1.0kg\rST,OL,99.9kg\r",
            {u"+0012.50 [12.5] kg ST stable"_s, u"1.0 [1] kg US"_s, u"99.9 [99.9] kg OL overload"_s},
            0);
        row("pattern LF", ModePattern, pattern(End::LF, flagged, {u"ST"_s}, {u"OL"_s}), "\rST,OK,5kg\n",
            {u"5 [5] kg ST stable"_s}, 0);
        row("pattern CR LF keeps a lone CR", ModePattern, pattern(End::CRLF, flagged, {u"ST"_s}, {u"OL"_s}),
            "ST,OK,5\rkg\r\nST,OK,5kg\r\n", {u"invalid"_s, u"5 [5] kg ST stable"_s}, 12);
        row("pattern ETX after STX", ModePattern, pattern(End::ETX, flagged, {u"ST"_s}, {u"OL"_s}),
            "\x02ST,OK,5kg\x03", {u"5 [5] kg ST stable"_s}, 0);
        row("pattern fixed length keeps every byte", ModePattern,
            pattern(End::Length, u"^(?<weight>[-+0-9.]{8})$"_s, {}, {}, 8), "+0012.50-0000.10",
            {u"+0012.50 [12.5]  US"_s, u"-0000.10 [-0.1]  US"_s}, 0);
        row("pattern flags with no true values mean matched", ModePattern,
            pattern(End::CR, u"(?<weight>[0-9.]+)(?:,(?<stable>S))?(?:,(?<overload>O))?"_s),
            "1.5,S\r1.5\r1.5,O\r",
            {u"1.5 [1.5]  ST stable"_s, u"1.5 [1.5]  US"_s, u"1.5 [1.5]  OL overload"_s}, 0);
        row("pattern empty weight or no match is invalid", ModePattern,
            pattern(End::CR, u"(?<weight>[0-9]*)x"_s), "x\r\ry\r7x\r",
            {u"invalid"_s, u"invalid"_s, u"7 [7]  US"_s}, 5);
    }
    void framesReadAsTheIndicatorShowsThem()
    {
        const auto [mode, layout, stream] = fetch<int, PatternLayout, QByteArray>("mode", "layout", "stream");
        const Run run = feedPieces(mode, layout, {stream});
        QTEST(run.frames, "frames");
        QTEST(run.dropped, "dropped");
    }

    // Reads may end anywhere: in two pieces cut at every place, and byte by byte, every stream of
    // the table gives the same frames and drops the same bytes as in one piece.
    void framesSplitAnywhereReadTheSame_data() { framesReadAsTheIndicatorShowsThem_data(); }
    void framesSplitAnywhereReadTheSame()
    {
        const auto [mode, layout, stream] = fetch<int, PatternLayout, QByteArray>("mode", "layout", "stream");
        const Run whole = feedPieces(mode, layout, {stream});
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            const Run split = feedPieces(mode, layout, {stream.left(cut), stream.mid(cut)});
            QVERIFY2(split.frames == whole.frames && split.dropped == whole.dropped,
                     qPrintable(u"cut at %1"_s.arg(cut)));
        }
        QList<QByteArray> bytes;
        for (const char byte : stream)
            bytes << QByteArray(1, byte);
        const Run single = feedPieces(mode, layout, bytes);
        QCOMPARE(single.frames, whole.frames);
        QCOMPARE(single.dropped, whole.dropped);
    }

    void junkWithoutFrameEndIsDroppedAsItComes_data()
    {
        DataTable<int, PatternLayout, QByteArray> row("mode", "layout", "frame");
        row("toledo", ModeToledo, {}, kg1250 + '-');
        row("sics", ModeSics, {}, "\r\nS S  1.00 kg\r\n");
        row("nci", ModeNci, {}, "\n0001.5LB\r\n00\r\x03");
        row("sma", ModeSma, {}, "\n 1G       12.34lb \r");
        row("pattern", ModePattern, pattern(PatternLayout::End::CRLF, u"(?<weight>[0-9.]+)"_s),
            "\r\n1.00\r\n");
    }
    // A line that never ends must not pile up: its bytes are counted as dropped while they come,
    // and a frame after them still reads (after the junk's own line end, for line layouts).
    void junkWithoutFrameEndIsDroppedAsItComes()
    {
        const auto [mode, layout, frame] = fetch<int, PatternLayout, QByteArray>("mode", "layout", "frame");
        const std::unique_ptr<FrameReader> reader = makeProtocolReader(mode, layout);
        QVERIFY(reader);
        const QByteArray junk(100000, 'x');
        QVERIFY(reader->feed(junk, {}) >= junk.size() - PatternReader::kLongestFrame);
        QStringList frames;
        reader->feed(frame, [&frames](const ProtocolFrame &f) { frames << kivotest::frameText(f); });
        QVERIFY(!frames.isEmpty());
        QVERIFY2(frames.last() != u"invalid"_s, qPrintable(frames.last()));
    }

    void resetForgetsAnUnfinishedFrame_data()
    {
        DataTable<int, QByteArray, QByteArray> row("mode", "begun", "frame");
        row("toledo", ModeToledo, "\x02,0 0012", kg1250 + '-');
        row("sics", ModeSics, "S S  9", "S S  1.00 kg\r\n");
        row("nci", ModeNci, "\n12", "\n0001.5LB\r\n00\r\x03");
        row("sma", ModeSma, "\n 1G  ", "\n 1G       12.34lb \r");
    }
    void resetForgetsAnUnfinishedFrame()
    {
        const auto [mode, begun, frame] = fetch<int, QByteArray, QByteArray>("mode", "begun", "frame");
        const std::unique_ptr<FrameReader> reader = makeProtocolReader(mode);
        QStringList frames;
        reader->feed(begun, {});
        reader->reset();
        QCOMPARE(reader->feed(frame, [&frames](const ProtocolFrame &f) { frames << kivotest::frameText(f); }),
                 0);
        QCOMPARE(frames.size(), 1);
        QVERIFY(frames.first() != u"invalid"_s);
    }

    void patternProblemSaysWhatIsWrong_data()
    {
        using End = PatternLayout::End;
        DataTable<PatternLayout, QString> row("layout", "problem");
        row("empty", pattern(End::CR, {}), u"The expression is empty."_s);
        row("not valid", pattern(End::CR, u"(?<weight>[0-9]+"_s),
            u"The expression is not valid: missing closing parenthesis (at character 17)."_s);
        row("no weight group", pattern(End::CR, u"([0-9]+)(?<unit>kg)"_s),
            u"The expression has no group named \"weight\": write (?<weight>...)."_s);
        row("length 0", pattern(End::Length, u"(?<weight>.+)"_s, {}, {}, 0),
            u"A fixed frame length must be 1 to 1024 bytes."_s);
        row("length too long", pattern(End::Length, u"(?<weight>.+)"_s, {}, {}, 1025),
            u"A fixed frame length must be 1 to 1024 bytes."_s);
        row("length ignored for a line end", pattern(End::CRLF, u"(?<weight>.+)"_s, {}, {}, 0), QString());
        row("longest length", pattern(End::Length, u"(?<weight>.+)"_s, {}, {}, 1024), QString());
    }
    // A layout with a problem gives no reader at all, so a bad pattern can never read frames.
    void patternProblemSaysWhatIsWrong()
    {
        const auto [layout, problem] = fetch<PatternLayout, QString>("layout", "problem");
        QCOMPARE(layout.problem(), problem);
        QCOMPARE(makeProtocolReader(ModePattern, layout) == nullptr, !problem.isEmpty());
    }
};
QTEST_GUILESS_MAIN(tst_ProtocolReaders)
#include "tst_ProtocolReaders.moc"
