#include "FakeIndicator.h"
#include "KivoTest.h"

#include "detect/SettingsFinder.h"
#include "detect/frmFindSettings.h"
#include "monitor/FrameReaders.h"
#include "protocol/FrameReader.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace kivo;
using namespace kivotest;

namespace {

const QByteArray kFrame22 = "ST,GS,01,   12.34 kg\r\n";
const QByteArray kFrame18 = "US,GS,+0012.34kg\r\n";
const QByteArray kFrame10 = "+0012.34\r\n";

// The user's own layout, polled with "P": "W:  12.34 kg" CR LF.
const PatternLayout kPolledPattern{
    PatternLayout::End::CRLF, 0, u"^W:\\s*(?<weight>[-+]?[0-9.]+) (?<unit>kg)$"_s, {}, {}, "P\r\n"};

// "2400 7E1", a try of the search.
LineTry lineOf(const QString &text)
{
    const QList<LineTry> order = SettingsFinder::tryOrder();
    return *std::find_if(order.cbegin(), order.cend(), [&](const LineTry &l) { return l.text() == text; });
}

QList<Framing> framingsOf(const QString &names)
{
    QList<Framing> out;
    for (const QString &name : names.split(u' ', Qt::SkipEmptyParts))
        out << lineOf(u"9600 "_s + name).framing;
    return out;
}

// A short window keeps the 24 tries of a search without a winner to about a second and a half: the
// indicator ticks every 10 ms, so its first frame is in well inside the 60 ms, and a try that read
// one listens 300 ms, time for three answers to requests spaced for 4800 bit/s.
constexpr FinderTiming kQuickTiming{60, 300, 20};

struct Search
{
    FindResult result;
    int reports = 0;
};

Search search(FakeIndicator &port, const std::function<void(SettingsFinder &, int)> &onProgress = {})
{
    SettingsFinder finder(port, kPolledPattern);
    finder.setTiming(kQuickTiming);
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

// The dialog on a scripted indicator; the indicator is kept so the test can look at the port.
struct Rig
{
    FakeIndicator *port = nullptr;
    std::unique_ptr<frmFindSettings> dialog;
    QStringList tries; // lblTry's text at each try, read after the dialog took the report

    explicit Rig(QList<FakeIndicator::Voice> voices)
    {
        dialog = std::make_unique<frmFindSettings>(u"ttyFAKE"_s, PatternLayout{}, nullptr,
                                                   [this, voices](const QString &) {
                                                       auto fake = std::make_unique<FakeIndicator>(voices);
                                                       port = fake.get();
                                                       return fake;
                                                   });
        dialog->finder().setTiming(kQuickTiming);
        QObject::connect(&dialog->finder(), &SettingsFinder::progress, dialog.get(),
                         [this] { tries << dialog->lblTry->text(); });
    }
};

} // namespace

class tst_SettingsFinder : public QObject
{
    Q_OBJECT
private slots:
    void findsTheLineAndLayoutAndStopsThere_data()
    {
        DataTable<QString, QByteArray, QString, int> row("line", "frame", "refused", "mode");
        row("9600 8N1, Orvan 22byte streamed", "9600 8N1", kFrame22, {}, ModeOrvan22);
        row("2400 7E1, AND 18byte", "2400 7E1", kFrame18, {}, ModeAnd18);
        row("57600 7O1, Orvan 10byte", "57600 7O1", kFrame10, {}, ModeOrvan10);
        row("19200 8N1 where 7 data bits are refused", "19200 8N1", kFrame22, "7E1 7O1", ModeOrvan22);
        row("9600 7O1 where 7E1 alone is refused", "9600 7O1", kFrame18, "7E1", ModeAnd18);
        row("4800 8N1, own pattern answering its request", "4800 8N1", "W:  12.34 kg\r\n", {}, ModePattern);
    }
    // The search ends on the try that found the indicator; a refused try is skipped at once.
    void findsTheLineAndLayoutAndStopsThere()
    {
        const auto [lineText, frame, refused, mode] =
            fetch<QString, QByteArray, QString, int>("line", "frame", "refused", "mode");
        const QByteArray request = mode == ModePattern ? kPolledPattern.request : QByteArray();
        const LineTry line = lineOf(lineText);
        FakeIndicator port({{line, frame, request}});
        port.refused = framingsOf(refused);
        const FindResult r = search(port).result;

        QVERIFY(r.found);
        QCOMPARE(r.line.text(), lineText);
        QCOMPARE(r.mode, mode);
        QVERIFY(r.frames >= SettingsFinder::kClearScore);
        QCOMPARE(r.settingsText(), u"%1,%2,%3,1"_s.arg(line.bitRate)
                                       .arg(lineText.at(lineText.size() - 2))
                                       .arg(lineText.at(lineText.size() - 3)));
        QCOMPARE(r.tries.size(), SettingsFinder::tryOrder().indexOf(line) + 1);
        for (const TryRecord &t : r.tries.first(r.tries.size() - 1)) {
            QCOMPARE(t.refused.isEmpty(), !port.refused.contains(t.line.framing));
            QCOMPARE(t.mode, -1);
        }
        QCOMPARE(port.opened.size() + std::count_if(r.tries.cbegin(), r.tries.cend(),
                                                    [](const TryRecord &t) { return !t.refused.isEmpty(); }),
                 r.tries.size());
        QVERIFY(!port.isOpen);
        if (!request.isEmpty())
            QVERIFY2(std::count_if(port.written.cbegin(), port.written.cend(),
                                   [&](const QByteArray &w) { return w.contains(request); }) >=
                         SettingsFinder::kClearScore,
                     "each answer was asked for");
    }

