#include "traffic/ReceivePipeline.h"

#include "core/AppData.h"
#include "core/Conversions.h"
#include "core/HexCodec.h"
#include "core/MessageBox.h"
#include "link/Link.h"
#include "traffic/RxBuffers.h"
#include "traffic/TrafficViews.h"

#include <QComboBox>
#include <QMetaMethod>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kivo {

namespace {
constexpr int kMonitorDelayFallbackIndex = 3; // "0.03"
} // namespace

ReceivePipeline::ReceivePipeline(TrafficViews &views, QComboBox *cboDelay, AppData &data,
                                 RxBuffers &serialBuffers, RxBuffers &tcpBuffers, QObject *parent)
    : QObject(parent), m_views(views), m_cboDelay(cboDelay), m_data(data), m_serialBuffers(serialBuffers),
      m_tcpBuffers(tcpBuffers), m_gatherEnd(kGatherSlack, [this] { endGathering(); })
{
    m_tcpNextSlice.setSingleShot(true);
    m_tcpNextSlice.setInterval(0);
    connect(&m_tcpNextSlice, &QTimer::timeout, this, &ReceivePipeline::workTcpSlice);
    connect(m_cboDelay, &QComboBox::currentIndexChanged, this, &ReceivePipeline::cboDelay_Click);
}

void ReceivePipeline::setSerialLink(Link *link)
{
    if (m_serial)
        disconnect(m_serial, nullptr, this, nullptr);
    m_serial = link;
    if (link)
        connect(link, &Link::readyRead, this, &ReceivePipeline::MSComm1_OnComm);
}

void ReceivePipeline::setTcpLink(Link *link)
{
    if (m_tcp)
        disconnect(m_tcp, nullptr, this, nullptr);
    m_tcp = link;
    if (link)
        connect(link, &Link::readyRead, this, &ReceivePipeline::WinsockMain_DataArrival);
}

void ReceivePipeline::setMonitorHook(MonitorHook hook)
{
    m_hook = std::move(hook);
}

// Read at every arrival, so the chosen entry's number is kept until another entry is chosen.
double ReceivePipeline::recvDelay() const
{
    const int index = m_cboDelay->currentIndex();
    if (index != m_delayIndex || m_cboDelay->isEditable()) {
        m_delayIndex = index;
        m_delay = leadingNumber(m_cboDelay->currentText());
    }
    return m_delay;
}

bool ReceivePipeline::monitoring() const
{
    return m_data.bMonitor && m_hook.frameStep;
}

// The receive seam: every chunk with its link and time. The time and the endpoint are taken only
// when something listens, as this runs for every read of a stream.
void ReceivePipeline::announce(Link *link, const QByteArray &bytes)
{
    static const QMetaMethod signal = QMetaMethod::fromSignal(&ReceivePipeline::received);
    if (isSignalConnected(signal))
        emit received(chunkNow(link, bytes));
}

void ReceivePipeline::MSComm1_OnComm()
{
    if (!m_serial)
        return;
    // The bytes gathered before the deadline make one read, whenever it is worked through; the
    // bytes that arrive after it open the next gathering.
    m_gatherEnd.runIfDue();
    const double delay = recvDelay();
    if (delay <= 0) {
        endGathering();
        readSerial();
        return;
    }
    const bool opening = m_gathered.isEmpty();
    m_gathered += m_serial->readAll();
    if (opening && !m_gathered.isEmpty())
        m_gatherEnd.start(std::lround(delay * 1000));
}

void ReceivePipeline::endGathering()
{
    m_gatherEnd.stop();
    if (!m_gathered.isEmpty())
        workSerial(std::exchange(m_gathered, {}));
}

void ReceivePipeline::discardSerialInput()
{
    m_gatherEnd.stop();
    m_gathered.clear();
    if (m_serial)
        m_serial->discardInput();
}

void ReceivePipeline::readSerial()
{
    while (m_serial && m_serial->bytesAvailable() > 0) {
        const QByteArray chunk = m_serial->readAll();
        if (chunk.isEmpty())
            break; // a port that reports bytes but yields none would loop for ever
        workSerial(chunk);
    }
}

