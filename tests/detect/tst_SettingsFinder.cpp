#include "FakeIndicator.h"
#include "KivoTest.h"

#include "detect/SettingsFinder.h"
#include "monitor/FrameReaders.h"
#include "protocol/FrameReader.h"

using namespace kivo;
using namespace kivotest;

namespace {

const QByteArray kFrame22 = "ST,GS,01,   12.34 kg\r\n";
const QByteArray kFrame18 = "US,GS,+0012.34kg\r\n";
const QByteArray kFrame10 = "+0012.34\r\n";

// The user's own layout, polled with "P": "W:  12.34 kg" CR LF.
PatternLayout polledPattern()
{
    PatternLayout p;
    p.end = PatternLayout::End::CRLF;
    p.expression = u"^W:\\s*(?<weight>[-+]?[0-9.]+) (?<unit>kg)$"_s;
    p.request = "P\r\n";
    return p;
}

// "2400 7E1".
LineTry lineOf(const QString &text)
{
    const QString framing = text.section(u' ', 1);
    LineTry line{text.section(u' ', 0, 0).toInt(), Framing::Bits8None1};
    for (const Framing f : probeFramings()) {
        if (framingName(f) == framing)
            line.framing = f;
    }
    return line;
}

QList<Framing> framingsOf(const QString &names)
{
    QList<Framing> out;
    for (const QString &name : names.split(u' ', Qt::SkipEmptyParts))
        out << lineOf(u"0 "_s + name).framing;
    return out;
}

// A short window keeps the 24 tries of a search without a winner to a few seconds; the indicator
// ticks every 10 ms, so a window still holds ten frames.
FinderTiming quickTiming()
{
    return {100, 300, 20};
}

struct Search
{
    FindResult result;
    int reports = 0;
};

Search search(FakeIndicator &port, const PatternLayout &pattern = polledPattern(),
              const std::function<void(SettingsFinder &, int)> &onProgress = {})
{
    SettingsFinder finder(port, pattern);
    finder.setTiming(quickTiming());
    Search s;
    QObject::connect(&finder, &SettingsFinder::finished, [&s](const FindResult &r) {
        s.result = r;
        ++s.reports;
    });
    if (onProgress)
        QObject::connect(&finder, &SettingsFinder::progress,
                         [&](int tryNumber, int, const LineTry &) { onProgress(finder, tryNumber); });
    finder.start();
    if (!QTest::qWaitFor([&s] { return s.reports > 0; }, 30000))
        qFatal("the search never finished");
    return s;
}

} // namespace

class tst_SettingsFinder : public QObject
{
    Q_OBJECT
private slots:
    void findsTheLineAndLayoutAndStopsThere_data()
    {
        DataTable<QString, QByteArray, QByteArray, QString, int> row("line", "frame", "request", "refused",
                                                                     "mode");
        row("9600 8N1, Orvan 22byte streamed", "9600 8N1", kFrame22, {}, {}, ModeOrvan22);
        row("2400 7E1, AND 18byte", "2400 7E1", kFrame18, {}, {}, ModeAnd18);
        row("57600 7O1, Orvan 10byte", "57600 7O1", kFrame10, {}, {}, ModeOrvan10);
        row("19200 8N1 where 7 data bits are refused", "19200 8N1", kFrame22, {}, "7E1 7O1", ModeOrvan22);
        row("9600 7O1 where 7E1 alone is refused", "9600 7O1", kFrame18, {}, "7E1", ModeAnd18);
        row("4800 8N1, own pattern answering its request", "4800 8N1", "W:  12.34 kg\r\n", "P\r\n", {},
            ModePattern);
    }
    // The search ends on the try that found the indicator; a refused try is skipped at once.
    void findsTheLineAndLayoutAndStopsThere()
    {
        const auto [lineText, frame, request, refused, mode] =
            fetch<QString, QByteArray, QByteArray, QString, int>("line", "frame", "request", "refused",
                                                                 "mode");
        const LineTry line = lineOf(lineText);
        FakeIndicator port({{line, frame, request}}, 10);
        port.refused = framingsOf(refused);
        const FindResult r = search(port).result;

        QVERIFY(r.found);
        QCOMPARE(r.line.text(), lineText);
        QCOMPARE(r.mode, mode);
        QCOMPARE(r.layoutName, indicatorModeNames().at(mode));
        QVERIFY(r.frames >= SettingsFinder::kClearScore);
        QCOMPARE(r.settingsText(), u"%1,%2,%3,1"_s.arg(line.bitRate)
                                       .arg(lineText.at(lineText.size() - 2))
                                       .arg(lineText.at(lineText.size() - 3)));
        QCOMPARE(r.tries.size(), SettingsFinder::tryOrder().indexOf(line) + 1);
        for (const TryRecord &t : r.tries.first(r.tries.size() - 1)) {
            QCOMPARE(t.refused.isEmpty(), !port.refused.contains(t.line.framing));
            QCOMPARE(t.mode, -1);
        }
        const auto refusedTries = std::count_if(r.tries.cbegin(), r.tries.cend(),
                                                [](const TryRecord &t) { return !t.refused.isEmpty(); });
        QCOMPARE(port.opened.size(), r.tries.size() - refusedTries);
        QVERIFY(!port.isOpen);
        if (!request.isEmpty())
            QVERIFY2(std::count_if(port.written.cbegin(), port.written.cend(),
                                   [&](const QByteArray &w) { return w.contains(request); }) >=
                         SettingsFinder::kClearScore,
                     "each answer was asked for");
    }

