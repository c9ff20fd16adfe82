#include "link/LinkController.h"

#include "core/Conversions.h"
#include "core/MessageBox.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "app/frmMain.h"
#include "link/PortNames.h"
#include "link/PortPanel.h"
#include "link/SerialSettings.h"
#include "monitor/IndicatorPanel.h"
#include "send/AutoRepeat.h"
#include "send/RepeatPanel.h"
#include "send/SendPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QTimer>

namespace kivo {

namespace SK = SettingsKeys;

namespace {

QStringList machinePorts()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

// Read back when "PortName" is missing from the store; no port name can hold a line break.
const QString kNoStoredName = QStringLiteral("\n");

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    return t;
}

} // namespace

LinkController::LinkController(frmMain &window)
    : QObject(&window), m_window(window), m_portLister(machinePorts)
{
    PortPanel *p = m_window.portPanel();
    connect(p->cmdConnect, &QPushButton::clicked, this, &LinkController::ConnectSerial);
    connect(p->cmdDisconnect, &QPushButton::clicked, this, &LinkController::DisconnectSerial);
    connect(p->optComm_0, &QRadioButton::clicked, this, &LinkController::optComm_Click);
    connect(p->optComm_1, &QRadioButton::clicked, this, &LinkController::optComm_Click);
    connect(&m_serial, &Link::failed, this, &LinkController::serialFailed);

    tmrSocketState = makeTimer(this, "tmrSocketState", 200);
    tmrSocketCheck = makeTimer(this, "tmrSocketCheck", 3000);
    tmrTime = makeTimer(this, "tmrTime", 1000);
    connect(tmrSocketState, &QTimer::timeout, this, &LinkController::tmrSocketState_Timer);
    connect(tmrSocketCheck, &QTimer::timeout, this, &LinkController::ConnectTcp);
    connect(tmrTime, &QTimer::timeout, this, &LinkController::tmrTime_Timer);
    tmrSocketState->start();
    tmrTime->start();
    tmrTime_Timer();
}

LinkController::~LinkController() = default;

Link &LinkController::activeLink()
{
    if (m_window.portPanel()->optComm_0->isChecked())
        return m_tcp;
    return m_serial;
}

void LinkController::FillPortList()
{
    QComboBox *box = m_window.portPanel()->cboPort;
    const QStringList names = PortNames::sortedNaturally(m_portLister ? m_portLister() : QStringList());
    box->clear();
    box->addItems(names);
    box->setCurrentIndex(names.isEmpty() ? -1 : 0);
}

void LinkController::restorePort()
{
    QComboBox *box = m_window.portPanel()->cboPort;
    const QString name = ReadSetting(QString(SK::PortName), kNoStoredName);
    if (name == kNoStoredName) {
        const auto index = toInt16(ReadSetting(QString(SK::Port), QStringLiteral("0")));
        if (index && *index >= 0 && *index < box->count())
            box->setCurrentIndex(*index);
        return;
    }
    const int found = name.isEmpty() ? -1 : box->findText(name);
    box->setCurrentIndex(found);
    if (found < 0)
        box->setEditText(name);
}

void LinkController::storePort()
{
    QComboBox *box = m_window.portPanel()->cboPort;
    WriteSetting(QString(SK::Port), QString::number(box->currentIndex()));
    WriteSetting(QString(SK::PortName), box->currentText().trimmed());
}

void LinkController::ConnectSerial()
{
    PortPanel *p = m_window.portPanel();
    const QString name = p->cboPort->currentText().trimmed();
    const QString settings = SerialSettings::text(p->cboBps->currentText(), p->cboParity->currentText(),
                                                  p->cboDataBit->currentText(), p->cboStopBit->currentText());

    if (const std::optional<int> number = PortNames::comNumber(name);
        number && *number > PortNames::kHighestComPort) {
        showMessage(&m_window, QStringLiteral("COM15 이하만 사용 가능합니다."), QMessageBox::Warning,
                    QStringLiteral("Error"));
        return;
    }
    // With no port chosen nothing is opened (and a port left open stays as it is).
    if (!name.isEmpty() && m_serial.open(name, settings)) {
        setConnectedState();
        return;
    }
    showMessage(&m_window, QStringLiteral("Connect Failure!"), QMessageBox::Critical,
                QStringLiteral("Error"));
}

void LinkController::DisconnectSerial()
{
    if (m_window.repeatPanel()->cmdStart->text() == QLatin1String("Stop") ||
        m_window.sendPanel()->cmdSend->text() == QLatin1String("Stop")) {
        showMessage(&m_window, QStringLiteral("연결을 해제 하시려면 먼저 자동 전송 기능을 중지하십시오."),
                    QMessageBox::Warning, appTitle());
        return;
    }
    m_serial.close();
    setDisconnectedState();
}

void LinkController::optComm_Click()
{
    DisconnectSerial();
    if (m_window.portPanel()->optComm_0->isChecked()) {
        m_window.portPanel()->cmdConnect->setEnabled(false);
        m_window.SetSendEnabled(true);
    }
}

void LinkController::ConnectTcp()
{
    const AppData &d = m_window.data();
    m_tcp.connectTo(d.strWinSockIP, d.strWinSockPort);
}

void LinkController::CloseTcp()
{
    m_tcp.close();
    tmrSocketCheck->stop();
}

void LinkController::stopWatchdog()
{
    tmrSocketCheck->stop();
}

void LinkController::armWatchdog()
{
    tmrSocketCheck->start();
}

bool LinkController::isWatchdogArmed() const
{
    return tmrSocketCheck->isActive();
}

void LinkController::setConnectedState()
{
    PortPanel *p = m_window.portPanel();
    p->cmdConnect->setEnabled(false);
    p->cmdDisconnect->setEnabled(true);
    m_window.repeatPanel()->chkAutoRepeat->setEnabled(true);
    applyAutoRepeatTick();
    m_window.SetSendEnabled(true);
}

void LinkController::setDisconnectedState()
{
    PortPanel *p = m_window.portPanel();
    p->cmdConnect->setEnabled(true);
    p->cmdDisconnect->setEnabled(false);
    m_window.repeatPanel()->chkAutoRepeat->setEnabled(false);
    m_window.SetRepeatEnabled(false);
    m_window.SetSendEnabled(false);
}

// The click handling of the Auto Repeat Send box: the repeat group follows its tick.
void LinkController::applyAutoRepeatTick()
{
    m_window.autoRepeat()->chkAutoRepeat_Click();
}

// A run of either kind ends when the port under it dies; its button reads "Start" or "Send" again.
void LinkController::endAutoRepeatRun()
{
    m_window.autoRepeat()->endAllRuns();
}

// The serial port died under the program (device unplugged, far end gone). The link has closed it
// already; the window must not go on looking connected.
void LinkController::serialFailed(const QString &description)
{
    endAutoRepeatRun();
    setDisconnectedState();
    if (m_window.portPanel()->optComm_0->isChecked()) {
        m_window.portPanel()->cmdConnect->setEnabled(false);
        m_window.SetSendEnabled(true);
    }
    showMessage(&m_window, description, QMessageBox::Critical, QStringLiteral("Error"));
}

void LinkController::tmrSocketState_Timer()
{
    m_window.indicatorPanel()->lblSocketState->setText(QStringLiteral("TCP- ") +
                                                       TcpLink::stateName(m_tcp.state()));
}

void LinkController::tmrTime_Timer()
{
    if (auto *panel = m_window.statusBar()->findChild<QLabel *>(QStringLiteral("sbrStatus_Panel1")))
        panel->setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

} // namespace kivo
