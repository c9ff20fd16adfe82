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
    return *std::ranges::find(order, text, &LineTry::text);
}

// A short window keeps the 24 tries of a search without a winner to about a second and a half: the
// indicator ticks every 10 ms, so its first frame is in well inside the 60 ms, and a try that read
// one listens 300 ms, time for three answers to requests spaced for 4800 bit/s.
constexpr FinderTiming kQuickTiming{60, 300, 20};

// Every end of the search the finder reports, until `settle` ms after the first.
QList<FindResult> search(FakeIndicator &port, int settle = 0,
                         const std::function<void(SettingsFinder &, int)> &onProgress = {})
{
    SettingsFinder finder(port, kPolledPattern);
    finder.setTiming(kQuickTiming);
    QList<FindResult> ends;
    QObject::connect(&finder, &SettingsFinder::finished, [&ends](const FindResult &r) { ends << r; });
    if (onProgress)
        QObject::connect(&finder, &SettingsFinder::progress,
                         [&](int tryNumber, int, const LineTry &) { onProgress(finder, tryNumber); });
    finder.start();
    if (!QTest::qWaitFor([&ends] { return !ends.isEmpty(); }, 30000))
        qFatal("the search never finished");
    QTest::qWait(settle);
    return ends;
}

// A search's end as one line: the line found or "none", "cancelled", the tries, the first try's
// score and layout, and the error if any: "none cancelled tries=2 first=0/-1".
QString outcome(const FindResult &r)
{
    QString line;
    QDebug(&line).noquote().nospace()
        << (r.found ? r.line.text() : u"none"_s) << (r.cancelled ? " cancelled" : "")
        << " tries=" << r.tries.size() << " first=" << r.tries.value(0).score << '/' << r.tries.value(0).mode
        << (r.error.isEmpty() ? "" : ": ") << r.error;
    return line;
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
        FakeIndicator port({{line, frame, request}}, refused);
        const FindResult r = search(port).first();

        QVERIFY(r.found);
        QCOMPARE(r.line.text(), lineText);
        QCOMPARE(r.mode, mode);
        QVERIFY(r.frames >= SettingsFinder::kClearScore);
        QCOMPARE(r.settingsText(), u"%1,%2,%3,1"_s.arg(line.bitRate)
                                       .arg(lineText.at(lineText.size() - 2))
                                       .arg(lineText.at(lineText.size() - 3)));
        QCOMPARE(r.tries.size(), SettingsFinder::tryOrder().indexOf(line) + 1);
        for (const TryRecord &t : r.tries.first(r.tries.size() - 1)) {
            QCOMPARE(t.refused.isEmpty(), !port.refused.contains(framingName(t.line.framing)));
            QCOMPARE(t.mode, -1);
        }
        QCOMPARE(port.opened.size(), std::ranges::count_if(r.tries, &QString::isEmpty, &TryRecord::refused));
        QVERIFY(!port.isOpen());
        QVERIFY(request.isEmpty() || port.asked >= SettingsFinder::kClearScore); // each answer was asked for
    }

    // A score counts the valid frames less the junk after the first (a cut frame before it is
    // forgiven); a try clear of the rest ends the search, one under half as clear of an earlier try
    // holds it off; without 3 frames anywhere there is no winner. The indicator speaks the 22-byte
    // layout, `limit` frames with `junk` after each, at 9600 8N1, and 3 frames at 4800 8N1
    // when that is to win; noise on every other line.
    void searchOutcomeFollowsTheScores_data()
    {
        DataTable<int, QByteArray, QByteArray, QString, QString> row("limit", "junk", "lead", "refused",
                                                                     "outcome");
        row("clean frames stop at the third", 4, {}, {}, {}, "9600 8N1 tries=1 first=3/0");
        row("a cut frame before the first is forgiven", 4, {}, "2.34 kg\r\n", {},
            "9600 8N1 tries=1 first=3/0");
        row("16 junk bytes after each frame cost a frame", 4, "0123456789ABCD\r\n", {}, {},
            "none tries=24 first=0/0");
        row("8 junk bytes after each frame cost half", 4, "012345\r\n", {}, {}, "none tries=24 first=2/0");
        row("one frame at 9600: the 4800 try stops the search", 1, {}, {}, {}, "4800 8N1 tries=7 first=1/0");
        row("two frames at 9600: every line is tried", 2, {}, {}, {}, "4800 8N1 tries=24 first=2/0");
        row("noise on every line", 0, {}, {}, {}, "none tries=24 first=0/-1");
        row("two frames at the best line", 2, {}, {}, {}, "none tries=24 first=2/0");
        row("every framing refused", 0, {}, {}, "8N1 7E1 7O1",
            "none tries=24 first=0/-1: Every try was refused: fake refused 7O1");
    }
    void searchOutcomeFollowsTheScores()
    {
        const auto [limit, junk, lead, refused, expected] =
            fetch<int, QByteArray, QByteArray, QString, QString>("limit", "junk", "lead", "refused",
                                                                 "outcome");
        QList<FakeIndicator::Voice> voices{{lineOf(u"9600 8N1"_s), kFrame22 + junk, {}, limit, lead}};
        if (expected.startsWith(u"4800 8N1"_s))
            voices.append({lineOf(u"4800 8N1"_s), kFrame22, {}, 3});
        FakeIndicator port(voices, refused);
        const FindResult r = search(port).first();
        QCOMPARE(outcome(r), expected);
        QVERIFY(!port.isOpen());
        if (r.found)
            return;
        QCOMPARE(r.summary(), u"No indicator found"_s);
        for (const TryRecord &t : r.tries)
            QVERIFY2(t.score < SettingsFinder::kClearScore, qPrintable(t.line.text()));
    }

    void cancelOrADyingPortEndsTheSearchOnce_data()
    {
        DataTable<bool, QString, int> row("unplug", "outcome", "opened");
        row("cancel closes the port", false, "none cancelled tries=2 first=0/-1", 2);
        row("a dying port ends the search with its reason", true, "none tries=2 first=0/-1: fake unplugged",
            3);
    }
    void cancelOrADyingPortEndsTheSearchOnce()
    {
        QFETCH(bool, unplug);
        FakeIndicator port;
        // 300 ms after the end the port is not opened again, the end not reported again.
        const QList<FindResult> ends = search(port, 300, [&](SettingsFinder &finder, int tryNumber) {
            if (tryNumber == 3 && unplug)
                QTimer::singleShot(30, &port, &FakeIndicator::unplug);
            else if (tryNumber == 3)
                finder.cancel();
        });
        QCOMPARE(ends.size(), 1);
        QTEST(outcome(ends[0]), "outcome");
        QVERIFY(!port.isOpen());
        QTEST(int(port.opened.size()), "opened");
    }

    void dialogShowsTheSearchAndItsOutcome_data()
    {
        DataTable<QByteArray, QString, bool> row("frame", "shown", "apply");
        row("found: the winner and Apply", kFrame18, "2400 7E1, AND 18byte (3 frames)", true);
        row("nothing found: Apply stays off", {}, "No indicator found", false);
    }
    // The indicator speaks on 2400 7E1 (sends nothing there without a frame), noise elsewhere.
    void dialogShowsTheSearchAndItsOutcome()
    {
        const auto [frame, shown, apply] = fetch<QByteArray, QString, bool>("frame", "shown", "apply");
        Rig rig({{lineOf(u"2400 7E1"_s), frame}});
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
