#include "DataTable.h"
#include "FakeLink.h"
#include "MainWindow.h"

#include "app/SessionTools.h"
#include "traffic/FindBar.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"
#include "traffic/ViewSearch.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>

using namespace kivo;
using namespace kivotest;
namespace vs = kivo::viewsearch;

namespace {

// The window reading from a fake serial link at once (Recv Delay 0).
struct Bench
{
    Bench()
    {
        choose(*w, "cboDelay", QStringLiteral("0"));
        w->views()->tabPrintSelect->setCurrentIndex(2); // Both
        w->receivePipeline()->setSerialLink(&link);
    }
    void receive(const QByteArray &bytes)
    {
        link.deviceSends(bytes);
        w->views()->commitHeldLines();
    }
    QAction *action(const char *name) const { return w->findChild<QAction *>(QLatin1String(name)); }
    QTextEdit *asc() const { return w->views()->rtfPrintAsc; }
    QTextEdit *hex() const { return w->views()->rtfPrintHex; }

    std::unique_ptr<frmMain> w = openWindow();
    FakeLink link;
};

// The matched text of each match, pieces joined by '|'.
QStringList matchedTexts(const QString &text, vs::Kind kind, const QString &query)
{
    QStringList out;
    for (const vs::Match &m : vs::findAll(text, kind, query)) {
        QStringList pieces;
        for (const vs::Piece &p : m.pieces)
            pieces << text.mid(p.start, p.length);
        out << pieces.join(u'|');
    }
    return out;
}

} // namespace

