#include "DataTable.h"
#include "FrameText.h"

#include "protocol/FrameReader.h"
#include "protocol/PatternReader.h"

using namespace Qt::StringLiterals;
using namespace kivo;
using namespace kivotest;

Q_DECLARE_METATYPE(kivo::PatternLayout)

namespace {

using End = PatternLayout::End;

struct Run
{
    QStringList frames;
    qint64 dropped = 0;
    bool operator==(const Run &) const = default;
};

Run feedPieces(int mode, const PatternLayout &layout, const QList<QByteArray> &pieces)
{
    Run run;
    const std::unique_ptr<FrameReader> reader = makeProtocolReader(mode, layout);
    if (!reader)
        return {{u"no reader"_s}, -1};
    for (const QByteArray &piece : pieces)
        run.frames << readFrames(*reader, piece, &run.dropped);
    return run;
}

// Toledo frames, STX to CR; the byte after each is its checksum.
const QByteArray kg1250 = "\x02,0 001250000000\r";
const QByteArray lb150 = "\x02*  000150000000\r";
const QByteArray checksumIsStx = "\x02,0 001250999970\r";

// Stable and overload flags, weight and unit in a layout of the user's own, "ST" and "OL" set.
PatternLayout flagged(End end)
{
    const QString expression =
        u"^(?<stable>\\w\\w),(?<overload>\\w\\w),(?<weight>[-+ .0-9]+)(?<unit>[a-z]*)$"_s;
    return {end, 0, expression, {u"ST"_s}, {u"OL"_s}};
}

} // namespace

