#include "send/SendPanel.h"

#include "core/Fonts.h"
#include "core/MessageBox.h"
#include "core/PanelGeometry.h"
#include "send/SendEncoding.h"
#include "send/Sender.h"
#include "send/frmSendMessage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kivo {

SendPanel::SendPanel(QWidget *controlPanel) : QWidget(controlPanel)
{
    setObjectName(QStringLiteral("SendPanel"));
    m_Frame2 = new QGroupBox(QStringLiteral("Send Format"), this);
    m_Frame2->setObjectName(QStringLiteral("Frame2"));
    m_Frame2->setGeometry(8, 65, 97, 73);
    m_optFormatAscii = new QRadioButton(QStringLiteral("ASCII"), m_Frame2);
    m_optFormatAscii->setObjectName(QStringLiteral("optFormatAscii"));
    m_optFormatAscii->setGeometry(10, 20, 80, 22);
    m_optFormatHexa = new QRadioButton(QStringLiteral("Hexa"), m_Frame2);
    m_optFormatHexa->setObjectName(QStringLiteral("optFormatHexa"));
    m_optFormatHexa->setGeometry(10, 44, 80, 22);

    m_Frame3 = new QGroupBox(QStringLiteral("Send Form"), this);
    m_Frame3->setObjectName(QStringLiteral("Frame3"));
    m_Frame3->setGeometry(112, 65, 121, 73);
    m_optFormMsg = new QRadioButton(QStringLiteral("Message Data"), m_Frame3);
    m_optFormMsg->setObjectName(QStringLiteral("optFormMsg"));
    m_optFormMsg->setGeometry(10, 20, 108, 22);
    m_optFormByte = new QRadioButton(QStringLiteral("Byte Data"), m_Frame3);
    m_optFormByte->setObjectName(QStringLiteral("optFormByte"));
    m_optFormByte->setGeometry(10, 44, 108, 22);

    m_fraDataSend = new QGroupBox(QStringLiteral("Data Send"), this);
    m_fraDataSend->setObjectName(QStringLiteral("fraDataSend"));
    m_fraDataSend->setGeometry(8, 138, 585, 57);
    m_txtSend = new QLineEdit(m_fraDataSend);
    m_txtSend->setObjectName(QStringLiteral("txtSend"));
    m_txtSend->setFont(courierFont());
    m_txtSend->setMaxLength(kTextBoxLimit);
    m_txtSend->setGeometry(8, 22, 340, 26);
    m_cmdSend = new QPushButton(QStringLiteral("Send"), m_fraDataSend);
    m_cmdSend->setObjectName(QStringLiteral("cmdSend"));
    m_cmdSend->setGeometry(354, 20, 64, 30);
    m_cmdSendMsg = new QPushButton(QStringLiteral("Send &Msg..."), m_fraDataSend);
    m_cmdSendMsg->setObjectName(QStringLiteral("cmdSendMsg"));
    m_cmdSendMsg->setGeometry(422, 20, 92, 30);
    m_lblSendLength = new QLabel(QStringLiteral("Length 0"), m_fraDataSend);
    m_lblSendLength->setObjectName(QStringLiteral("lblSendLength"));
    m_lblSendLength->setGeometry(520, 26, 62, 18);

    fitToChildren(this);

    connect(m_optFormatAscii, &QRadioButton::clicked, this, &SendPanel::optFormatAscii_Click);
    connect(m_optFormatHexa, &QRadioButton::clicked, this, &SendPanel::optFormatHexa_Click);
    connect(m_optFormByte, &QRadioButton::clicked, this, &SendPanel::optFormByte_Click);
    connect(m_optFormMsg, &QRadioButton::clicked, this, &SendPanel::optFormMsg_Click);
    connect(m_txtSend, &QLineEdit::textChanged, this, &SendPanel::txtSend_Change);
    connect(m_txtSend, &QLineEdit::returnPressed, this, [this] {
        if (m_cmdSend->isEnabled())
            m_cmdSend->click();
    });
    connect(m_cmdSend, &QPushButton::clicked, this, &SendPanel::cmdSend_Click);
    connect(m_cmdSendMsg, &QPushButton::clicked, this, &SendPanel::cmdSendMsg_Click);
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
    const QString text = m_txtSend->text();
    // Blanks go before anything is counted or sent, so that a blank typed after a lone digit can
    // never make that digit a unit of its own. Setting the text runs this handler again.
    if (m_sendFormat != SendFormat::Ascii && text.contains(u' ')) {
        m_txtSend->setText(withoutBlanks(text));
        m_txtSend->setCursorPosition(int(m_txtSend->text().size()));
        return;
    }
    const SendBoxChange change = sendBoxChanged(text, storedValue(m_sendFormat), m_sendForm == SendForm::Byte,
                                                m_sentUnits, isDeletion(m_lastText, text));
    m_lastText = text;
    m_sentUnits = change.sentUnits;
    m_lblSendLength->setVisible(!change.lengthCaption.isEmpty());
    if (!change.lengthCaption.isEmpty())
        m_lblSendLength->setText(change.lengthCaption);
    if (!change.unitToSend.isEmpty() && m_sender)
        m_sender->SendData(change.unitToSend, storedValue(m_sendFormat));
}

void SendPanel::cmdSend_Click()
{
    if (m_role == SendButtonRole::RepeatStop) {
        emit repeatStopRequested();
        return;
    }
    if (!sendBoxSendable(m_txtSend->text(), storedValue(m_sendFormat)))
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
    return trimBlanks(m_txtSend->text());
}

void SendPanel::setSendButtonRole(SendButtonRole role)
{
    m_role = role;
    switch (role) {
    case SendButtonRole::Send:
        m_cmdSend->setText(QStringLiteral("Send"));
        break;
    case SendButtonRole::RepeatStart:
        m_cmdSend->setText(QStringLiteral("Start"));
        break;
    case SendButtonRole::RepeatStop:
        m_cmdSend->setText(QStringLiteral("Stop"));
        break;
    }
}

bool SendPanel::isSendMsgEnabled() const
{
    return m_cmdSendMsg->isEnabled();
}

void SendPanel::clickSendMsg()
{
    m_cmdSendMsg->click();
}

void SendPanel::setSendEnabled(bool on)
{
    m_txtSend->setEnabled(on);
    m_cmdSend->setEnabled(on);
    m_cmdSendMsg->setEnabled(on);
    m_fraDataSend->setEnabled(on);
}

void SendPanel::chooseSendFormat(SendFormat format)
{
    QRadioButton *option = format == SendFormat::Ascii ? m_optFormatAscii : m_optFormatHexa;
    option->setChecked(true);
    if (format == SendFormat::Ascii)
        optFormatAscii_Click();
    else
        optFormatHexa_Click();
}

void SendPanel::chooseSendForm(SendForm form)
{
    QRadioButton *option = form == SendForm::Byte ? m_optFormByte : m_optFormMsg;
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
    m_txtSend->clear();
    m_sendFormat = SendFormat::Ascii;
}

void SendPanel::optFormatHexa_Click()
{
    m_txtSend->clear();
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
