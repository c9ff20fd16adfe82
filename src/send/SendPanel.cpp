#include "send/SendPanel.h"

#include "core/Fonts.h"
#include "core/MessageBox.h"
#include "send/SendEncoding.h"
#include "send/Sender.h"
#include "send/frmSendMessage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kivo {

SendPanel::SendPanel(QWidget *controlPanel) : QObject(controlPanel)
{
    Frame2 = new QGroupBox(QStringLiteral("Send Format"), controlPanel);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(8, 65, 97, 73);
    optFormatAscii = new QRadioButton(QStringLiteral("ASCII"), Frame2);
    optFormatAscii->setObjectName(QStringLiteral("optFormatAscii"));
    optFormatAscii->setGeometry(10, 20, 80, 22);
    optFormatHexa = new QRadioButton(QStringLiteral("Hexa"), Frame2);
    optFormatHexa->setObjectName(QStringLiteral("optFormatHexa"));
    optFormatHexa->setGeometry(10, 44, 80, 22);

    Frame3 = new QGroupBox(QStringLiteral("Send Form"), controlPanel);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(112, 65, 121, 73);
    optFormMsg = new QRadioButton(QStringLiteral("Message Data"), Frame3);
    optFormMsg->setObjectName(QStringLiteral("optFormMsg"));
    optFormMsg->setGeometry(10, 20, 108, 22);
    optFormByte = new QRadioButton(QStringLiteral("Byte Data"), Frame3);
    optFormByte->setObjectName(QStringLiteral("optFormByte"));
    optFormByte->setGeometry(10, 44, 108, 22);

    fraDataSend = new QGroupBox(QStringLiteral("Data Send"), controlPanel);
    fraDataSend->setObjectName(QStringLiteral("fraDataSend"));
    fraDataSend->setGeometry(8, 138, 585, 57);
    txtSend = new QLineEdit(fraDataSend);
    txtSend->setObjectName(QStringLiteral("txtSend"));
    txtSend->setFont(courierFont());
    txtSend->setMaxLength(kTextBoxLimit);
    txtSend->setGeometry(8, 22, 340, 26);
    cmdSend = new QPushButton(QStringLiteral("Send"), fraDataSend);
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdSend->setGeometry(354, 20, 64, 30);
    cmdSendMsg = new QPushButton(QStringLiteral("Send &Msg..."), fraDataSend);
    cmdSendMsg->setObjectName(QStringLiteral("cmdSendMsg"));
    cmdSendMsg->setGeometry(422, 20, 92, 30);
    lblSendLength = new QLabel(QStringLiteral("Length 0"), fraDataSend);
    lblSendLength->setObjectName(QStringLiteral("lblSendLength"));
    lblSendLength->setGeometry(520, 26, 62, 18);

    connect(optFormatAscii, &QRadioButton::clicked, this, &SendPanel::optFormatAscii_Click);
    connect(optFormatHexa, &QRadioButton::clicked, this, &SendPanel::optFormatHexa_Click);
    connect(optFormByte, &QRadioButton::clicked, this, &SendPanel::optFormByte_Click);
    connect(optFormMsg, &QRadioButton::clicked, this, &SendPanel::optFormMsg_Click);
    connect(txtSend, &QLineEdit::textChanged, this, &SendPanel::txtSend_Change);
    connect(txtSend, &QLineEdit::returnPressed, this, [this] {
        if (cmdSend->isEnabled())
            cmdSend->click();
    });
    connect(cmdSend, &QPushButton::clicked, this, &SendPanel::cmdSend_Click);
    connect(cmdSendMsg, &QPushButton::clicked, this, &SendPanel::cmdSendMsg_Click);
}

SendPanel::~SendPanel()
{
    delete m_sendMessage;
}

frmSendMessage *SendPanel::sendMessageWindow() const
{
    return m_sendMessage;
}

void SendPanel::attach(Sender &sender, AppData &data)
{
    m_sender = &sender;
    m_data = &data;
}

void SendPanel::txtSend_Change()
{
    const QString text = txtSend->text();
    // Blanks go before anything is counted or sent, so that a blank typed after a lone digit can
    // never make that digit a unit of its own. Setting the text runs this handler again.
    if (m_sendFormat != SendFormat::Ascii && text.contains(u' ')) {
        txtSend->setText(withoutBlanks(text));
        txtSend->setCursorPosition(int(txtSend->text().size()));
        return;
    }
    const SendBoxChange change = sendBoxChanged(text, storedValue(m_sendFormat), m_sendForm == SendForm::Byte,
                                                m_sentUnits, isDeletion(m_lastText, text));
    m_lastText = text;
    m_sentUnits = change.sentUnits;
    lblSendLength->setVisible(!change.lengthCaption.isEmpty());
    if (!change.lengthCaption.isEmpty())
        lblSendLength->setText(change.lengthCaption);
    if (!change.unitToSend.isEmpty() && m_sender)
        m_sender->SendData(change.unitToSend, storedValue(m_sendFormat));
}

void SendPanel::cmdSend_Click()
{
    if (m_role == SendButtonRole::RepeatStop) {
        emit repeatStopRequested();
        return;
    }
    if (!sendBoxSendable(txtSend->text(), storedValue(m_sendFormat)))
        return;
    if (m_role == SendButtonRole::RepeatStart) {
        emit repeatStartRequested();
        return;
    }
    if (m_sender)
        m_sender->SendData(textToSend(), storedValue(m_sendFormat));
}

QString SendPanel::textToSend() const
{
    return trimBlanks(txtSend->text());
}

void SendPanel::setSendButtonRole(SendButtonRole role)
{
    m_role = role;
    switch (role) {
    case SendButtonRole::Send:
        cmdSend->setText(QStringLiteral("Send"));
        break;
    case SendButtonRole::RepeatStart:
        cmdSend->setText(QStringLiteral("Start"));
        break;
    case SendButtonRole::RepeatStop:
        cmdSend->setText(QStringLiteral("Stop"));
        break;
    }
}

void SendPanel::setSendEnabled(bool on)
{
    txtSend->setEnabled(on);
    cmdSend->setEnabled(on);
    cmdSendMsg->setEnabled(on);
    fraDataSend->setEnabled(on);
}

void SendPanel::chooseSendFormat(SendFormat format)
{
    QRadioButton *option = format == SendFormat::Ascii ? optFormatAscii : optFormatHexa;
    option->setChecked(true);
    if (format == SendFormat::Ascii)
        optFormatAscii_Click();
    else
        optFormatHexa_Click();
}

void SendPanel::chooseSendForm(SendForm form)
{
    QRadioButton *option = form == SendForm::Byte ? optFormByte : optFormMsg;
    option->setChecked(true);
    if (form == SendForm::Byte)
        optFormByte_Click();
    else
        optFormMsg_Click();
}

void SendPanel::cmdSendMsg_Click()
{
    if (!m_sender || !m_data)
        return;
    if (!m_sendMessage)
        m_sendMessage = new frmSendMessage(*m_data, *m_sender);
    m_sendMessage->show();
    m_sendMessage->raise();
    m_sendMessage->activateWindow();
}

void SendPanel::optFormatAscii_Click()
{
    txtSend->clear();
    m_sendFormat = SendFormat::Ascii;
}

void SendPanel::optFormatHexa_Click()
{
    txtSend->clear();
    m_sendFormat = SendFormat::Hexa;
}

void SendPanel::optFormByte_Click()
{
    m_sendForm = SendForm::Byte;
}

void SendPanel::optFormMsg_Click()
{
    m_sendForm = SendForm::Message;
}

} // namespace kivo
