#pragma once

// A pseudo-terminal pair for serial tests: the link opens the slave by its path, the test plays
// the device on the master side. Closing the master is the test's way of unplugging the device.

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyPair
{
public:
    PtyPair()
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0) {
            m_path = QString::fromLocal8Bit(name);
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair()
    {
        unplug();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    [[nodiscard]] bool isValid() const { return !m_path.isEmpty(); }
    [[nodiscard]] QString slavePath() const { return m_path; }
    // The line settings in force on the terminal, as the driver keeps them.
    [[nodiscard]] termios attributes() const
    {
        termios t{};
        tcgetattr(m_slave, &t);
        return t;
    }

    void deviceSends(const QByteArray &bytes) const
    {
        [[maybe_unused]] const auto n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    }
    // Everything the link has sent so far (non-blocking).
    [[nodiscard]] QByteArray deviceReceived() const
    {
        QByteArray all;
        char buf[512];
        for (ssize_t n; m_master >= 0 && (n = ::read(m_master, buf, sizeof buf)) > 0;)
            all.append(buf, n);
        return all;
    }
    void unplug()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
