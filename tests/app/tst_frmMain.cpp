#include "MainWindow.h"

#include "app/Layout.h"
#include "traffic/SplitterBar.h"
#include "traffic/TrafficViews.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <limits>

using namespace kivo;
using namespace kivotest;

namespace {

QComboBox *combo(const QObject &w, const char *name)
{
    return control<QComboBox>(w, name);
}

// The lists whose choices the window keeps.
const char *const kLists[] = {"cboParity", "cboDataBit",   "cboStopBit", "cboBps",
                              "cboDelay",  "cboDelayTime", "cboCount"};

// The window's choices as one line: the lists' texts, the checked option buttons, the tab and the
// split position.
QString choices(frmMain &w)
{
    QStringList out;
    for (const char *name : kLists)
        out << combo(w, name)->currentText();
    for (const QRadioButton *option : w.findChildren<QRadioButton *>())
        if (option->isChecked())
            out << option->objectName();
    return out.join(u' ') + u" tab%1 split%2"_s.arg(int(w.views()->selectedTab())).arg(w.splitPos());
}

// A fresh install's choices, with the parity's and the bit rate's texts in place of %1 and %2.
const QString kFreshChoices =
    u"%1 8 1 %2 0.03 0.01 Endless optComm_1 optFormatAscii optFormMsg tab1 split0"_s;

void sendMouse(QWidget *w, QEvent::Type type, int x, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(x, 5), w->mapToGlobal(QPointF(x, 5)), Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetStores(); }

