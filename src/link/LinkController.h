#pragma once

#include "link/SerialLink.h"
#include "link/TcpLink.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QTimer;
class frmMain;

namespace kivo {

// The behaviour of the link strip: the serial port list, Connect and Disconnect with the window's
// connected and disconnected states, the link choice, the TCP connect and close, the socket state
// label, the reconnect watchdog and the status-bar clock. It owns both links.
class LinkController : public QObject
{
    Q_OBJECT
public:
    explicit LinkController(frmMain &window);
    ~LinkController() override;

    [[nodiscard]] SerialLink &serialLink() { return m_serial; }
    [[nodiscard]] TcpLink &tcpLink() { return m_tcp; }
    // The link that the link choice names: TCP while "TCP/IP" is chosen, else the serial port.
    [[nodiscard]] Link &activeLink();

    // Where FillPortList takes the machine's port names from; the default asks QSerialPortInfo.
    using PortLister = std::function<QStringList()>;
    void setPortLister(PortLister lister) { m_portLister = std::move(lister); }

    // Fills cboPort anew with the machine's ports in natural order, the first one selected.
    void FillPortList();
    // Start-up: selects the stored port. The port's name wins ("PortName"): the entry of that name,
    // or the typed name put back in the box; the stored index ("Port") counts only without a name.
    void restorePort();
    // Shut-down: stores the port's index and its name.
    void storePort();

    void ConnectSerial();
    void DisconnectSerial();
    // The link choice: "TCP/IP" disconnects the serial port, disables Connect and enables sending;
    // "RS232C" disconnects the serial port. The socket is left as it is.
    void optComm_Click();

    // Connects the TCP link to the monitoring settings' host and port, closing it first.
    void ConnectTcp();
    // Closes the TCP link and stops the watchdog.
    void CloseTcp();

    // The reconnect watchdog, stopped by the TCP receive path on every arrival and armed again
    // (its 3-second count restarted) only while monitoring is on.
    void stopWatchdog();
    void armWatchdog();
    [[nodiscard]] bool isWatchdogArmed() const;

    QTimer *tmrSocketState = nullptr; // 200 ms, always running: the socket state label
    QTimer *tmrSocketCheck = nullptr; // 3000 ms watchdog: reconnects on expiry
    QTimer *tmrTime = nullptr;        // 1000 ms: the date and time in the status bar's first panel

private:
    void setConnectedState();
    void setDisconnectedState();
    void applyAutoRepeatTick();
    void endAutoRepeatRun();
    void serialFailed(const QString &description);
    void tmrSocketState_Timer();
    void tmrTime_Timer();

    frmMain &m_window;
    SerialLink m_serial;
    TcpLink m_tcp;
    PortLister m_portLister;
};

} // namespace kivo