void ReceivePipeline::workSerial(const QByteArray &chunk)
{
    if (!m_serial)
        return;
    m_views.holdViewsPaced();
    for (qsizetype at = 0; at < chunk.size() && m_serial; at += kReadSlice) {
        const QByteArray piece =
            chunk.size() <= kReadSlice ? chunk : chunk.sliced(at, std::min(kReadSlice, chunk.size() - at));
        announce(m_serial, piece);
        m_serialBuffers.keepRecent(piece);
        route(piece, m_serialBuffers);
        if (monitoring())
            feedMonitor(m_serial, m_serialBuffers, piece);
        flush(m_serialBuffers);
    }
}

void ReceivePipeline::WinsockMain_DataArrival()
{
    if (!m_tcp)
        return;
    // While slices are still waiting, the new bytes queue behind them in the socket.
    if (m_tcpNextSlice.isActive())
        return;
    workTcpSlice();
}

void ReceivePipeline::workTcpSlice()
{
    if (!m_tcp) {
        m_tcpPending.clear();
        m_tcpDone = 0;
        return;
    }
    // The socket's read buffer is bounded, so what is read here is bounded too; the sender is
    // slowed by TCP itself while the window works through it.
    if (m_tcpDone >= m_tcpPending.size()) {
        m_tcpPending = m_tcp->readAll();
        m_tcpDone = 0;
    }
    const qsizetype take = std::min(kReadSlice, m_tcpPending.size() - m_tcpDone);
    const QByteArray bytes =
        take == m_tcpPending.size() ? m_tcpPending : m_tcpPending.sliced(m_tcpDone, take);
    m_tcpDone += take;
    if (m_tcpDone >= m_tcpPending.size()) {
        m_tcpPending.clear();
        m_tcpDone = 0;
    }

    if (!bytes.isEmpty())
        announce(m_tcp, bytes);
    m_tcpBuffers.keepRecent(bytes);
    m_views.holdViewsPaced();
    route(bytes, m_tcpBuffers);
    const bool fed = monitoring() && !bytes.isEmpty();
    if (fed) {
        // The frame step looks at every byte in order, so it finds every frame wherever the
        // slices end; the views are held, so flushing once after the slice shows the same lines
        // as flushing after each byte.
        feedMonitor(m_tcp, m_tcpBuffers, bytes);
        flush(m_tcpBuffers);
    }
    emit tcpArrivalHandled(fed);
    if (m_tcpDone < m_tcpPending.size() || (m_tcp && m_tcp->bytesAvailable() > 0))
        m_tcpNextSlice.start();
}

void ReceivePipeline::route(const QByteArray &bytes, RxBuffers &buffers)
{
    const ViewTab tab = m_views.selectedTab();
    if (showsAscii(tab))
        m_views.AddAscii(bytes, buffers.strAscBuf, buffers.ascDecoder);
    if (showsHex(tab))
        m_views.AddHexa(bytes, buffers.strHexBuf);
    if (tab == ViewTab::Terminal)
        m_views.AddHyper(bytes, buffers.strHyperBuf, buffers.hyperDecoder);
}

void ReceivePipeline::flush(RxBuffers &buffers)
{
    if (!buffers.strAscBuf.isEmpty())
        m_views.PrintRecv(m_views.rtfPrintAsc, buffers.strAscBuf);
    if (!buffers.strHexBuf.isEmpty())
        m_views.PrintRecv(m_views.rtfPrintHex, buffers.strHexBuf);
    if (!buffers.strHyperBuf.isEmpty())
        m_views.PrintHyper(buffers.strHyperBuf);
}

void ReceivePipeline::feedMonitor(Link *link, RxBuffers &buffers, const QByteArray &piece)
{
    m_hook.frameStep(link, buffers, piece);
    if (m_hook.showWeight)
        m_hook.showWeight(trimBlanks(buffers.strWeight));
}

void ReceivePipeline::cboDelay_Click()
{
    if (!m_data.bMonitor || recvDelay() <= kMonitorDelayLimit)
        return;
    showMessage(
        m_cboDelay->window(),
        QStringLiteral("인디케이터 모니터링 기능이 켜져 있을때는 Recv Delay 값이 0.04초 이하로 제한됩니다."),
        QMessageBox::Warning, appTitle());
    m_cboDelay->setCurrentIndex(kMonitorDelayFallbackIndex);
    discardSerialInput();
}

} // namespace kivo