    void freshInstallStartsWithDesignDefaults()
    {
        auto w = openWindow();
        QCOMPARE(w->windowTitle(), u"Kivo v0.992"_s);
        const QList<QSize> iconSizes = w->windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)));
        QCOMPARE(choices(*w), kFreshChoices.arg(u"N"_s, u"9600"_s));
        QCOMPARE(combo(*w, "cboDelayTime")->itemText(9) + ' ' + combo(*w, "cboDelayTime")->itemText(37),
                 u"0.1 20"_s);
        // The bit rate and receive delay lists are pinned whole by tst_CommandLine.
        QCOMPARE((QList<int>{combo(*w, "cboDelayTime")->count(), combo(*w, "cboCount")->count()}),
                 (QList<int>{38, 13}));
        for (int k = 0; k < 4; ++k) {
            QPushButton *key = button(*w, qPrintable(u"cmdFuncKey_%1"_s.arg(k)));
            QVERIFY(key->text() == u"FUNC%1"_s.arg(k + 1) && !key->isEnabled());
        }
    }

    void choicesSurviveShutDownAndRestart()
    {
        {
            auto w = openWindow();
            const int chosen[std::size(kLists)] = {4, 3, 1, 13, 0, 20, 5};
            for (size_t i = 0; i < std::size(kLists); ++i)
                combo(*w, kLists[i])->setCurrentIndex(chosen[i]);
            for (const char *option : {"optFormatHexa", "optFormByte", "optComm_0"})
                control<QRadioButton>(*w, option)->click();
            control<QTabBar>(*w, "tabPrintSelect")->setCurrentIndex(2);
            w->SizeControls(4005.0f);
            w->close();
        }
        auto w = openWindow();
        QCOMPARE(choices(*w), u"S 5 1.5 256000 0 3 500 optComm_0 optFormatHexa optFormByte tab3 split4005"_s);
        // TCP/IP chosen: Connect off, the send controls usable.
        QVERIFY(!button(*w, "cmdConnect")->isEnabled() && button(*w, "cmdSend")->isEnabled());
    }

    void corruptStoreAndListFileStartNormally_data()
    {
        DataTable<QByteArray, QByteArray, QString, QString> row("store", "listFile", "parity", "bps");
        row("non-numbers", "[Setting]\nParity=abc\nBps=\nViewMode=x\nSplitPos=zz\n",
            "[FuncSendEnable]\r\nString1=yes\r\n[FuncString]\r\nSTX=maybe\r\n", {}, {});
        row("out of range", "[Setting]\nParity=9\nBps=-4\nViewMode=7\nDelayCount=99\n",
            "[FuncSendEnable]\r\nString1=99999999\r\n", {}, {});
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) & 0xFF);
        row("binary garbage", garbage, garbage, "N", "9600");
        row("10 MB line", "[Setting]\nParity=" + QByteArray(10 << 20, '7'),
            "[AutoString]\r\nString1=" + QByteArray(10 << 20, 'A'), {}, "9600");
    }
    void corruptStoreAndListFileStartNormally()
    {
        const auto [store, listFile, parity, bps] =
            fetch<QByteArray, QByteArray, QString, QString>("store", "listFile", "parity", "bps");
        QVERIFY(writeFile(sandboxDir() + u"/config/Kivo/Kivo.conf"_s, store) &&
                writeFile(kivotest::listFilePath(), listFile));

        auto w = openWindow();
        // An unusable stored index leaves its list as the fixed fill left it: no selection (no text),
        // except the lists that start with one.
        QCOMPARE(choices(*w), kFreshChoices.arg(parity, bps));
        QVERIFY(!w->data().FuncSTX);
    }

    void storedFunctionKeysApplyCaptionAndEnabledState()
    {
        writeListFile("[FuncKeyCap]\r\nString1=ZERO\r\n[FuncSendEnable]\r\nString1=1\r\n"
                      "String2=1\r\n[FuncString]\r\nSTX=-1\r\n[AutoString]\r\n"
                      "CRLF=True\r\n[MesgString]\r\nSTX=1\r\n");
        auto w = openWindow();
        const auto key = [&w](int k) { return button(*w, qPrintable(u"cmdFuncKey_%1"_s.arg(k))); };
        // An empty stored caption keeps the design caption; Enabled still decides.
        QCOMPARE(key(0)->text() + ' ' + key(1)->text(), u"ZERO FUNC2"_s);
        QVERIFY(key(0)->isEnabled() && key(1)->isEnabled() && !key(2)->isEnabled());
        // Only -1 switches an STX option on.
        QVERIFY(w->data().FuncSTX && w->data().AutoCRLF && !w->data().bMesgSTX);
    }

    void menusCopyButtonStatesWhenOpened()
    {
        auto w = openWindow();
        // Whether Connect, Disconnect and Send are enabled, after opening both menus when asked.
        const auto enabled = [&w](bool open) {
            for (const char *menu : {"mnuFile", "mnuEdit"})
                if (open)
                    emit control<QMenu>(*w, menu)->aboutToShow();
            QList<bool> on;
            for (const char *name : {"mnuFile_Connect", "mnuFile_Disconnect", "mnuEdit_SendMsg"})
                on << control<QAction>(*w, name)->isEnabled();
            return on;
        };
        QCOMPARE(enabled(true), (QList<bool>{true, false, false}));

        // The items follow the buttons only when their menu opens.
        button(*w, "cmdConnect")->setEnabled(false);
        button(*w, "cmdDisconnect")->setEnabled(true);
        w->SetSendEnabled(true);
        QCOMPARE(enabled(false), (QList<bool>{true, false, false}));
        QCOMPARE(enabled(true), (QList<bool>{false, true, true}));

        QVERIFY(!control<QMenu>(*w, "mnuTools")->menuAction()->isEnabled());
        QStringList captions;
        for (QAction *a : w->menuBar()->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"&File", "&Edit", "&View", "&Tools", "&Help"}));
    }

    void splitterDragIsLimitedAndRemembered()
    {
        auto w = openWindow();
        w->resize(800, 600);
        control<QTabBar>(*w, "tabPrintSelect")->setCurrentIndex(2);
        auto *bar = control<SplitterBar>(*w, "picSize");
        QVERIFY(bar->isVisible());
        const int barLeft = bar->x();

        auto *splitter = control<QFrame>(*w, "picSplitter");
        sendMouse(bar, QEvent::MouseButtonPress, 1, Qt::LeftButton);
        QVERIFY(w->isSplitDragging() && splitter->isVisible());
        // 267 px is 4005 twips.
        sendMouse(bar, QEvent::MouseMove, 267 - barLeft, Qt::LeftButton);
        QCOMPARE(splitter->x(), 267);
        sendMouse(bar, QEvent::MouseButtonRelease, 267 - barLeft, Qt::NoButton);
        QVERIFY(!w->isSplitDragging() && !splitter->isVisible());
        QCOMPARE(w->splitPos(), 4005.0f);
        QCOMPARE(control<QTextEdit>(*w, "rtfPrintAsc")->width(), 267);
    }

    void exitRunsShutDownOnce()
    {
        auto w = openWindow();
        int ends = 0;
        w->setEndProgram([&ends] { ++ends; });
        control<QAction>(*w, "mnuFile_Exit")->trigger();
        w->close();
        QCOMPARE(ends, 1);
    }

    // The layout rules, a pure function of the window's size, the tab and the split position. A
    // stored position no view can have (a damaged or hand-edited setting) would push the hex view out
    // of sight, or overflow the sums; it counts as none chosen.
    void bothLayoutSplitsTheWindowWhenNoUsablePositionChosen_data()
    {
        DataTable<float> row("splitPos");
        row("none chosen", 0.0f);
        row("largest float", std::numeric_limits<float>::max());
        row("near the int limit", 2147483520.0f);
        row("beyond any screen", 1e9f);
        row("infinite", std::numeric_limits<float>::infinity());
        row("not a number", std::numeric_limits<float>::quiet_NaN());
        row("negative", -4000.0f);
    }
    void bothLayoutSplitsTheWindowWhenNoUsablePositionChosen()
    {
        QFETCH(float, splitPos);
        QCOMPARE(usableSplitPos(splitPos), 0.0f);
        const ViewLayout l = computeLayout(12000, 9000, 3, splitPos, {});
        if (splitPos != 0.0f) // every field as with none chosen
            QCOMPARE(l, computeLayout(12000, 9000, 3, 0.0f, {}));
        // A 60-twip gap between the views (120 + 5800 + 60), the bar filling its last 45 twips.
        QCOMPARE(l.asc, (TwipRect{120, 3600, 5800, 9000 - 3015 - 1700}));
        QCOMPARE(l.hex, (TwipRect{5980, 3600, 5800, 9000 - 3015 - 1700}));
        QCOMPARE(std::tuple(l.bar.left, l.bar.width, l.barVisible, l.ascRuler.left, l.hexRuler.width),
                 std::tuple(5935, 45, true, l.asc.left + 1, l.hex.width - 1));
    }

    void bothLayoutKeepsChosenAsciiWidthOnResize()
    {
        const ViewLayout narrow = computeLayout(12000, 9000, 3, 4000.0f, {});
        const ViewLayout wide = computeLayout(15000, 9000, 3, 4000.0f, narrow);
        QCOMPARE(std::tuple(narrow.asc.width, wide.asc.width, wide.hex.width - narrow.hex.width),
                 std::tuple(4000, 4000, 3000));
    }

    void singleLayoutsStackTheViewsOnOneRectangle_data()
    {
        DataTable<int> row("tab");
        row("ASCII", 1);
        row("Hexa", 2);
        row("like HyperTerminal", 4);
    }
    void singleLayoutsStackTheViewsOnOneRectangle()
    {
        QFETCH(int, tab);
        const ViewLayout both = computeLayout(12000, 9000, 3, 4000.0f, {});
        const ViewLayout l = computeLayout(12000, 9000, tab, 4000.0f, both);
        QVERIFY(!l.barVisible);
        QCOMPARE(l.asc, (TwipRect{120, 3600, 12000 - 350, 9000 - 3015 - 1700}));
        QCOMPARE(l.hex, l.asc);
        QCOMPARE(l.hyper, l.asc);
        // Switching back restores the split at the chosen position.
        QCOMPARE(computeLayout(12000, 9000, 3, 4000.0f, l).asc.width, 4000);
    }

    void negativeSizesAreRefusedAndKeepPreviousValues()
    {
        const ViewLayout before = computeLayout(12000, 9000, 3, 8000.0f, {});
        // Narrower than SplitPos + 400: the hex view's width would be negative and is refused,
        // while its left and height still follow the rules.
        const ViewLayout after = computeLayout(8200, 7000, 3, 8000.0f, before);
        QCOMPARE(after.hex, (TwipRect{8180, 3600, before.hex.width, 7000 - 3015 - 1700}));
        // Too low for any view height: the heights stay.
        const ViewLayout low = computeLayout(12000, 4000, 1, 0.0f, before);
        QCOMPARE(low.asc.height, before.asc.height);
    }

    void tinyWindowIsNotLaidOut()
    {
        const ViewLayout before = computeLayout(12000, 9000, 3, 0.0f, {});
        const ViewLayout after = computeLayout(99, 9000, 1, 0.0f, before);
        QCOMPARE(after.asc, before.asc);
        QVERIFY(after.barVisible);
        QCOMPARE(computeLayout(12000, 299, 1, 0.0f, before).asc, before.asc);
    }

    void dragLineStaysInsideItsLimits_data()
    {
        DataTable<int, int> row("pos", "expected");
        row("far left", -300, 500);
        row("at left limit", 500, 500);
        row("inside", 4000, 4000);
        row("far right", 20000, 11500);
    }
    void dragLineStaysInsideItsLimits()
    {
        QFETCH(int, pos);
        QTEST(clampDragLine(pos, 12000), "expected");
    }
};

KIVO_TEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
