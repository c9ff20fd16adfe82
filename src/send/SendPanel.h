#pragma once

#include <QObject>

#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kivo {

// The send format and send form frames and the "Data Send" frame with the send box.
class SendPanel : public QObject
{
    Q_OBJECT
public:
    explicit SendPanel(QWidget *controlPanel);

    QGroupBox *Frame2 = nullptr; // "Send Format"
    QRadioButton *optFormatAscii = nullptr;
    QRadioButton *optFormatHexa = nullptr;
    QGroupBox *Frame3 = nullptr; // "Send Form"
    QRadioButton *optFormMsg = nullptr;
    QRadioButton *optFormByte = nullptr;
    QGroupBox *fraDataSend = nullptr;
    QLineEdit *txtSend = nullptr;
    QPushButton *cmdSend = nullptr;
    QPushButton *cmdSendMsg = nullptr;
    QLabel *lblSendLength = nullptr;

    // The current send format (1 ASCII, 2 Hexa) and form (0 Byte Data, 1 Message Data).
    [[nodiscard]] int16_t sendFormat() const { return m_sendFormat; }
    [[nodiscard]] int16_t sendForm() const { return m_sendForm; }

    // Click handling of the option buttons: the format options empty the send box.
    void optFormatAscii_Click();
    void optFormatHexa_Click();
    void optFormByte_Click();
    void optFormMsg_Click();

private:
    int16_t m_sendFormat = 1;
    int16_t m_sendForm = 1;
};

} // namespace kivo
