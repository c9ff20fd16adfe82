#pragma once

#include <QObject>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kivo {

// The port settings strip at the top of the control panel: link choice, serial line parameters,
// the Recv Delay and the Connect and Disconnect buttons.
class PortPanel : public QObject
{
    Q_OBJECT
public:
    explicit PortPanel(QWidget *controlPanel);

    // Fills the fixed line-parameter lists (parity, data bits, stop bits, bit rates), none selected.
    void fillFixedLists();
    // Fills the receive-delay list, none selected.
    void fillDelayList();

    QGroupBox *fraPortSetting = nullptr;
    QGroupBox *fraComm = nullptr;
    QRadioButton *optComm_0 = nullptr; // "TCP/IP"
    QRadioButton *optComm_1 = nullptr; // "RS232C"
    QComboBox *cboPort = nullptr;
    QComboBox *cboParity = nullptr;
    QComboBox *cboDataBit = nullptr;
    QComboBox *cboStopBit = nullptr;
    QComboBox *cboBps = nullptr;
    QComboBox *cboDelay = nullptr;
    QPushButton *cmdConnect = nullptr;
    QPushButton *cmdDisconnect = nullptr;
    QCheckBox *chkReconnect = nullptr; // reconnect by itself when the port dies

    // Sets the strip's width (the layout follows the window's width).
    void setStripWidth(int pixels);

    // The Recv Delay chosen, in seconds (the entry's numeric value).
    [[nodiscard]] double recvDelaySeconds() const;
    // Whether "TCP/IP" is the link choice.
    [[nodiscard]] bool tcpChosen() const;

private:
    QLabel *addLabel(const QString &name, const QString &caption, int x);
    QComboBox *addCombo(const QString &name, int x, int width);
};

} // namespace kivo
