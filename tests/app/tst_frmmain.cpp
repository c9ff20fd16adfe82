#include "KivoTest.h"

#include "app/frmMain.h"
#include "core/MessageBox.h"
#include "link/PortPanel.h"
#include "send/FuncKeyBar.h"
#include "send/RepeatPanel.h"
#include "send/SendPanel.h"
#include "traffic/SplitterBar.h"
#include "traffic/TrafficViews.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QTextEdit>

#include <memory>

using namespace kivo;

namespace {

std::unique_ptr<frmMain> openWindow()
{
    auto w = std::make_unique<frmMain>();
    w->setEndProgram([] {});
    w->resize(800, 600);
    w->show();
    return w;
}

QString storeFile()
{
    return kivotest::sandboxDir() + QStringLiteral("/config/Kivo/Kivo.conf");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
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
    void init() { kivotest::resetStores(); }

    void freshInstallStartsWithDesignDefaults()
    {
        auto w = openWindow();
        PortPanel *p = w->portPanel();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kivo v0.992"));
        const QList<QSize> iconSizes = w->windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)));
        RepeatPanel *r = w->repeatPanel();
        const QStringList choices{
            p->cboParity->currentText(),  p->cboDataBit->currentText(),  p->cboStopBit->currentText(),
            p->cboBps->currentText(),     p->cboDelay->currentText(),    r->cboDelayTime->currentText(),
            r->cboDelayTime->itemText(9), r->cboDelayTime->itemText(37), r->cboCount->currentText()};
        QCOMPARE(choices, (QStringList{"N", "8", "1", "9600", "0.03", "0.01", "0.1", "20", "Endless"}));
        const QList<int> counts{p->cboBps->count(), p->cboDelay->count(), r->cboDelayTime->count(),
                                r->cboCount->count()};
        QCOMPARE(counts, (QList<int>{14, 12, 38, 13}));
        QVERIFY(w->sendPanel()->optFormatAscii->isChecked() && w->sendPanel()->optFormMsg->isChecked());
        QCOMPARE(w->views()->selectedTab(), ViewTab::Ascii);
        QVERIFY(p->optComm_1->isChecked());
        const QList<bool> enabled{p->cmdConnect->isEnabled(), p->cmdDisconnect->isEnabled(),
                                  r->chkAutoRepeat->isEnabled(), w->sendPanel()->cmdSend->isEnabled(),
                                  r->cmdStart->isEnabled()};
        QCOMPARE(enabled, (QList<bool>{true, false, false, false, false}));
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(w->funcKeyBar()->cmdFuncKey[k]->text(), QStringLiteral("FUNC%1").arg(k + 1));
            QVERIFY(!w->funcKeyBar()->cmdFuncKey[k]->isEnabled());
        }
        QVERIFY(!w->cmdOriel()->isVisible());
    }

    void choicesSurviveShutDownAndRestart()
    {
        {
            auto w = openWindow();
            PortPanel *p = w->portPanel();
            p->cboParity->setCurrentIndex(4);
            p->cboDataBit->setCurrentIndex(3);
            p->cboStopBit->setCurrentIndex(1);
            p->cboBps->setCurrentIndex(13);
            p->cboDelay->setCurrentIndex(0);
            w->sendPanel()->optFormatHexa->click();
            w->sendPanel()->optFormByte->click();
            w->repeatPanel()->cboDelayTime->setCurrentIndex(20);
            w->repeatPanel()->cboCount->setCurrentIndex(5);
            w->views()->tabPrintSelect->setCurrentIndex(2);
            w->SizeControls(4005.0f);
            p->optComm_0->click();
            w->close();
        }
        auto w = openWindow();
        PortPanel *p = w->portPanel();
        const QStringList line{p->cboParity->currentText(),
                               p->cboDataBit->currentText(),
                               p->cboStopBit->currentText(),
                               p->cboBps->currentText(),
                               p->cboDelay->currentText(),
                               w->repeatPanel()->cboDelayTime->currentText(),
                               w->repeatPanel()->cboCount->currentText()};
        QCOMPARE(line, (QStringList{"S", "5", "1.5", "256000", "0", "3", "500"}));
        QVERIFY(w->sendPanel()->optFormatHexa->isChecked() && w->sendPanel()->optFormByte->isChecked());
        QCOMPARE(w->views()->selectedTab(), ViewTab::Both);
        QCOMPARE(w->splitPos(), 4005.0f);
        QVERIFY(p->optComm_0->isChecked());
        // TCP/IP chosen: Connect off, the send controls usable.
        QVERIFY(!p->cmdConnect->isEnabled());
        QVERIFY(w->sendPanel()->cmdSend->isEnabled());
    }

    void corruptStoreAndListFileStartNormally_data()
    {
        QTest::addColumn<QByteArray>("store");
        QTest::addColumn<QByteArray>("listFile");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("bps");
        QTest::newRow("non-numbers")
            << QByteArray("[Setting]\nParity=abc\nBps=\nViewMode=x\nSplitPos=zz\n")
            << QByteArray("[FuncSendEnable]\r\nString1=yes\r\n[FuncString]\r\nSTX=maybe\r\n") << -1 << -1;
        QTest::newRow("out of range")
            << QByteArray("[Setting]\nParity=9\nBps=-4\nViewMode=7\nDelayCount=99\n")
            << QByteArray("[FuncSendEnable]\r\nString1=99999999\r\n") << -1 << -1;
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) & 0xFF);
        QTest::newRow("binary garbage") << garbage << garbage << 2 << 6;
        QTest::newRow("10 MB line") << QByteArray("[Setting]\nParity=") + QByteArray(10 << 20, '7')
                                    << QByteArray("[AutoString]\r\nString1=") + QByteArray(10 << 20, 'A')
                                    << -1 << 6;
    }
    void corruptStoreAndListFileStartNormally()
    {
        QFETCH(QByteArray, store);
        QFETCH(QByteArray, listFile);
        writeFile(storeFile(), store);
        writeFile(kivotest::listFilePath(), listFile);

        auto w = openWindow();
        // An unusable stored index leaves its list as the fixed fill left it: no selection, except
        // the lists that start with one.
        QTEST(w->portPanel()->cboParity->currentIndex(), "parity");
        QTEST(w->portPanel()->cboBps->currentIndex(), "bps");
        QCOMPARE(w->portPanel()->cboDataBit->currentText(), QStringLiteral("8"));
        QCOMPARE(w->portPanel()->cboDelay->currentText(), QStringLiteral("0.03"));
        QCOMPARE(w->repeatPanel()->cboCount->currentText(), QStringLiteral("Endless"));
        QCOMPARE(w->views()->selectedTab(), ViewTab::Ascii);
        QCOMPARE(w->splitPos(), 0.0f);
        QVERIFY(!w->data().FuncSTX);
    }

    void storedFunctionKeysApplyCaptionAndEnabledState()
    {
        writeFile(kivotest::listFilePath(),
                  "[FuncKeyCap]\r\nString1=ZERO\r\n[FuncSendEnable]\r\nString1=1\r\n"
                  "String2=1\r\n[FuncString]\r\nSTX=-1\r\n[AutoString]\r\nCRLF=True\r\n"
                  "[MesgString]\r\nSTX=1\r\n");
        auto w = openWindow();
        QCOMPARE(w->funcKeyBar()->cmdFuncKey[0]->text(), QStringLiteral("ZERO"));
        QVERIFY(w->funcKeyBar()->cmdFuncKey[0]->isEnabled());
        // An empty stored caption keeps the design caption; Enabled still decides.
        QCOMPARE(w->funcKeyBar()->cmdFuncKey[1]->text(), QStringLiteral("FUNC2"));
        QVERIFY(w->funcKeyBar()->cmdFuncKey[1]->isEnabled());
        QVERIFY(!w->funcKeyBar()->cmdFuncKey[2]->isEnabled());
        QVERIFY(w->data().FuncSTX);
        QVERIFY(w->data().AutoCRLF);
        // Only -1 switches an STX option on.
        QVERIFY(!w->data().bMesgSTX);
    }

    void menusCopyButtonStatesWhenOpened()
    {
        auto w = openWindow();
        auto *file = w->findChild<QMenu *>(QStringLiteral("mnuFile"));
        auto *edit = w->findChild<QMenu *>(QStringLiteral("mnuEdit"));
        auto *tools = w->findChild<QMenu *>(QStringLiteral("mnuTools"));
        QVERIFY(file && edit && tools);
        QList<QAction *> items;
        for (const char *name : {"mnuFile_Connect", "mnuFile_Disconnect", "mnuEdit_SendMsg"})
            items << w->findChild<QAction *>(QLatin1String(name));
        QVERIFY(!items.contains(nullptr));
        const auto enabled = [&items] {
            return QList<bool>{items[0]->isEnabled(), items[1]->isEnabled(), items[2]->isEnabled()};
        };
        emit file->aboutToShow();
        emit edit->aboutToShow();
        QCOMPARE(enabled(), (QList<bool>{true, false, false}));

        // The items follow the buttons only when their menu opens.
        w->portPanel()->cmdConnect->setEnabled(false);
        w->portPanel()->cmdDisconnect->setEnabled(true);
        w->SetSendEnabled(true);
        QCOMPARE(enabled(), (QList<bool>{true, false, false}));
        emit file->aboutToShow();
        emit edit->aboutToShow();
        QCOMPARE(enabled(), (QList<bool>{false, true, true}));

        QVERIFY(!tools->menuAction()->isEnabled());
        QStringList captions;
        for (QAction *a : w->menuBar()->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"&File", "&Edit", "&Tools", "&Help"}));
    }

    void splitterDragIsLimitedAndRemembered()
    {
        auto w = openWindow();
        w->views()->tabPrintSelect->setCurrentIndex(2);
        SplitterBar *bar = w->views()->picSize;
        QVERIFY(bar->isVisible());
        const int barLeft = bar->x();

        sendMouse(bar, QEvent::MouseButtonPress, 1, Qt::LeftButton);
        QVERIFY(w->isSplitDragging());
        QVERIFY(w->views()->picSplitter->isVisible());
        sendMouse(bar, QEvent::MouseMove, -2000, Qt::LeftButton);
        QCOMPARE(w->views()->picSplitter->x(), 500 / 15);
        // 267 px is 4005 twips.
        sendMouse(bar, QEvent::MouseMove, 267 - barLeft, Qt::LeftButton);
        QCOMPARE(w->views()->picSplitter->x(), 267);
        sendMouse(bar, QEvent::MouseButtonRelease, 267 - barLeft, Qt::NoButton);

        QVERIFY(!w->isSplitDragging());
        QVERIFY(!w->views()->picSplitter->isVisible());
        QCOMPARE(w->splitPos(), 4005.0f);
        QCOMPARE(w->views()->rtfPrintAsc->width(), 267);

        // Hexa hides the bar and gives the hex view the ASCII view's rectangle.
        w->views()->tabPrintSelect->setCurrentIndex(1);
        QVERIFY(!bar->isVisible());
        QCOMPARE(w->views()->rtfPrintHex->geometry(), w->views()->rtfPrintAsc->geometry());
    }

    void exitRunsShutDownOnce()
    {
        auto w = std::make_unique<frmMain>();
        int ends = 0;
        w->setEndProgram([&ends] { ++ends; });
        w->show();
        w->portPanel()->cboBps->setCurrentIndex(2);
        w->findChild<QAction *>(QStringLiteral("mnuFile_Exit"))->trigger();
        w->close();
        QCOMPARE(ends, 1);
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kivo"),
                    QStringLiteral("Kivo"));
        QCOMPARE(s.value(QStringLiteral("Setting/Bps")).toString(), QStringLiteral("2"));
        QVERIFY(QFile::exists(storeFile()));
    }
};

KIVO_TEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
