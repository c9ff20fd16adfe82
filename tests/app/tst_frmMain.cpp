#include "MainWindow.h"

#include "traffic/SplitterBar.h"
#include "traffic/TrafficViews.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

using namespace kivo;
using namespace kivotest;

namespace {

QComboBox *combo(const QObject &w, const char *name)
{
    return control<QComboBox>(w, name);
}

// The current texts of the named lists.
QStringList texts(const QObject &w, std::initializer_list<const char *> lists)
{
    QStringList out;
    for (const char *name : lists)
        out << combo(w, name)->currentText();
    return out;
}

QString storeFile()
{
    return sandboxDir() + u"/config/Kivo/Kivo.conf"_s;
}

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
        QCOMPARE(texts(*w, {"cboParity", "cboDataBit", "cboStopBit", "cboBps", "cboDelay", "cboDelayTime",
                            "cboCount"}),
                 (QStringList{"N", "8", "1", "9600", "0.03", "0.01", "Endless"}));
        QCOMPARE(combo(*w, "cboDelayTime")->itemText(9) + ' ' + combo(*w, "cboDelayTime")->itemText(37),
                 u"0.1 20"_s);
        const QList<int> counts{combo(*w, "cboBps")->count(), combo(*w, "cboDelay")->count(),
                                combo(*w, "cboDelayTime")->count(), combo(*w, "cboCount")->count()};
        QCOMPARE(counts, (QList<int>{14, 12, 38, 13}));
        QVERIFY(control<QRadioButton>(*w, "optFormatAscii")->isChecked() &&
                control<QRadioButton>(*w, "optFormMsg")->isChecked());
        QCOMPARE(w->views()->selectedTab(), ViewTab::Ascii);
        QVERIFY(control<QRadioButton>(*w, "optComm_1")->isChecked());
        const QList<bool> enabled{button(*w, "cmdConnect")->isEnabled(),
                                  button(*w, "cmdDisconnect")->isEnabled(),
                                  control<QCheckBox>(*w, "chkAutoRepeat")->isEnabled(),
                                  button(*w, "cmdSend")->isEnabled(), button(*w, "cmdStart")->isEnabled()};
        QCOMPARE(enabled, (QList<bool>{true, false, false, false, false}));
        for (int k = 0; k < 4; ++k) {
            QPushButton *key = button(*w, qPrintable(u"cmdFuncKey_%1"_s.arg(k)));
            QVERIFY(key->text() == u"FUNC%1"_s.arg(k + 1) && !key->isEnabled());
        }
        QVERIFY(!button(*w, "cmdOriel")->isVisible());
    }

    void choicesSurviveShutDownAndRestart()
    {
        {
            auto w = openWindow();
            for (const auto &[list, index] : {std::pair{"cboParity", 4},
                                              {"cboDataBit", 3},
                                              {"cboStopBit", 1},
                                              {"cboBps", 13},
                                              {"cboDelay", 0},
                                              {"cboDelayTime", 20},
                                              {"cboCount", 5}})
                combo(*w, list)->setCurrentIndex(index);
            control<QRadioButton>(*w, "optFormatHexa")->click();
            control<QRadioButton>(*w, "optFormByte")->click();
            control<QTabBar>(*w, "tabPrintSelect")->setCurrentIndex(2);
            w->SizeControls(4005.0f);
            control<QRadioButton>(*w, "optComm_0")->click();
            w->close();
        }
        auto w = openWindow();
        QCOMPARE(texts(*w, {"cboParity", "cboDataBit", "cboStopBit", "cboBps", "cboDelay", "cboDelayTime",
                            "cboCount"}),
                 (QStringList{"S", "5", "1.5", "256000", "0", "3", "500"}));
        QVERIFY(control<QRadioButton>(*w, "optFormatHexa")->isChecked() &&
                control<QRadioButton>(*w, "optFormByte")->isChecked());
        QCOMPARE(w->views()->selectedTab(), ViewTab::Both);
        QCOMPARE(w->splitPos(), 4005.0f);
        QVERIFY(control<QRadioButton>(*w, "optComm_0")->isChecked());
        // TCP/IP chosen: Connect off, the send controls usable.
        QVERIFY(!button(*w, "cmdConnect")->isEnabled() && button(*w, "cmdSend")->isEnabled());
    }

    void corruptStoreAndListFileStartNormally_data()
    {
        DataTable<QByteArray, QByteArray, int, int> row("store", "listFile", "parity", "bps");
        row("non-numbers", "[Setting]\nParity=abc\nBps=\nViewMode=x\nSplitPos=zz\n",
            "[FuncSendEnable]\r\nString1=yes\r\n[FuncString]\r\nSTX=maybe\r\n", -1, -1);
        row("out of range", "[Setting]\nParity=9\nBps=-4\nViewMode=7\nDelayCount=99\n",
            "[FuncSendEnable]\r\nString1=99999999\r\n", -1, -1);
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) & 0xFF);
        row("binary garbage", garbage, garbage, 2, 6);
        row("10 MB line", "[Setting]\nParity=" + QByteArray(10 << 20, '7'),
            "[AutoString]\r\nString1=" + QByteArray(10 << 20, 'A'), -1, 6);
    }
    void corruptStoreAndListFileStartNormally()
    {
        const auto [store, listFile] = fetch<QByteArray, QByteArray>("store", "listFile");
        QVERIFY(writeFile(storeFile(), store) && writeFile(kivotest::listFilePath(), listFile));

        auto w = openWindow();
        // An unusable stored index leaves its list as the fixed fill left it: no selection, except
        // the lists that start with one.
        QTEST(combo(*w, "cboParity")->currentIndex(), "parity");
        QTEST(combo(*w, "cboBps")->currentIndex(), "bps");
        QCOMPARE(texts(*w, {"cboDataBit", "cboDelay", "cboCount"}), (QStringList{"8", "0.03", "Endless"}));
        QCOMPARE(w->views()->selectedTab(), ViewTab::Ascii);
        QCOMPARE(w->splitPos(), 0.0f);
        QVERIFY(!w->data().FuncSTX);
    }

    void storedFunctionKeysApplyCaptionAndEnabledState()
    {
        writeListFile("[FuncKeyCap]\r\nString1=ZERO\r\n[FuncSendEnable]\r\nString1=1\r\n"
                      "String2=1\r\n[FuncString]\r\nSTX=-1\r\n[AutoString]\r\n"
                      "CRLF=True\r\n[MesgString]\r\nSTX=1\r\n");
        auto w = openWindow();
        // An empty stored caption keeps the design caption; Enabled still decides.
        QCOMPARE(button(*w, "cmdFuncKey_0")->text() + ' ' + button(*w, "cmdFuncKey_1")->text(),
                 u"ZERO FUNC2"_s);
        QVERIFY(button(*w, "cmdFuncKey_0")->isEnabled() && button(*w, "cmdFuncKey_1")->isEnabled());
        QVERIFY(!button(*w, "cmdFuncKey_2")->isEnabled());
        // Only -1 switches an STX option on.
        QVERIFY(w->data().FuncSTX && w->data().AutoCRLF && !w->data().bMesgSTX);
    }

    void menusCopyButtonStatesWhenOpened()
    {
        auto w = openWindow();
        auto *file = control<QMenu>(*w, "mnuFile");
        auto *edit = control<QMenu>(*w, "mnuEdit");
        QList<QAction *> items;
        for (const char *name : {"mnuFile_Connect", "mnuFile_Disconnect", "mnuEdit_SendMsg"})
            items << control<QAction>(*w, name);
        const auto enabled = [&items] {
            return QList<bool>{items[0]->isEnabled(), items[1]->isEnabled(), items[2]->isEnabled()};
        };
        emit file->aboutToShow();
        emit edit->aboutToShow();
        QCOMPARE(enabled(), (QList<bool>{true, false, false}));

        // The items follow the buttons only when their menu opens.
        button(*w, "cmdConnect")->setEnabled(false);
        button(*w, "cmdDisconnect")->setEnabled(true);
        w->SetSendEnabled(true);
        QCOMPARE(enabled(), (QList<bool>{true, false, false}));
        emit file->aboutToShow();
        emit edit->aboutToShow();
        QCOMPARE(enabled(), (QList<bool>{false, true, true}));

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
        sendMouse(bar, QEvent::MouseMove, -2000, Qt::LeftButton);
        QCOMPARE(splitter->x(), 500 / 15);
        // 267 px is 4005 twips.
        sendMouse(bar, QEvent::MouseMove, 267 - barLeft, Qt::LeftButton);
        QCOMPARE(splitter->x(), 267);
        sendMouse(bar, QEvent::MouseButtonRelease, 267 - barLeft, Qt::NoButton);
        QVERIFY(!w->isSplitDragging() && !splitter->isVisible());
        QCOMPARE(w->splitPos(), 4005.0f);
        QCOMPARE(control<QTextEdit>(*w, "rtfPrintAsc")->width(), 267);

        // Hexa hides the bar and gives the hex view the ASCII view's rectangle.
        control<QTabBar>(*w, "tabPrintSelect")->setCurrentIndex(1);
        QVERIFY(!bar->isVisible());
        QCOMPARE(control<QTextEdit>(*w, "rtfPrintHex")->geometry(),
                 control<QTextEdit>(*w, "rtfPrintAsc")->geometry());
    }

    void exitRunsShutDownOnce()
    {
        auto w = std::make_unique<frmMain>();
        int ends = 0;
        w->setEndProgram([&ends] { ++ends; });
        w->show();
        combo(*w, "cboBps")->setCurrentIndex(2);
        control<QAction>(*w, "mnuFile_Exit")->trigger();
        w->close();
        QCOMPARE(ends, 1);
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, u"Kivo"_s, u"Kivo"_s);
        QCOMPARE(s.value(u"Setting/Bps"_s).toString(), u"2"_s);
        QVERIFY(QFile::exists(storeFile()));
    }
};

KIVO_TEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