    // A score counts the valid frames less the junk after the first (a cut frame before it is
    // forgiven); a try clear of the rest ends the search, one under half as clear of an earlier try
    // holds it off; without 3 frames anywhere there is no winner. The indicator speaks the 22-byte
    // layout, `limit` frames with `junk` after each, at 9600 8N1, and 3 frames at 4800 8N1
    // when that is to win; noise on every other line.
    void searchOutcomeFollowsTheScores_data()
    {
        DataTable<int, QByteArray, QByteArray, QString, QString, int, double, int, QString> row(
            "limit", "junk", "lead", "refused", "winner", "tries", "score", "mode", "error");
        const int o22 = ModeOrvan22;
        row("clean frames stop at the third", 4, {}, {}, {}, "9600 8N1", 1, 3, o22, {});
        row("a cut frame before the first is forgiven", 4, {}, "2.34 kg\r\n", {}, "9600 8N1", 1, 3, o22, {});
        row("16 junk bytes after each frame cost a frame", 4, "0123456789ABCD\r\n", {}, {}, {}, 24, 0, o22,
            {});
        row("8 junk bytes after each frame cost half", 4, "012345\r\n", {}, {}, {}, 24, 2, o22, {});
        row("one frame at 9600: the 4800 try stops the search", 1, {}, {}, {}, "4800 8N1", 7, 1, o22, {});
        row("two frames at 9600: every line is tried", 2, {}, {}, {}, "4800 8N1", 24, 2, o22, {});
        row("noise on every line", 0, {}, {}, {}, {}, 24, 0, -1, {});
        row("two frames at the best line", 2, {}, {}, {}, {}, 24, 2, o22, {});
        row("every framing refused", 0, {}, {}, "8N1 7E1 7O1", {}, 24, 0, -1,
            "Every try was refused: fake refused 7O1");
    }
    void searchOutcomeFollowsTheScores()
    {
        const auto [limit, junk, lead, refused, winner, tries, score, mode, error] =
            fetch<int, QByteArray, QByteArray, QString, QString, int, double, int, QString>(
                "limit", "junk", "lead", "refused", "winner", "tries", "score", "mode", "error");
        QList<FakeIndicator::Voice> voices{{lineOf(u"9600 8N1"_s), kFrame22 + junk, {}, limit, lead}};
        if (winner == u"4800 8N1"_s)
            voices.append({lineOf(u"4800 8N1"_s), kFrame22, {}, 3});
        FakeIndicator port(voices);
        port.refused = framingsOf(refused);
        const FindResult r = search(port).result;
        QCOMPARE(r.found, !winner.isEmpty());
        QCOMPARE(r.found ? r.line.text() : QString(), winner);
        QVERIFY(!r.cancelled);
        QCOMPARE(r.tries.size(), tries);
        QCOMPARE(r.tries.first().score, score);
        QCOMPARE(r.tries.first().mode, mode);
        QCOMPARE(r.error, error);
        QVERIFY(!port.isOpen);
        if (r.found)
            return;
        QCOMPARE(r.summary(), u"No indicator found"_s);
        for (const TryRecord &t : r.tries)
            QVERIFY2(t.score < SettingsFinder::kClearScore, qPrintable(t.line.text()));
    }

