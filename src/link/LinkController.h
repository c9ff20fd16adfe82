#pragma once

#include "link/SerialLink.h"
#include "link/TcpLink.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QTimer;
class QWidget;

namespace kivo {

class PortPanel;
struct AppData;

// The behaviour of the link strip: the serial port list, Connect and Disconnect, the link choice,
// the TCP connect and close, the socket state and the reconnect watchdog. It owns both links and
// the strip's Connect and Disconnect buttons; what the other panels do when the link changes is
// the window's business, told through the signals below.
class LinkController : public QObject
{
    Q_OBJECT
public:
    // `data` holds the monitoring endpoint; `window` is the parent of the message boxes.
    LinkController(PortPanel &panel, const AppData &data, QWidget *window);
    ~LinkController() override;

    [[nodiscard]] SerialLink &serialLink() { return m_serial; }
    [[nodiscard]] TcpLink &tcpLink() { return m_tcp; }
    // The state label's text for the socket as it is now ("TCP- Close").
    [[nodiscard]] QString socketState() const;
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
    // Closes the serial port (or stops waiting for it to come back). Refused, with its message,
    // while an auto-repeat run goes; returns whether the port is closed now.
    bool DisconnectSerial();
    // The link choice: "TCP/IP" disconnects the serial port, disables Connect and enables sending;
    // "RS232C" disconnects the serial port. The socket is left as it is. When the disconnect is
    // refused the choice goes back to "RS232C" and nothing else changes.
    void optComm_Click();

    // Whether a port that dies is waited for and connected again by itself ("Reconnect"), kept in
    // the settings store by start-up and shut-down.
    void restoreReconnect();
    void storeReconnect();
    // True while a dead port is being waited for.
    [[nodiscard]] bool isWaitingForPort() const { return !m_waitingPort.isEmpty(); }

    // Connects the TCP link to the monitoring settings' host and port, closing it first.
    void ConnectTcp();
    // Closes the TCP link and stops the watchdog.
    void CloseTcp();

    // The TCP receive path's report of an arrival: the reconnect watchdog stops, and starts its
    // 3-second count again when the arrival fed monitoring.
    void tcpDataArrived(bool monitoring);
    [[nodiscard]] bool isWatchdogArmed() const;

    // While an auto-repeat run goes, the serial port may not be disconnected.
    void setRepeatRunning(bool running) { m_repeatRunning = running; }

signals:
    // The serial port was opened, or closed (by Disconnect, by the link choice or because it died).
    void serialConnectedChanged(bool connected);
    // "TCP/IP" is the link choice now and the serial port is closed: sending goes to the socket.
    void tcpChosen();
    // The serial port died under the program; emitted before the window is set disconnected.
    void serialLost();
    // The socket state, whenever it changes, as the state label shows it ("TCP- Connected").
    void socketStateText(const QString &text);
    // A line for the status bar: what the link is waiting for; empty when nothing.
    void statusText(const QString &text);

private:
    void setConnectedState();
    void setDisconnectedState();
    void serialFailed(const QString &description);
    void tmrReconnect_Timer();
    void stopWaiting();

    PortPanel &m_panel;
    const AppData &m_data;
    QWidget *m_window;
    SerialLink m_serial;
    TcpLink m_tcp;
    PortLister m_portLister;
    QTimer *m_tmrSocketCheck = nullptr; // 3000 ms watchdog: reconnects on expiry
    QTimer *m_tmrReconnect = nullptr;   // 1000 ms: tries a dead port again while waiting for it
    QString m_waitingPort;              // the port waited for, with its settings
    QString m_waitingSettings;
    bool m_repeatRunning = false;
};

} // namespace kivo
