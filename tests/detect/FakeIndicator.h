#pragma once

// An indicator scripted behind the probe port, for the settings finder's tests: on the lines it
// speaks it sends its frames (a stream, or one answer to each request), on any other line it
// sends noise; it refuses the framings a driver would refuse. Unlike a pseudo-terminal it takes
// 7E1 and 7O1.

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
    // after `lead` bytes once.
    struct Voice
    {
        kivo::LineTry line;
        QByteArray frame;
        QByteArray request;
        int limit = -1;
        QByteArray lead;
    };

    explicit FakeIndicator(QList<Voice> voices = {}, int tickMs = 20) : m_voices(std::move(voices))
    {
        m_tick.setInterval(tickMs);
        connect(&m_tick, &QTimer::timeout, this, &FakeIndicator::tick);
    }

    QList<kivo::Framing> refused; // framings the driver refuses at every bit rate
    bool silentOffLine = false;   // send nothing, not noise, on a line no voice speaks
    QList<kivo::LineTry> opened;  // every open the driver took, in order
    QList<QByteArray> written;
    bool isOpen = false;

    bool open(qint32 bitRate, kivo::Framing framing, QString *error) override
    {
        close();
        if (refused.contains(framing)) {
            *error = QStringLiteral("fake refused %1").arg(kivo::framingName(framing));
            return false;
        }
        m_line = {bitRate, framing};
        opened.append(m_line);
        isOpen = true;
        m_sentThisOpen = 0;
        m_leadSent = false;
        m_tick.start();
        return true;
    }
    bool write(const QByteArray &bytes) override
    {
        if (!isOpen)
            return false;
        written.append(bytes);
        const Voice *v = voice();
        if (v && !v->request.isEmpty() && bytes.contains(v->request))
            QTimer::singleShot(5, this, [this, line = m_line] {
                if (isOpen && m_line == line)
                    say();
            });
        return true;
    }
    void close() override
    {
        isOpen = false;
        m_tick.stop();
    }
    // The port dies under the finder, as an unplugged adapter does.
    void unplug()
    {
        close();
        emit failed(QStringLiteral("fake unplugged"));
    }

private:
    const Voice *voice() const
    {
        for (const Voice &v : m_voices) {
            if (v.line == m_line)
                return &v;
        }
        return nullptr;
    }
    void say()
    {
        const Voice *v = voice();
        if (v->limit >= 0 && m_sentThisOpen >= v->limit)
            return;
        ++m_sentThisOpen;
        QByteArray bytes = v->frame;
        if (!m_leadSent)
            bytes.prepend(v->lead);
        m_leadSent = true;
        emit bytesArrived(bytes);
    }
    void tick()
    {
        const Voice *v = voice();
        if (v && v->request.isEmpty()) {
            say();
        } else if (!v && !silentOffLine) {
            QByteArray noise(24, Qt::Uninitialized);
            for (char &c : noise)
                c = char(m_random.bounded(256));
            emit bytesArrived(noise);
        }
    }

    QList<Voice> m_voices;
    kivo::LineTry m_line;
    QTimer m_tick;
    QRandomGenerator m_random{7};
    int m_sentThisOpen = 0;
    bool m_leadSent = false;
};