    void scoreCountsValidFramesLessJunkAfterTheFirst_data()
    {
        DataTable<QByteArray, QByteArray, double, bool> row("lead", "junk", "score", "found");
        row("clean frames stop at the third", {}, {}, 3, true);
        row("a cut frame before the first is forgiven", "2.34 kg\r\n", {}, 3, true);
        row("16 junk bytes after each frame cost a frame", {}, "0123456789ABCD\r\n", 0, false);
        row("8 junk bytes after each frame cost half", {}, "012345\r\n", 2, false);
    }
    // Four frames of the 22-byte layout on the first try, nothing anywhere else.
    void scoreCountsValidFramesLessJunkAfterTheFirst()
    {
        const auto [lead, junk, score, found] =
            fetch<QByteArray, QByteArray, double, bool>("lead", "junk", "score", "found");
        FakeIndicator port({{lineOf(u"9600 8N1"_s), kFrame22 + junk, {}, 4, lead}}, 10);
        port.silentOffLine = true;
        const FindResult r = search(port).result;
        QCOMPARE(r.tries.first().score, score);
        QCOMPARE(r.tries.first().mode, int(ModeOrvan22));
        QCOMPARE(r.found, found);
    }

    void earlierTryCloseToTheWinnerHoldsOffTheEarlyStop_data()
    {
        DataTable<int, int> row("framesAt9600", "tries");
        row("one frame at 9600: the 4800 try stops the search", 1, 7);
        row("two frames at 9600: every line is tried", 2, 24);
    }
    // 9600 8N1 lets a few frames through, 4800 8N1 three: 4800 wins either way, but it is clear at
    // once only when 9600 scored under half as much.
    void earlierTryCloseToTheWinnerHoldsOffTheEarlyStop()
    {
        const auto [framesAt9600, tries] = fetch<int, int>("framesAt9600", "tries");
        FakeIndicator port(
            {{lineOf(u"9600 8N1"_s), kFrame22, {}, framesAt9600}, {lineOf(u"4800 8N1"_s), kFrame22, {}, 3}},
            10);
        port.silentOffLine = true;
        const FindResult r = search(port).result;
        QVERIFY(r.found);
        QCOMPARE(r.line.text(), u"4800 8N1"_s);
        QCOMPARE(r.tries.size(), tries);
    }

    void noWinnerWithoutEnoughFrames_data()
    {
        DataTable<QString, int, QString> row("refused", "framesAt9600", "error");
        row("noise on every line", {}, 0, {});
        row("two frames at the best line", {}, 2, {});
        row("every framing refused", "8N1 7E1 7O1", 0, "Every try was refused: fake refused 7O1");
    }
    void noWinnerWithoutEnoughFrames()
    {
        const auto [refused, framesAt9600, error] =
            fetch<QString, int, QString>("refused", "framesAt9600", "error");
        FakeIndicator port({{lineOf(u"9600 8N1"_s), kFrame22, {}, framesAt9600}}, 10);
        port.refused = framingsOf(refused);
        const FindResult r = search(port).result;
        QVERIFY(!r.found);
        QVERIFY(!r.cancelled);
        QCOMPARE(r.summary(), u"No indicator found"_s);
        QCOMPARE(r.tries.size(), 24);
        QCOMPARE(r.error, error);
        QVERIFY(!port.isOpen);
        for (const TryRecord &t : r.tries)
            QVERIFY2(t.score < SettingsFinder::kClearScore, qPrintable(t.line.text()));
    }

    void cancelEndsTheSearchAndClosesThePort()
    {
        FakeIndicator port({}, 10);
        const Search s = search(port, polledPattern(), [](SettingsFinder &finder, int tryNumber) {
            if (tryNumber == 3)
                finder.cancel();
        });
        QVERIFY(s.result.cancelled);
        QVERIFY(!s.result.found);
        QCOMPARE(s.result.tries.size(), 2);
        QVERIFY(!port.isOpen);
        QTest::qWait(300);
        QCOMPARE(port.opened.size(), 2);
        QCOMPARE(s.reports, 1);
    }

    void portDyingEndsTheSearchWithItsReason()
    {
        FakeIndicator port({}, 10);
        const Search s = search(port, polledPattern(), [&port](SettingsFinder &, int tryNumber) {
            if (tryNumber == 3)
                QTimer::singleShot(30, &port, &FakeIndicator::unplug);
        });
        QVERIFY(!s.result.found);
        QCOMPARE(s.result.error, u"fake unplugged"_s);
        QCOMPARE(s.result.tries.size(), 2);
        QTest::qWait(200);
        QCOMPARE(port.opened.size(), 3);
    }
};

KIVO_TEST_MAIN(tst_SettingsFinder)
#include "tst_SettingsFinder.moc"
