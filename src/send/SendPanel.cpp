#include "send/SendPanel.h"

#include "app/Fonts.h"

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
    txtSend->setMaxLength(32767);
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
}

void SendPanel::optFormatAscii_Click()
{
    txtSend->clear();
    m_sendFormat = 1;
}

void SendPanel::optFormatHexa_Click()
{
    txtSend->clear();
    m_sendFormat = 2;
}

void SendPanel::optFormByte_Click()
{
    m_sendForm = 0;
}

void SendPanel::optFormMsg_Click()
{
    m_sendForm = 1;
}

} // namespace kivo
