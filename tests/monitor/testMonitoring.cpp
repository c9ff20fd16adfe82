#include "KivoTest.h"

#include "app/MessageBox.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "app/frmMain.h"
#include "link/PortPanel.h"
#include "monitor/FrameCollector.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/MonitorController.h"
#include "monitor/SegmentDisplay.h"
#include "monitor/frmSetting.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

using namespace kivo;

namespace {

struct LinkCalls
{
    int connects = 0;
    int closes = 0;
    int discards = 0;
};

std::unique_ptr<frmMain> openWindow(LinkCalls *calls = nullptr)
{
    auto w = std::make_unique<frmMain>();
    w->setEndProgram([] {});
    if (calls)
        w->monitor()->setLinkHooks(
            {[calls] { ++calls->connects; }, [calls] { ++calls->closes; }, [calls] { ++calls->discards; }});
    w->show();
    return w;
}

QString setting(QLatin1StringView key)
{
    return ReadSetting(QString(key), QStringLiteral("<none>"));
}

} // namespace

class TestMonitoring : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        kivotest::resetStores();
        m_messages.clear();
        setMessageRecorder([this](const MessageRecord &m) { m_messages << m; });
    }
    void cleanup() { setMessageRecorder({}); }

    void monOnShowsReadyInCyanAndMonOffRestoresIdleAndClosesSocket()
    {
        LinkCalls calls;
        auto w = openWindow(&calls);
        IndicatorPanel *p = w->indicatorPanel();
        p->cmdMonOn->click();
        QCOMPARE(p->lblIndi->text(), QStringLiteral("READY"));
        QCOMPARE(textColor(p->lblIndi), IndicatorPanel::kReadyColor);
        QVERIFY(w->data().bMonitor);

        w->monitor()->CheckFrame(w->serialBuffers(), "OL,GS,01,   9.999 kg\r\n");
        QCOMPARE(textColor(p->lblOverload), IndicatorPanel::kOverloadLit);

        p->cmdMonOff->click();
        QCOMPARE(p->lblIndi->text(), QStringLiteral("8888888"));
        QCOMPARE(textColor(p->lblIndi), IndicatorPanel::kIdleColor);
        QCOMPARE(textColor(p->lblStable), IndicatorPanel::kStableOff);
        QCOMPARE(textColor(p->lblOverload), IndicatorPanel::kOverloadOff);
        QVERIFY(!w->data().bMonitor);
        QCOMPARE(calls.closes, 1); // also with the serial link chosen
        QCOMPARE(calls.connects, 0);
        QCOMPARE(w->serialBuffers().strWeight, QStringLiteral("9.999")); // kept for the next On
    }

    void monOnRefusedAboveRecvDelayLimit_data()
    {
        QTest::addColumn<QString>("delay");
        QTest::addColumn<bool>("refused");
        QTest::newRow("0.05") << "0.05" << true;
        QTest::newRow("0.2") << "0.2" << true;
        QTest::newRow("0.04") << "0.04" << false;
        QTest::newRow("0") << "0" << false;
    }
    void monOnRefusedAboveRecvDelayLimit()
    {
        QFETCH(QString, delay);
        QFETCH(bool, refused);
        LinkCalls calls;
        auto w = openWindow(&calls);
        QComboBox *cbo = w->portPanel()->cboDelay;
        cbo->setCurrentIndex(cbo->findText(delay));
        w->indicatorPanel()->cmdMonOn->click();
        QCOMPARE(m_messages.size(), refused ? 1 : 0);
        QCOMPARE(calls.discards, refused ? 1 : 0);
        QCOMPARE(w->data().bMonitor, !refused);
        QCOMPARE(w->indicatorPanel()->lblIndi->text() == QStringLiteral("READY"), !refused);
        if (refused) {
            QCOMPARE(m_messages[0].text,
                     QStringLiteral("이 기능을 사용하려면 Recv Delay 값의 범위를 0.04이하로 조정하세요."));
            QCOMPARE(m_messages[0].icon, QMessageBox::Warning);
            QCOMPARE(m_messages[0].title, appTitle());
        }
    }

    void socketConnectsOnlyWithTcpChoiceAndAddress_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("connects"); // after two presses of Mon On
        QTest::newRow("RS232C") << false << "127.0.0.1" << 0;
        QTest::newRow("TCP, no address") << true << "" << 0;
        QTest::newRow("TCP, address") << true << "127.0.0.1" << 2;
    }
    void socketConnectsOnlyWithTcpChoiceAndAddress()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, ip);
        QFETCH(int, connects);
        LinkCalls calls;
        auto w = openWindow(&calls);
        (tcp ? w->portPanel()->optComm_0 : w->portPanel()->optComm_1)->click();
        w->data().strWinSockIP = ip;
        w->indicatorPanel()->cmdMonOn->click();
        w->indicatorPanel()->cmdMonOn->click();
        QCOMPARE(calls.connects, connects);
    }

    // The display examples of each layout, fed as the receive path feeds a chunk.
    void frameDrivesDisplayAndLamps_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("stable");
        QTest::addColumn<QColor>("overload");
        const QColor sOn = IndicatorPanel::kStableLit, sOff = IndicatorPanel::kStableOff;
        const QColor oOn = IndicatorPanel::kOverloadLit, oOff = IndicatorPanel::kOverloadOff;
        QTest::newRow("22 ST") << 0 << QByteArray("ST,GS,01,  12.345 kg\r\n") << "12.345" << sOn << oOff;
        QTest::newRow("22 OL") << 0 << QByteArray("OL,GS,01,  12.345 kg\r\n") << "12.345" << sOff << oOn;
        QTest::newRow("22 US") << 0 << QByteArray("US,GS,01,  12.345 kg\r\n") << "12.345" << sOff << oOff;
        // Mode 1 has no status: the lamps keep what the OL frame before it lit.
        QTest::newRow("10 keeps lamps") << 1 << QByteArray("+001.234\r\n") << "+001.234" << sOff << oOn;
        QTest::newRow("18 ST") << 2 << QByteArray("ST,GS,-0012.34kg\r\n") << "-0012.34" << sOn << oOff;
        QTest::newRow("22 frame + start of next")
            << 0 << QByteArray("ST,GS,01,   1.000 kg\r\nUS,GS,01,   2.0") << "1.000" << sOn << oOff;
        QTest::newRow("10 gets 22-byte frames")
            << 1 << QByteArray("ST,GS,01,  12.345 kg\r\n") << "" << sOff << oOn;
    }
    void frameDrivesDisplayAndLamps()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, chunk);
        QFETCH(QString, shown);
        QFETCH(QColor, stable);
        QFETCH(QColor, overload);
        auto w = openWindow();
        w->data().iIndicatorMode = int16_t(mode);
        w->indicatorPanel()->setLamps(LampState{false, true});
        w->indicatorPanel()->cmdMonOn->click();
        RxBuffers &rx = w->serialBuffers();
        w->monitor()->CheckFrame(rx, chunk);
        w->monitor()->showWeight(rx.strWeight);
        IndicatorPanel *p = w->indicatorPanel();
        QCOMPARE(p->lblIndi->text(), shown);
        QCOMPARE(textColor(p->lblIndi), IndicatorPanel::kReadyColor);
        QCOMPARE(textColor(p->lblStable), stable);
        QCOMPARE(textColor(p->lblOverload), overload);
    }

    void settingDialogStoresAsTypedAndKeepsTrimmedInMemory()
    {
        auto w = openWindow();
        QTimer::singleShot(0, this, [] {
            auto *dlg = qobject_cast<frmSetting *>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Monitoring Setting"));
            dlg->cboID->setCurrentIndex(42);
            dlg->cboMode->setCurrentIndex(2);
            dlg->txtIP->setText(QStringLiteral("  10.0.0.7 "));
            dlg->txtPort->setText(QStringLiteral(" 4001"));
            QTest::keyClick(dlg->txtPort, Qt::Key_Return); // Enter is OK
        });
        w->indicatorPanel()->cmdMonSet->click();
        QCOMPARE(setting(SettingsKeys::IndicatorID), QStringLiteral("42"));
        QCOMPARE(setting(SettingsKeys::IndicatorMode), QStringLiteral("2"));
        QCOMPARE(setting(SettingsKeys::WinSockIP), QStringLiteral("  10.0.0.7 "));
        QCOMPARE(setting(SettingsKeys::WinSockPort), QStringLiteral(" 4001"));
        const AppData &d = w->data();
        QCOMPARE(d.iIndicatorID, 42);
        QCOMPARE(d.iIndicatorMode, 2);
        QCOMPARE(d.strWinSockIP, QStringLiteral("10.0.0.7"));
        QCOMPARE(d.strWinSockPort, QStringLiteral("4001"));
    }

    void typedIdOutsideListStoresMinusOneAndReopensWithNoneSelected_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("matches entry") << "57" << 57;
        QTest::newRow("beyond list") << "150" << -1;
        QTest::newRow("leading zero") << "05" << -1;
    }
    void typedIdOutsideListStoresMinusOneAndReopensWithNoneSelected()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        AppData data;
        data.iIndicatorID = 3;
        {
            frmSetting dlg(data);
            dlg.show();
            dlg.cboID->lineEdit()->clear();
            QTest::keyClicks(dlg.cboID->lineEdit(), typed);
            QTest::keyClick(dlg.cboID->lineEdit(), Qt::Key_Return);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.cboID->count(), 100); // typing added no entry
        }
        QCOMPARE(setting(SettingsKeys::IndicatorID), QString::number(stored));
        QCOMPARE(data.iIndicatorID, stored);
        frmSetting again(data);
        QCOMPARE(again.cboID->currentIndex(), stored);
    }

    void cancelAndEscapeChangeNothing()
    {
        AppData data;
        data.strWinSockIP = QStringLiteral("1.2.3.4");
        for (const bool escape : {false, true}) {
            frmSetting dlg(data);
            dlg.show();
            dlg.txtIP->setText(QStringLiteral("9.9.9.9"));
            dlg.cboMode->setCurrentIndex(1);
            if (escape)
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else
                dlg.cmdCancel->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        QCOMPARE(data.strWinSockIP, QStringLiteral("1.2.3.4"));
        QCOMPARE(data.iIndicatorMode, 0);
        QCOMPARE(setting(SettingsKeys::WinSockIP), QStringLiteral("<none>"));
    }

    void outOfRangeStoredModeAndIdOpenWithNoneSelected()
    {
        AppData data;
        data.iIndicatorMode = 7;
        data.iIndicatorID = 300;
        frmSetting dlg(data);
        QCOMPARE(dlg.cboMode->currentIndex(), -1);
        QCOMPARE(dlg.cboID->currentIndex(), -1);
        QCOMPARE(dlg.cboID->currentText(), QString());
        dlg.cmdOK->click();
        QCOMPARE(data.iIndicatorMode, -1);
        QCOMPARE(data.iIndicatorID, -1);
    }

private:
    QList<MessageRecord> m_messages;
};

KIVO_TEST_MAIN(TestMonitoring)
#include "testMonitoring.moc"
