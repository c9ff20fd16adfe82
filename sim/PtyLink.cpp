#include "PtyLink.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kivosim {

PtyLink::PtyLink(QObject *parent) : SimLink(parent) {}

PtyLink::~PtyLink()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    // Remove the link only while it still points at this simulator's device.
    if (!m_linkPath.isEmpty() && QFile::symLinkTarget(m_linkPath) == m_devicePath)
        QFile::remove(m_linkPath);
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyLink::open(const QString &linkPath, QString *error)
{
    if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
        *error =
            QStringLiteral("cannot open a pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    termios mode{};
    if (::tcgetattr(m_slave, &mode) == 0) {
        ::cfmakeraw(&mode);
        ::tcsetattr(m_slave, TCSANOW, &mode);
    }
    m_devicePath = QString::fromLocal8Bit(::ptsname(m_master));

    if (!linkPath.isEmpty()) {
        const QFileInfo info(linkPath);
        if (info.isSymLink()) {
            QFile::remove(linkPath);
        } else if (info.exists()) {
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
            return false;
        }
        if (::symlink(QFile::encodeName(m_devicePath).constData(), QFile::encodeName(linkPath).constData()) !=
            0) {
            *error = QStringLiteral("cannot make the link %1: %2")
                         .arg(linkPath, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        m_linkPath = linkPath;
    }

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyLink::readAvailable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyLink::writePending);
    return true;
}

void PtyLink::send(const QByteArray &bytes)
{
    if (m_staleLimit > 0 && m_pending.isEmpty()) {
        int unread = 0;
        if (::ioctl(m_slave, FIONREAD, &unread) == 0 && unread > m_staleLimit)
            ::tcflush(m_slave, TCIFLUSH);
    }
    m_pending += bytes;
    writePending();
}

void PtyLink::dropBacklog()
{
    ::tcflush(m_slave, TCIFLUSH);
    m_pending.clear();
    m_writeNotifier->setEnabled(false);
}

void PtyLink::writePending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t written = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (written > 0) {
            m_pending.remove(0, written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        } else {
            m_pending.clear(); // the device is gone; nothing to keep bytes for
        }
    }
    if (m_writeNotifier->isEnabled()) {
        m_writeNotifier->setEnabled(false);
        emit roomAvailable();
    }
}

void PtyLink::readAvailable()
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            bytes.append(buffer, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

} // namespace kivosim
