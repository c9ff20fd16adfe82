#include "link/LinkController.h"

#include "core/AppData.h"
#include "core/Conversions.h"
#include "core/MessageBox.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "link/PortNames.h"
#include "link/PortPanel.h"
#include "link/SerialSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QTimer>
#include <QWidget>

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

LinkController::LinkController(PortPanel &panel, const AppData &data, QWidget *window)
    : QObject(window), m_panel(panel), m_data(data), m_window(window), m_portLister(machinePorts)
{
    connect(&panel, &PortPanel::connectClicked, this, &LinkController::ConnectSerial);
    connect(&panel, &PortPanel::disconnectClicked, this, &LinkController::DisconnectSerial);
    connect(&panel, &PortPanel::linkChoiceClicked, this, &LinkController::optComm_Click);
    connect(&m_serial, &Link::failed, this, &LinkController::serialFailed);

    m_tmrSocketCheck = makeTimer(this, "tmrSocketCheck", 3000);
    // The socket reports its own changes, so the state label costs nothing while it stands still.
    connect(&m_tcp, &TcpLink::stateChanged, this, [this] { emit socketStateText(socketState()); });
    connect(m_tmrSocketCheck, &QTimer::timeout, this, &LinkController::ConnectTcp);
    m_tmrReconnect = makeTimer(this, "tmrReconnect", 1000);
    connect(m_tmrReconnect, &QTimer::timeout, this, &LinkController::tmrReconnect_Timer);
}

LinkController::~LinkController() = default;

Link &LinkController::activeLink()
{
    if (m_panel.tcpChosen())
        return m_tcp;
    return m_serial;
}

void LinkController::FillPortList()
{
    m_panel.setPortNames(PortNames::sortedNaturally(m_portLister ? m_portLister() : QStringList()));
}

void LinkController::restorePort()
{
    const QString name = ReadSetting(QString(SK::PortName), kNoStoredName);
    if (name == kNoStoredName) {
        const auto index = toInt16(ReadSetting(QString(SK::Port), QStringLiteral("0")));
        if (index && *index >= 0 && *index < m_panel.portCount())
            m_panel.selectPort(*index);
        return;
    }
    const int found = name.isEmpty() ? -1 : m_panel.findPort(name);
    m_panel.selectPort(found);
    if (found < 0)
        m_panel.setPortText(name);
}

void LinkController::storePort()
{
    WriteSetting(QString(SK::Port), QString::number(m_panel.portIndex()));
    WriteSetting(QString(SK::PortName), m_panel.portText());
}

void LinkController::ConnectSerial()
{
    const QString name = m_panel.portText();
    const QString settings = m_panel.lineSettingsText();

    if (const std::optional<int> number = PortNames::comNumber(name);
        number && *number > PortNames::kHighestComPort) {
        showMessage(m_window, QStringLiteral("COM15 이하만 사용 가능합니다."), QMessageBox::Warning,
                    QStringLiteral("Error"));
        return;
    }
    // With no port chosen nothing is opened (and a port left open stays as it is).
    if (!name.isEmpty() && m_serial.open(name, settings)) {
        setConnectedState();
        return;
    }
    showMessage(m_window, QStringLiteral("Connect Failure!"), QMessageBox::Critical, QStringLiteral("Error"));
}

bool LinkController::DisconnectSerial()
{
    if (m_repeatRunning) {
        showMessage(m_window, QStringLiteral("연결을 해제 하시려면 먼저 자동 전송 기능을 중지하십시오."),
                    QMessageBox::Warning, appTitle());
        return false;
    }
    stopWaiting();
    m_serial.close();
    setDisconnectedState();
    return true;
}

void LinkController::optComm_Click()
{
    if (!DisconnectSerial()) {
        // The serial port stays connected under its run, so the choice stays with it.
        m_panel.chooseLink(false);
        return;
    }
    if (m_panel.tcpChosen()) {
        m_panel.setConnectEnabled(false);
        emit tcpChosen();
    }
}

void LinkController::ConnectTcp()
{
    m_tcp.connectTo(m_data.strWinSockIP, m_data.strWinSockPort);
}

void LinkController::CloseTcp()
{
    m_tcp.close();
    m_tmrSocketCheck->stop();
}

void LinkController::tcpDataArrived(bool monitoring)
{
    if (monitoring)
        m_tmrSocketCheck->start();
    else
        m_tmrSocketCheck->stop();
}

bool LinkController::isWatchdogArmed() const
{
    return m_tmrSocketCheck->isActive();
}

void LinkController::setConnectedState()
{
    m_panel.setConnectEnabled(false);
    m_panel.setDisconnectEnabled(true);
    emit serialConnectedChanged(true);
}

void LinkController::setDisconnectedState()
{
    m_panel.setConnectEnabled(true);
    m_panel.setDisconnectEnabled(false);
    emit serialConnectedChanged(false);
}

void LinkController::restoreReconnect()
{
    const auto on = toBool(ReadSetting(QString(SK::AutoReconnect), QStringLiteral("False")));
    m_panel.setReconnectWanted(on.value_or(false));
}

void LinkController::storeReconnect()
{
    WriteSetting(QString(SK::AutoReconnect),
                 m_panel.reconnectWanted() ? QStringLiteral("True") : QStringLiteral("False"));
}

void LinkController::stopWaiting()
{
    if (!isWaitingForPort())
        return;
    m_tmrReconnect->stop();
    m_waitingPort.clear();
    m_waitingSettings.clear();
    emit statusText(QString());
}

void LinkController::tmrReconnect_Timer()
{
    if (!isWaitingForPort() || !m_serial.open(m_waitingPort, m_waitingSettings))
        return;
    stopWaiting();
    setConnectedState();
}

// The serial port died under the program (device unplugged, far end gone). The link has closed it
// already; the window must not go on looking connected.
void LinkController::serialFailed(const QString &description)
{
    emit serialLost();
    if (m_panel.reconnectWanted() && !m_panel.tcpChosen()) {
        // Waiting for the port: no box; Disconnect stops the waiting, the rest waits disconnected.
        m_waitingPort = m_serial.openedName();
        m_waitingSettings = m_serial.openedSettings();
        emit serialConnectedChanged(false);
        m_panel.setConnectEnabled(false);
        m_panel.setDisconnectEnabled(true);
        emit statusText(QStringLiteral("Waiting for %1 to come back (%2)").arg(m_waitingPort, description));
        m_tmrReconnect->start();
        return;
    }
    setDisconnectedState();
    if (m_panel.tcpChosen()) {
        m_panel.setConnectEnabled(false);
        emit tcpChosen();
    }
    showMessage(m_window, description, QMessageBox::Critical, QStringLiteral("Error"));
}

QString LinkController::socketState() const
{
    return QStringLiteral("TCP- ") + TcpLink::stateName(m_tcp.state());
}

} // namespace kivo
