#include "send/Sender.h"

#include "core/CodePage.h"
#include "core/MessageBox.h"
#include "link/LinkController.h"
#include "send/SendEncoding.h"
#include "traffic/TrafficViews.h"

#include <QWidget>

#include <utility>

namespace kivo {

Sender::Sender(LinkController &links, TrafficViews &views, QWidget *window)
    : QObject(window), m_links(links), m_views(views), m_window(window)
{
}

Link *Sender::chosenLink() const
{
    return &m_links.activeLink();
}

void Sender::SendData(QString strData, const int16_t &iSendFormat)
{
    send(std::move(strData), iSendFormat, false);
}

void Sender::SendPaced(const QString &strData, int16_t iSendFormat)
{
    m_views.holdViewsPaced();
    send(strData, iSendFormat, true);
}

void Sender::send(QString strData, int16_t iSendFormat, bool paced)
{
    if (sendFormatOf(iSendFormat) == SendFormat::Ascii)
        strData = AscToHex(strData);
    const QByteArray bytes = HexToBytes(strData);

    Link *link = chosenLink();
    QString error;
    if (!link->write(bytes, &error)) {
        showMessage(m_window, error, QMessageBox::Warning, appTitle());
        return;
    }
    emit sent(chunkNow(link, bytes));
    showSend(bytes, strData, paced);
}

void Sender::SendStored(const QString &text, int16_t mode, bool lineEnd, bool stx, QStringView lineEndChars)
{
    SendData(frameStoredString(text, mode, lineEnd, stx, lineEndChars), mode);
}

void Sender::showSend(const QByteArray &bytes, const QString &hexText, bool paced)
{
    TrafficViews &views = m_views;
    // A send of its own shows at once, after any received or repeated lines still held back, so
    // the view keeps the order of the line.
    if (!paced)
        views.commitHeldLines();
    const ViewTab tab = views.selectedTab();
    if (showsAscii(tab))
        views.PrintSend(views.rtfPrintAsc, CodePage::system().decode(bytes));
    if (showsHex(tab))
        views.PrintSend(views.rtfPrintHex, HexToSpaced(hexText));
}

} // namespace kivo