    void cancelOrADyingPortEndsTheSearchOnce_data()
    {
        DataTable<bool, QString, int> row("unplug", "error", "opened");
        row("cancel closes the port", false, {}, 2);
        row("a dying port ends the search with its reason", true, "fake unplugged", 3);
    }
    void cancelOrADyingPortEndsTheSearchOnce()
    {
        QFETCH(bool, unplug);
        FakeIndicator port;
        const Search s = search(port, [&](SettingsFinder &finder, int tryNumber) {
            if (tryNumber == 3 && unplug)
                QTimer::singleShot(30, &port, &FakeIndicator::unplug);
            else if (tryNumber == 3)
                finder.cancel();
        });
        QCOMPARE(s.result.cancelled, !unplug);
        QVERIFY(!s.result.found);
        QTEST(s.result.error, "error");
        QCOMPARE(s.result.tries.size(), 2);
        QVERIFY(!port.isOpen);
        QTest::qWait(300); // the port is not opened again, the end not reported again
        QTEST(int(port.opened.size()), "opened");
        QCOMPARE(s.reports, 1);
    }

    void dialogShowsTheSearchAndItsOutcome_data()
    {
        DataTable<bool, QString, bool> row("speaks", "shown", "apply");
        row("found: the winner and Apply", true, "2400 7E1, AND 18byte (3 frames)", true);
        row("nothing found: Apply stays off", false, "No indicator found", false);
    }
    void dialogShowsTheSearchAndItsOutcome()
    {
        const auto [speaks, shown, apply] = fetch<bool, QString, bool>("speaks", "shown", "apply");
        QList<FakeIndicator::Voice> voices;
        if (speaks)
            voices.append({{2400, Framing::Bits7Even1}, "US,GS,+0012.34kg\r\n"});
        Rig rig(voices);
        QCOMPARE(rig.dialog->windowTitle(), u"Find Settings"_s);
        rig.dialog->show();
        QVERIFY(rig.dialog->cmdCancel->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.dialog->searching() && !rig.tries.isEmpty(), 20000);

        QCOMPARE(rig.tries.first(), u"Try 1 of 24: 9600 8N1"_s);
        QCOMPARE(rig.tries.size() >= 5 ? rig.tries.at(4) : QString(), u"Try 5 of 24: 2400 7E1"_s);
        QCOMPARE(rig.dialog->prgFind->value(), rig.dialog->prgFind->maximum());
        QCOMPARE(rig.dialog->lblResult->text(), shown);
        QCOMPARE(rig.dialog->cmdApply->isEnabled(), apply);
        QCOMPARE(rig.dialog->cmdCancel->text(), u"&Close"_s);
        if (!apply)
            return;
        // What Apply hands over reaches the window's lists (tst_FindSettingsLine).
        QTest::mouseClick(rig.dialog->cmdApply, Qt::LeftButton);
        QCOMPARE(rig.dialog->QDialog::result(), int(QDialog::Accepted));
    }

    void cancelEndsTheSearchAndClosesTheDialog()
    {
        Rig rig({});
        rig.dialog->show();
        QTRY_VERIFY(rig.tries.size() >= 2);
        QVERIFY(rig.dialog->searching());
        QTest::mouseClick(rig.dialog->cmdCancel, Qt::LeftButton);
        QVERIFY(!rig.dialog->isVisible());
        QCOMPARE(rig.dialog->QDialog::result(), int(QDialog::Rejected));
        QVERIFY(!rig.dialog->searching()); // the finder's cancel closes the port (above)
    }
};

KIVO_TEST_MAIN(tst_SettingsFinder)
#include "tst_SettingsFinder.moc"
