#pragma once

#include "core/LateTimer.h"
#include "link/Link.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

class QComboBox;

namespace kivo {

class TrafficViews;
struct AppData;
struct RxBuffers;

// Takes received bytes from the serial and the TCP link into the traffic views and, while
// monitoring, into the indicator frame step.
//
// Serial: a nonzero Recv Delay gathers a burst. The first readyRead of a burst starts a single-shot
// timer, later ones read nothing, and when it fires everything waiting is read; with "0" every
// readyRead reads at once. What is read is worked through in slices of at most kReadSlice bytes
// (a burst at a real line's pace is one slice), so that no view line, which a slice makes, grows
// with a flood. TCP: what arrives is worked through in such slices with the event loop running
// between them, so a flood cannot freeze the window. Each slice is routed and, while monitoring,
// fed to the frame step, which looks at every byte in order, and the view buffers are flushed
// after it.
class ReceivePipeline : public QObject
{
    Q_OBJECT
public:
    // What the monitoring side plugs in: the frame step over a link's buffers and a piece of
    // bytes, and the weight display. Without a frame step nothing is fed.
    struct MonitorHook
    {
        std::function<void(Link *, RxBuffers &, const QByteArray &)> frameStep;
        std::function<void(const QString &)> showWeight;
    };

    // The most bytes worked through as one piece: one view line at most, and for TCP the most
    // worked through before the event loop runs again.
    static constexpr qsizetype kReadSlice = 16 * 1024;

    ReceivePipeline(TrafficViews &views, QComboBox *cboDelay, AppData &data, RxBuffers &serialBuffers,
                    RxBuffers &tcpBuffers, QObject *parent = nullptr);

    // The links whose readyRead this pipeline serves (either may be null).
    void setSerialLink(Link *link);
    void setTcpLink(Link *link);
    void setMonitorHook(MonitorHook hook);

    // The serial receive event: reads now, or starts or joins the Recv Delay gathering.
    void MSComm1_OnComm();
    // The TCP data arrival: works through one slice and leaves the rest for the next passes of
    // the event loop.
    void WinsockMain_DataArrival();
    // The Recv Delay guard, run on every change of the selector.
    void cboDelay_Click();
    // Drops what the serial port has received and not yet shown, gathered bytes included.
    void discardSerialInput();

    // The Recv Delay in force, in seconds (the selected entry's numeric value).
    [[nodiscard]] double recvDelay() const;

signals:
    // Every chunk read from either link, before the views and monitoring see it.
    void received(const kivo::LinkChunk &chunk);
    // A TCP slice was handled; `fedMonitor` tells whether it fed the frame step (the reconnect
    // watchdog then counts its 3 seconds again, else it stops).
    void tcpArrivalHandled(bool fedMonitor);

private:
    void readSerial();
    void endGathering();
    void workSerial(const QByteArray &chunk);
    void announce(Link *link, const QByteArray &bytes);
    void workTcpSlice();
    void route(const QByteArray &bytes, RxBuffers &buffers);
    void flush(RxBuffers &buffers);
    void feedMonitor(Link *link, RxBuffers &buffers, const QByteArray &piece);
    [[nodiscard]] bool monitoring() const;

    TrafficViews &m_views;
    QComboBox *m_cboDelay;
    mutable int m_delayIndex = -2; // no entry read yet
    mutable double m_delay = 0;
    AppData &m_data;
    RxBuffers &m_serialBuffers;
    RxBuffers &m_tcpBuffers;
    QPointer<Link> m_serial;
    QPointer<Link> m_tcp;
    MonitorHook m_hook;
    // Serial bytes read during a Recv Delay gathering, and its end. The end may come up to
    // kGatherSlack late when nothing else wakes the window, so that a stream's gatherings end at
    // its next arrival instead of waking the window each time.
    static constexpr std::chrono::milliseconds kGatherSlack{25};
    QByteArray m_gathered;
    LateTimer m_gatherEnd;
    // TCP bytes read but not yet worked through, from m_tcpDone on, and the pass that takes the
    // next slice.
    QByteArray m_tcpPending;
    qsizetype m_tcpDone = 0;
    QTimer m_tcpNextSlice;
};

} // namespace kivo