class tst_ProtocolReaders : public QObject
{
    Q_OBJECT
private slots:
    void framesReadAsTheIndicatorShowsThem_data()
    {
        DataTable<int, PatternLayout, QByteArray, QStringList, qint64> row("mode", "layout", "stream",
                                                                           "frames", "dropped");
        // One row of a protocol: its tag starts with the protocol's name, and no byte is dropped
        // unless said.
        const auto reads = [&row](int mode, const QString &name) {
            return [&row, mode, name](const QString &tag, const QByteArray &stream, const QStringList &frames,
                                      qint64 dropped = 0) {
                row(name + u' ' + tag, mode, {}, stream, frames, dropped);
            };
        };
        const auto toledo = reads(ModeToledo, u"toledo"_s), sics = reads(ModeSics, u"sics"_s),
                   nci = reads(ModeNci, u"nci"_s), sma = reads(ModeSma, u"sma"_s);
        const QString kg = u"12.50 [12.5] kg ST stable"_s;
        toledo("gross kg, two decimals, checksum", kg1250 + '-', {kg});
        toledo("net negative in motion", "\x02,; 001250000500\r\x1d", {"-12.50 [-12.5] kg US net"});
        toledo("lb without decimal point", lb150 + 'A', {"150 [150] lb ST stable"});
        toledo("grams one decimal", "\x02+ !000305000000\r=", {"30.5 [30.5] g ST stable"});
        toledo("tonnes three decimals", "\x02-0\"012345000000\r#", {"12.345 [12.345] t ST stable"});
        toledo("ounces", "\x02,0#000075000000\r&", {"0.75 [0.75] oz ST stable"});
        toledo("tens keep their zeros", "\x02)0 001230000000\r2", {"1230 [1230] kg ST stable"});
        toledo("zero keeps its decimals", "\x02,0 000000000000\r5", {"0.00 [0] kg ST stable"});
        toledo("blanks for leading zeros", "\x02,0   1250000000\rM", {kg});
        toledo("over capacity", "\x02,4 001250000000\r)", {"OL [-] kg OL overload"});
        toledo("under capacity", "\x02,6 001250000000\r'", {"-OL [-] kg OL overload"});
        toledo("parity bit read as data",
               "\x82\xac\x30\xa0\x30\x30\xb1\xb2\x35\x30\x30\x30\x30\x30\x30\x30\x8d\x2d", {kg});
        toledo("bad checksum dropped", kg1250 + 'X', {"invalid"}, 18);
        toledo("checksum equal to STX", checksumIsStx + '\x02' + kg1250 + '-',
               {"12.50 [12.5] kg ST stable", kg});
        toledo("STX after a frame whose checksum would be STX", checksumIsStx + kg1250 + lb150,
               {kg, kg, "150 [150] lb ST stable"});
        toledo("without checksums a frame goes out at its CR", kg1250 + lb150,
               {kg, "150 [150] lb ST stable"});
        toledo("with checksums a frame waits for its checksum", kg1250 + '-' + kg1250, {kg});
        toledo("checksums starting later are not junk", kg1250 + lb150 + 'A' + kg1250 + '-',
               {kg, "150 [150] lb ST stable", kg});
        toledo("truncated frame", "\x02,0 0012" + kg1250 + '-', {"invalid", kg}, 8);
        toledo("garbled digit", "\x02,0 00A250000000\r" + kg1250 + '-', {"invalid", kg}, 17);
        toledo("junk between frames", "xx\r\n" + kg1250 + "-junk" + kg1250 + '-', {kg, kg}, 8);

        sics("stable", "S S     100.00 g\r\n", {"100.00 [100] g ST stable"});
        sics("dynamic", "S D     129.07 g\r\n", {"129.07 [129.07] g US"});
        sics("negative kg", "S S     -12.34 kg\r\n", {"-12.34 [-12.34] kg ST stable"});
        sics("overload", "S +\r\n", {"OL [-]  OL overload"});
        sics("underload", "S -\r\n", {"-OL [-]  OL overload"});
        sics("busy is no reading", "S I\r\n", {"invalid"}, 5);
        sics("error replies", "ES\r\nET\r\nEL\r\n", {"invalid", "invalid", "invalid"}, 12);
        sics("LF alone, upper-case unit", "S S 1.5 LB\n", {"1.5 [1.5] lb ST stable"});
        sics("other unit kept as sent", "S S     10.000 ct\r\n", {"10.000 [10] ct ST stable"});
        sics("junk and blank lines between replies", "S S  1.00 kg\r\n\r\nnoise\r\nS D  2.00 kg\r\n",
             {"1.00 [1] kg ST stable", "invalid", "2.00 [2] kg US"}, 9);
        sics("truncated reply", "S S   12S S  1.00 kg\r\n", {"invalid"}, 22);

        const QString lb15 = u"1.5 [1.5] lb ST stable"_s;
        nci("pounds", "\n0001.5LB\r\n00\r\x03", {lb15});
        nci("three status bytes: motion, zero, net", "\n0000.0kg\r\n304\r\x03", {"0.0 [0] kg US net"});
        nci("negative", "\n-012.50KG\r\n00\r\x03", {"-12.50 [-12.5] kg ST stable"});
        nci("blanks and a short unit", "\n  12.5 g\r\n00\r\x03", {"12.5 [12.5] g ST stable"});
        nci("over capacity", "\n^^^^^^^\r\n02\r\x03", {"OL [-]  OL overload"});
        nci("under capacity", "\n_______\r\n01\r\x03", {"-OL [-]  OL overload"});
        nci("parity bit read as data", "\x0a\x30\x30\x30\xb1\x2e\x35\xcc\x42\x8d\x0a\xb1\x30\x8d\x03",
            {"1.5 [1.5] lb US"});
        nci("unknown command", "\n?\r\x03", {"invalid"}, 4);
        nci("bad status byte", "\n0001.5LB\r\nA0\r\x03", {"invalid"}, 15);
        nci("junk before a reply",
            "xyz\n\r"
            "\n0001.5LB\r\n00\r\x03",
            {lb15}, 5);
        nci("replies run together", "\n0001.5LB\r\n00\r\x03\n0001.5LB\r\n00\r\x03", {lb15, lb15});

        const QString sma1234 = u"12.34 [12.34] lb ST stable"_s;
        sma("gross stable", "\n 1G       12.34lb \r", {sma1234});
        sma("net in motion", "\n 1NM     -3.500kg \r", {"-3.500 [-3.5] kg US net"});
        sma("centre of zero", "\nZ1G       0.000kg \r", {"0.000 [0] kg ST stable"});
        sma("over capacity", "\nO1G  ^^^^^^^^^^lb \r", {"OL [-] lb OL overload"});
        sma("under capacity", "\nU1G  __________lb \r", {"-OL [-] lb OL overload"});
        sma("unit without its blanks", "\n 1G         250g\r", {"250 [250] g ST stable"});
        sma("unknown command", "\n?\r", {"invalid"}, 3);
        sma("bad motion character", "\n 1GX      12.34lb \r", {"invalid"}, 20);
        sma("zero error without number", "\nE1G  ----------kg \r", {"invalid"}, 20);
        sma("junk between replies", "##\n 1G       12.34lb \r\r\n~~\n 1G       12.34lb \r",
            {sma1234, sma1234}, 6);

        row("pattern CR, true values", ModePattern, flagged(End::CR),
            "ST,OK,+0012.50kg\r\nUS,OK,  1.0kg\rST,OL,99.9kg\r",
            {"+0012.50 [12.5] kg ST stable", "1.0 [1] kg US", "99.9 [99.9] kg OL overload"}, 0);
        row("pattern LF", ModePattern, flagged(End::LF), "\rST,OK,5kg\n", {"5 [5] kg ST stable"}, 0);
        row("pattern CR LF keeps a lone CR", ModePattern, flagged(End::CRLF), "ST,OK,5\rkg\r\nST,OK,5kg\r\n",
            {"invalid", "5 [5] kg ST stable"}, 12);
        row("pattern ETX after STX", ModePattern, flagged(End::ETX), "\x02ST,OK,5kg\x03",
            {"5 [5] kg ST stable"}, 0);
        row("pattern fixed length keeps every byte", ModePattern,
            {End::Length, 8, "^(?<weight>[-+0-9.]{8})$"}, "+0012.50-0000.10",
            {"+0012.50 [12.5]  US", "-0000.10 [-0.1]  US"}, 0);
        row("pattern flags with no true values mean matched", ModePattern,
            {End::CR, 0, "(?<weight>[0-9.]+)(?:,(?<stable>S))?(?:,(?<overload>O))?"}, "1.5,S\r1.5\r1.5,O\r",
            {"1.5 [1.5]  ST stable", "1.5 [1.5]  US", "1.5 [1.5]  OL overload"}, 0);
        row("pattern empty weight or no match is invalid", ModePattern, {End::CR, 0, "(?<weight>[0-9]*)x"},
            "x\r\ry\r7x\r", {"invalid", "invalid", "7 [7]  US"}, 5);
    }
    // Reads may end anywhere: in two pieces cut at every place, and byte by byte, every stream
    // gives the same frames and drops the same bytes as in one piece.
    void framesReadAsTheIndicatorShowsThem()
    {
        const auto [mode, layout, stream] = fetch<int, PatternLayout, QByteArray>("mode", "layout", "stream");
        const Run whole = feedPieces(mode, layout, {stream});
        QTEST(whole.frames, "frames");
        QTEST(whole.dropped, "dropped");
        QList<QByteArray> bytes;
        for (qsizetype cut = 1; cut < stream.size(); ++cut) {
            bytes << stream.mid(cut - 1, 1);
            QVERIFY2(feedPieces(mode, layout, {stream.left(cut), stream.mid(cut)}) == whole,
                     qPrintable(u"cut at %1"_s.arg(cut)));
        }
        QVERIFY(feedPieces(mode, layout, bytes << stream.right(1)) == whole);
    }

