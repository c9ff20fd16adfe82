#pragma once

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kivo {

// The port settings strip at the top of the control panel: link choice, serial line parameters,
// the Recv Delay, Connect, Disconnect and Reconnect. Its controls are its own; the link controller
// works it through the calls and signals below.
class PortPanel : public QWidget
{
    Q_OBJECT
public:
    explicit PortPanel(QWidget *controlPanel);

    // The lists whose choice is kept by its index.
    enum class Choice { Parity, DataBit, StopBit, Bps, RecvDelay };

    // Fills the fixed line-parameter lists (parity, data bits, stop bits, bit rates), none selected.
    void fillFixedLists();
    // Fills the receive-delay list, none selected.
    void fillDelayList();
    // The selected entry of a list (-1: none), and selecting one; an index the list does not hold
    // leaves the list as it is.
    [[nodiscard]] int choiceIndex(Choice choice) const;
    void selectChoice(Choice choice, int index);
    // Selects the entry with exactly that text; false (the list as it was) when there is none.
    bool selectChoiceText(Choice choice, const QString &text);

    // The port box: the machine's ports (none selected), the entry shown, a typed name.
    void setPortNames(const QStringList &names);
    [[nodiscard]] int portCount() const;
    [[nodiscard]] int portIndex() const;
    [[nodiscard]] int findPort(const QString &name) const;
    void selectPort(int index);
    void setPortText(const QString &text);
    // The port as Connect opens it: the box's text less blanks around it.
    [[nodiscard]] QString portText() const;
    // The line settings chosen, as a settings text ("9600,N,8,1").
    [[nodiscard]] QString lineSettingsText() const;

    // Whether "TCP/IP" is the link choice; choosing one sets the option without its click handling.
    [[nodiscard]] bool tcpChosen() const;
    void chooseLink(bool tcp);

    [[nodiscard]] bool reconnectWanted() const;
    void setReconnectWanted(bool on);

    void setConnectEnabled(bool on);
    void setDisconnectEnabled(bool on);
    [[nodiscard]] bool isConnectEnabled() const;
    [[nodiscard]] bool isDisconnectEnabled() const;
    // What the File menu's Connect and Disconnect do: click the button.
    void clickConnect();
    void clickDisconnect();

    // The Recv Delay chosen, in seconds (the entry's numeric value).
    [[nodiscard]] double recvDelaySeconds() const;
    // The Recv Delay selector, which the receive path guards and the terminal tab sets to "0".
    [[nodiscard]] QComboBox *recvDelayBox() const { return m_cboDelay; }

    // Sets the strip's width (the layout follows the window's width).
    void setStripWidth(int pixels);

signals:
    void connectClicked();
    void disconnectClicked();
    // "TCP/IP" or "RS232C" was clicked.
    void linkChoiceClicked();

private:
    QLabel *addLabel(const QString &name, const QString &caption, int x);
    QComboBox *addCombo(const QString &name, int x, int width);
    [[nodiscard]] QComboBox *box(Choice choice) const;

    QGroupBox *m_fraPortSetting = nullptr;
    QGroupBox *m_fraComm = nullptr;
    QRadioButton *m_optComm_0 = nullptr; // "TCP/IP"
    QRadioButton *m_optComm_1 = nullptr; // "RS232C"
    QComboBox *m_cboPort = nullptr;
    QComboBox *m_cboParity = nullptr;
    QComboBox *m_cboDataBit = nullptr;
    QComboBox *m_cboStopBit = nullptr;
    QComboBox *m_cboBps = nullptr;
    QComboBox *m_cboDelay = nullptr;
    QPushButton *m_cmdConnect = nullptr;
    QPushButton *m_cmdDisconnect = nullptr;
    QCheckBox *m_chkReconnect = nullptr; // reconnect by itself when the port dies
};

} // namespace kivo
