#pragma once

// An indicator scripted behind the probe port, for the settings finder's tests: on the lines it
// speaks it sends its frames (a stream, or one answer to each request), on any other line it
// sends noise; it refuses the framings a driver would refuse. Unlike a pseudo-terminal it takes
// 7E1 and 7O1. It ticks every 10 ms.

#include "detect/ProbePort.h"
#include "detect/SettingsFinder.h"

#include <QRandomGenerator>
#include <QTimer>

class FakeIndicator : public kivo::ProbePort
{
    Q_OBJECT
public:
    // What the indicator sends on one line: its frame every tick, or, with a request, one frame
    // for each request written; at most `limit` frames each time the port opens (-1: no limit),
    // the first of them after `lead` bytes.
    struct Voice
    {
        kivo::LineTry line;
        QByteArray frame, request;
        int limit = -1;
        QByteArray lead;
    };

    explicit FakeIndicator(QList<Voice> voices = {}, QString refused = {})
        : refused(std::move(refused)), m_voices(std::move(voices))
    {
        m_tick.setInterval(10);
        connect(&m_tick, &QTimer::timeout, this, [this] {
            if (m_voice && m_voice->request.isEmpty())
                say();
            if (m_voice)
                return;
            QByteArray noise(24, 0);
            std::generate(noise.begin(), noise.end(), [this] { return char(m_random.bounded(256)); });
            emit bytesArrived(noise);
        });
    }

    QString refused;             // names of the framings the driver refuses at every bit rate: "7E1 7O1"
    QList<kivo::LineTry> opened; // every open the driver took, in order
    int asked = 0;               // writes holding the request of the line's voice
    // Open: it ticks while it is open.
    [[nodiscard]] bool isOpen() const { return m_tick.isActive(); }

    bool open(qint32 bitRate, kivo::Framing framing, QString *error) override
    {
        close();
        if (refused.contains(kivo::framingName(framing))) {
            *error = QStringLiteral("fake refused %1").arg(kivo::framingName(framing));
            return false;
        }
        opened.append({bitRate, framing});
        const auto v = std::ranges::find(m_voices, opened.last(), &Voice::line);
        m_voice = v == m_voices.end() ? nullptr : &*v;
        m_sent = 0;
        m_tick.start();
        return true;
    }
    bool write(const QByteArray &bytes) override
    {
        if (!isOpen())
            return false;
        if (m_voice && !m_voice->request.isEmpty() && bytes.contains(m_voice->request)) {
            ++asked;
            QTimer::singleShot(5, this, [this, opens = opened.size()] {
                if (isOpen() && opened.size() == opens)
                    say();
            });
        }
        return true;
    }
    void close() override { m_tick.stop(); }
    // The port dies under the finder, as an unplugged adapter does.
    void unplug()
    {
        close();
        emit failed(QStringLiteral("fake unplugged"));
    }

private:
    void say()
    {
        if (m_voice->limit < 0 || m_sent < m_voice->limit)
            emit bytesArrived((m_sent++ == 0 ? m_voice->lead : QByteArray()) + m_voice->frame);
    }

    QList<Voice> m_voices;
    const Voice *m_voice = nullptr;
    QTimer m_tick;
    QRandomGenerator m_random{7};
    int m_sent = 0;
};