    void unfinishedFrameIsForgottenAtResetOrDroppedAsItComes_data()
    {
        DataTable<int, PatternLayout, QByteArray, QByteArray, QByteArray> row("mode", "layout", "begun",
                                                                              "lineEnd", "frame");
        row("toledo", ModeToledo, {}, "\x02,0 0012", {}, kg1250 + '-');
        row("sics", ModeSics, {}, "S S  9", "\r\n", "S S  1.00 kg\r\n");
        row("nci", ModeNci, {}, "\n12", {}, "\n0001.5LB\r\n00\r\x03");
        row("sma", ModeSma, {}, "\n 1G  ", {}, "\n 1G       12.34lb \r");
        row("pattern", ModePattern, {End::CRLF, 0, "^(?<weight>[0-9.]+)$"}, "x", "\r\n", "1.00\r\n");
    }
    // A frame begun before a reset is forgotten: the frame after it reads whole, nothing dropped.
    // A line that never ends must not pile up: its bytes are counted as dropped while they come,
    // and a frame after them still reads (after the junk's own line end, for line layouts).
    void unfinishedFrameIsForgottenAtResetOrDroppedAsItComes()
    {
        const auto [mode, layout, begun, lineEnd, frame] =
            fetch<int, PatternLayout, QByteArray, QByteArray, QByteArray>("mode", "layout", "begun",
                                                                          "lineEnd", "frame");
        const QString read = feedPieces(mode, layout, {frame}).frames.value(0);
        QVERIFY2(read != u"invalid"_s, qPrintable(read));
        const std::unique_ptr<FrameReader> reader = makeProtocolReader(mode, layout);
        QVERIFY(reader);
        reader->feed(begun, {});
        reader->reset();
        qint64 dropped = 0;
        QCOMPARE(readFrames(*reader, frame, &dropped), QStringList{read});
        QCOMPARE(dropped, 0);
        const QByteArray junk(100000, 'x');
        QVERIFY(reader->feed(junk, {}) >= junk.size() - PatternReader::kLongestFrame);
        QVERIFY(readFrames(*reader, lineEnd + frame).endsWith(read));
    }

    void patternProblemSaysWhatIsWrong_data()
    {
        DataTable<PatternLayout, QString> row("layout", "problem");
        row("empty", {End::CR}, "The expression is empty.");
        row("not valid", {End::CR, 0, "(?<weight>[0-9]+"},
            "The expression is not valid: missing closing parenthesis (at character 17).");
        row("no weight group", {End::CR, 0, "([0-9]+)(?<unit>kg)"},
            "The expression has no group named \"weight\": write (?<weight>...).");
        row("length 0", {End::Length, 0, "(?<weight>.+)"}, "A fixed frame length must be 1 to 1024 bytes.");
        row("length too long", {End::Length, 1025, "(?<weight>.+)"},
            "A fixed frame length must be 1 to 1024 bytes.");
        row("length ignored for a line end", {End::CRLF, 0, "(?<weight>.+)"}, {});
        row("longest length", {End::Length, 1024, "(?<weight>.+)"}, {});
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