class tst_ViewTools : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    void searchFollowsTheStreamAcrossLines_data()
    {
        DataTable<int, QString, QString, QStringList> row("kind", "text", "query", "found");
        const int text = int(vs::Kind::Text), hex = int(vs::Kind::Hex);
        const QString ascii = u"RECV : ABCDEFGHIJKLMNOPQRSTUV\nRECV : WXYZ[CRLF]\nRECV : AB[CRLF]\nSEND : CD\n"
                              "RECV : wx\nyz"_s;
        row("across a 22-character break", text, ascii, "uvwx", {"UV|WX"});
        row("never across an end mark", text, ascii, "ZA", {});
        row("never from received into sent", text, ascii, "ABCD", {"ABCD"});
        row("never across an inner break", text, ascii, "xy", {"XY"});
        row("prefixes and marks are not searched", text, ascii, "RECV", {});
        const QString timed = u"12:00:00.000 RECV : 30 30 0D 0A \n12:00:00.100 RECV : 30 0D \n"
                              "12:00:00.200 SEND : 0A 30 "_s;
        row("hex across lines, times skipped", hex, timed, "0a30", {"0A |30", "0A 30"});
        row("hex with blanks, across a break", hex, timed, " 0a 30 0D ", {"0A |30 0D"});
        row("times are not searched", hex, timed, "00", {});
        row("half a pair is no query", hex, timed, "0D0", {});
        row("terminal text as it stands", int(vs::Kind::Terminal), "ab\ncd ab", "AB", {"ab", "ab"});
    }
    void searchFollowsTheStreamAcrossLines()
    {
        const auto [kind, text, query, found] = fetch<int, QString, QString, QStringList>("kind", "text", "query", "found");
        QCOMPARE(matchedTexts(text, vs::Kind(kind), query), found);
    }

    // Ctrl+F's bar: counts, moves round the matches selecting each, searches hex in the hex view,
    // and Esc takes it and its highlights away.
    void findBarWalksTheMatches()
    {
        Bench b;
        b.receive("ST,GS,01,   12.34 kg\r\nST,GS,01,   12.35 kg\r\nST,GS,01,   12.34 kg\r\n");
        b.action("mnuEdit_Find")->trigger();
        FindBar *bar = b.w->sessionTools()->findBar();
        QVERIFY(bar->isVisible());
        auto *query = control<QLineEdit>(*b.w, "txtFind");
        QTest::keyClicks(query, QStringLiteral("12.34"));
        QCOMPARE(control<QLabel>(*b.w, "lblFindCount")->text(), QStringLiteral("1 of 2"));
        QCOMPARE(b.asc()->textCursor().selectedText(), QStringLiteral("12.34"));
        QCOMPARE(b.asc()->extraSelections().size(), 2);
        const int first = b.asc()->textCursor().selectionStart();
        button(*b.w, "cmdFindNext")->click();
        QCOMPARE(control<QLabel>(*b.w, "lblFindCount")->text(), QStringLiteral("2 of 2"));
        QVERIFY(b.asc()->textCursor().selectionStart() > first);
        button(*b.w, "cmdFindNext")->click(); // wraps round
        QCOMPARE(b.asc()->textCursor().selectionStart(), first);
        button(*b.w, "cmdFindPrev")->click();
        QCOMPARE(control<QLabel>(*b.w, "lblFindCount")->text(), QStringLiteral("2 of 2"));

        // In "Both" the view last focused is searched.
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(b.hex(), &focusIn);
        query->setText(QStringLiteral("3335"));
        QCOMPARE(b.hex()->textCursor().selectedText(), QStringLiteral("33 35"));
        QCOMPARE(bar->matchCount(), 1);
        QTest::keyClick(query, Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QVERIFY(b.hex()->extraSelections().isEmpty());
    }

    // Times start the lines while on (stored at shut-down); off, the lines are exactly as without.
    void showTimesStartsLinesWithTheTime()
    {
        {
            Bench b;
            QAction *times = b.action("mnuEdit_ShowTimes");
            QVERIFY(!times->isChecked());
            b.receive("A\r\n");
            times->trigger();
            b.receive("B\r\n");
            times->trigger();
            b.receive("D\r\n");
            const QStringList lines = b.asc()->toPlainText().split(u'\n');
            QCOMPARE(lines.size(), 3);
            QCOMPARE(lines[0], QStringLiteral("RECV : A[CRLF]"));
            QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d RECV : B\\[CRLF\\]$"))
                         .match(lines[1])
                         .hasMatch(),
                     qPrintable(lines[1]));
            QCOMPARE(lines[2], QStringLiteral("RECV : D[CRLF]"));
            QVERIFY(b.hex()->toPlainText().split(u'\n')[1].contains(QLatin1String(" RECV : 42 0D 0A")));
            times->trigger();
            b.w->close();
        }
        Bench again;
        QVERIFY(again.action("mnuEdit_ShowTimes")->isChecked());
    }

    // Save View As writes the view the tab shows: its plain text, or HTML with the colours.
    void savedViewMatchesTheView()
    {
        Bench b;
        b.receive("ST,GS,01,   12.34 kg\r\n");
        b.receive("\x01");
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("v.txt"));
        const QString html = dir.filePath(QStringLiteral("v.html"));
        QVERIFY(b.w->sessionTools()->saveCurrentView(text));
        QVERIFY(b.w->sessionTools()->saveCurrentView(html));
        QFile t(text), h(html);
        QVERIFY(t.open(QIODevice::ReadOnly) && h.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(t.readAll()), b.asc()->toPlainText());
        const QString saved = QString::fromUtf8(h.readAll());
        QVERIFY(saved.contains(QLatin1String("#0000ff")) && saved.contains(QLatin1String("#c0c0c0")));
        QTextEdit back;
        back.setHtml(saved);
        QCOMPARE(back.toPlainText(), b.asc()->toPlainText());

        MessageLog boxes;
        QVERIFY(!b.w->sessionTools()->saveCurrentView(dir.filePath(QStringLiteral("no/such/folder.txt"))));
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes.first().icon, QMessageBox::Warning);
    }

    // A pause freezes all three views while data arrive; on resume they hold exactly what a window
    // that was never paused holds, cut-backs included.
    void pauseAndResumeLoseNothing_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("both") << 2;
        QTest::newRow("terminal") << 3;
    }
    void pauseAndResumeLoseNothing()
    {
        QFETCH(int, tab);
        Bench paused, steady;
        for (Bench *b : {&paused, &steady})
            b->w->views()->tabPrintSelect->setCurrentIndex(tab);
        auto both = [&](const QByteArray &bytes) {
            paused.receive(bytes);
            steady.receive(bytes);
        };
        both("before\r\n");
        auto *pause = control<QToolButton>(*paused.w, "cmdPause");
        pause->click();
        QCOMPARE(pause->text(), QStringLiteral("Resume"));
        const QString frozenAsc = paused.asc()->toHtml();
        const QString frozenHyper = paused.w->views()->rtfHyperView->toPlainText();
        for (int i = 0; i < 700; ++i)
            both(QStringLiteral("line %1 of the pause\r\n").arg(i).toLatin1());
        QCOMPARE(paused.asc()->toHtml(), frozenAsc);
        QCOMPARE(paused.w->views()->rtfHyperView->toPlainText(), frozenHyper);
        QVERIFY(paused.action("mnuEdit_Pause")->isChecked());
        paused.action("mnuEdit_Pause")->trigger(); // Ctrl+Space's action resumes
        QCOMPARE(pause->text(), QStringLiteral("Pause"));
        QCOMPARE(paused.asc()->toHtml(), steady.asc()->toHtml());
        QCOMPARE(paused.hex()->toHtml(), steady.hex()->toHtml());
        QCOMPARE(paused.w->views()->rtfHyperView->toPlainText(), steady.w->views()->rtfHyperView->toPlainText());
        QVERIFY(steady.w->views()->rtfHyperView->toPlainText().contains(QLatin1String("line 699"))
                || steady.asc()->toPlainText().contains(QLatin1String("line 699")));
    }
};

KIVO_TEST_MAIN(tst_ViewTools)
#include "tst_ViewTools.moc"
