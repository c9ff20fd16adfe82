#pragma once

#include "monitor/MonitorOptions.h"
#include "monitor/WeightReading.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

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
    // (closing also stops its watchdog), throw away waiting serial input, and send a polling
    // request through the one send path when a link is ready for it. Unset ones do nothing.
    struct LinkHooks
    {
        std::function<void()> connectTcp;
        std::function<void()> closeTcp;
        std::function<void()> discardSerialInput;
        std::function<void(const QByteArray &)> sendRequest;
    };

    // What the settings dialog asks of the rest of the window: the bytes the chosen link received
    // last (for trying a pattern on them), and finding an unknown indicator's settings, which
    // applies the line settings itself and gives the layout found (nothing when none or cancelled).
    struct DialogHooks
    {
        std::function<QByteArray()> recentBytes;
        std::function<std::optional<int>(const PatternLayout &)> findSettings;
    };

    // The panel it drives, the port strip whose Recv Delay and link choice Mon On checks, the
    // monitoring settings, and the window that parents the dialog and the message boxes.
    MonitorController(IndicatorPanel &panel, const PortPanel &port, AppData &data, QWidget *window);

    void setLinkHooks(LinkHooks hooks) { m_links = std::move(hooks); }
    void setDialogHooks(DialogHooks hooks) { m_dialogHooks = std::move(hooks); }

    // Polling and the pattern layout as stored; read at start-up.
    void restoreOptions(const QString &listFile);
    [[nodiscard]] const MonitorOptions &options() const { return m_options; }
    // New options (and layout) take effect at once: readers start afresh, polling follows.
    void setOptions(const MonitorOptions &options);

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
    [[nodiscard]] bool isPolling() const { return m_poll.isActive(); }

signals:
    // Every frame the frame step finds, in order.
    void frameRead(const kivo::WeightReading &reading);
    // Bytes the frame step threw away (a link's junk between frames, a frame of the wrong shape).
    void bytesDropped(kivo::Link *link, qint64 count);
    // Mon On or Mon Off took effect.
    void monitoringChanged(bool on);

private:
    // The frame step for the protocol layouts, through a reader kept per link.
    bool checkProtocolFrame(Link *link, RxBuffers &buffers, const QByteArray &piece, int mode);
    FrameReader *readerFor(Link *link, int mode);
    // What the readings of one received piece share, filled in when its first frame is read.
    struct PieceStamp
    {
        Link *link = nullptr;
        int mode = 0;
        mutable std::optional<WeightReading> stamp;
    };
    [[nodiscard]] static WeightReading readingOf(const PieceStamp &piece, const ProtocolFrame &frame);
    // Starts or stops polling after a change of monitoring, layout or options.
    void updatePolling();
    void pollTick();

    IndicatorPanel &m_panel;
    const PortPanel &m_port;
    AppData &m_data;
    QWidget *m_window;
    LinkHooks m_links;
    DialogHooks m_dialogHooks;
    MonitorOptions m_options;
    QString m_listFile;
    QTimer m_poll;
    struct LinkReader
    {
        Link *link = nullptr;
        int mode = -1;
        std::unique_ptr<FrameReader> reader;
    };
    std::vector<LinkReader> m_readers;
};

} // namespace kivo
