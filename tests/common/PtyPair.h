#pragma once

// A pseudo-terminal pair: the link opens the slave by its path, the test plays the device on the
// (non-blocking) master side and unplugs the device by closing the master.

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

class PtyPair
{
public:
    PtyPair()
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0)
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QString::fromLocal8Bit(name);
    }
    ~PtyPair()
    {
        unplug();
        ::close(m_slave);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    [[nodiscard]] QString slavePath() const { return m_path; }
    // The line settings in force, as the terminal driver keeps them.
    [[nodiscard]] termios attributes() const
    {
        termios t{};
        tcgetattr(m_slave, &t);
        return t;
    }
    void deviceSends(const QByteArray &bytes) const { (void)!::write(m_master, bytes.data(), bytes.size()); }
    [[nodiscard]] QByteArray deviceReceived() const
    {
        char buf[512];
        const ssize_t n = m_master < 0 ? -1 : ::read(m_master, buf, sizeof buf);
        return n > 0 ? QByteArray(buf, n) : QByteArray();
    }
    void unplug() { ::close(std::exchange(m_master, -1)); } // closing -1 again does nothing

private:
    int m_master = -1, m_slave = -1;
    QString m_path;
};
