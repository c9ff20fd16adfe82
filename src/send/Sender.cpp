#include "send/Sender.h"

#include "core/CodePage.h"
#include "core/MessageBox.h"
#include "app/frmMain.h"
#include "link/Link.h"
#include "link/PortPanel.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "send/FuncKeyBar.h"
#include "send/SendEncoding.h"
#include "send/SendPanel.h"
#include "traffic/TrafficViews.h"

#include <QRadioButton>

#include <utility>

namespace kivo {

Sender::Sender(frmMain &main) : QObject(&main), m_main(main)
{
    main.sendPanel()->attach(*this, main.data());
    main.funcKeyBar()->attach(*this, main.data());
}

Link *Sender::chosenLink() const
{
    if (m_main.portPanel()->optComm_0->isChecked())
        return &m_main.tcpLink();
    return &m_main.serialLink();
}

void Sender::SendData(QString strData, const int16_t &iSendFormat)
{
    send(std::move(strData), iSendFormat, false);
}

void Sender::SendPaced(const QString &strData, int16_t iSendFormat)
{
    m_main.views()->holdViewsPaced();
    send(strData, iSendFormat, true);
}

void Sender::send(QString strData, int16_t iSendFormat, bool paced)
{
    if (iSendFormat == 1)
        strData = AscToHex(strData);
    const QByteArray bytes = HexToBytes(strData);

    Link *link = chosenLink();
    QString error;
    if (!link->write(bytes, &error)) {
        showMessage(&m_main, error, QMessageBox::Warning, appTitle());
        return;
    }
    showSend(bytes, strData, paced);
    emit dataSent(bytes);
}

void Sender::SendStored(const QString &text, int16_t mode, bool lineEnd, bool stx, QStringView lineEndChars)
{
    SendData(frameStoredString(text, mode, lineEnd, stx, lineEndChars), mode);
}

void Sender::showSend(const QByteArray &bytes, const QString &hexText, bool paced)
{
    TrafficViews &views = *m_main.views();
    // A send of its own shows at once, after any received or repeated lines still held back, so
    // the view keeps the order of the line.
    if (!paced)
        views.commitHeldLines();
    const int tab = views.selectedTab();
    if (tab == 1 || tab == 3)
        views.PrintSend(views.rtfPrintAsc, CodePage::system().decode(bytes));
    if (tab == 2 || tab == 3)
        views.PrintSend(views.rtfPrintHex, HexToSpaced(hexText));
}

} // namespace kivo
