#pragma once

#include "monitor/WeightReading.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace kivo {

class IndicatorPanel;
class Link;
class PortPanel;
struct AppData;
struct RxBuffers;

// Indicator monitoring: the Mon On, Mon Off and Set buttons, and the frame step the receive path
// runs on every received piece while monitoring is on.
class MonitorController : public QObject
{
    Q_OBJECT
public:
    // What monitoring asks of the links: open and close the TCP link to the monitoring endpoint
    // (closing also stops its watchdog) and throw away waiting serial input. Unset ones do nothing.
    struct LinkHooks
    {
        std::function<void()> connectTcp;
        std::function<void()> closeTcp;
        std::function<void()> discardSerialInput;
    };

    // The panel it drives, the port strip whose Recv Delay and link choice Mon On checks, the
    // monitoring settings, and the window that parents the dialog and the message boxes.
    MonitorController(IndicatorPanel &panel, const PortPanel &port, AppData &data, QWidget *window);

    void setLinkHooks(LinkHooks hooks) { m_links = std::move(hooks); }

    // The frame step for one received piece of a link (its buffers): the piece is fed to the
    // frame collection one byte at a time, so every frame in it is found and counted wherever
    // the piece boundaries fall, and the lamps follow the last frame's status. Returns whether
    // a frame completed. The caller then shows the link's weight with showWeight.
    bool CheckFrame(Link *link, RxBuffers &buffers, const QByteArray &piece);
    // Writes a weight into the display.
    void showWeight(const QString &weight);

    void cmdMonOn_Click();
    void cmdMonOff_Click();
    void cmdMonSet_Click();

    [[nodiscard]] bool isMonitoring() const;

signals:
    // Every frame the frame step finds, in order.
    void frameRead(const kivo::WeightReading &reading);
    // Bytes the frame step threw away (a link's junk between frames, a frame of the wrong shape).
    void bytesDropped(kivo::Link *link, qint64 count);
    // Mon On or Mon Off took effect.
    void monitoringChanged(bool on);

private:
    IndicatorPanel &m_panel;
    const PortPanel &m_port;
    AppData &m_data;
    QWidget *m_window;
    LinkHooks m_links;
};

} // namespace kivo
