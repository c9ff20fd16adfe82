#pragma once

#include "SimLine.h"
#include "SimLink.h"

#include <QSocketNotifier>

#include <memory>

namespace kivosim {

// The master side of a pseudo-terminal pair. The slave side, in raw mode, is what a serial
// terminal opens; the simulator keeps it open too, so the device lives as long as the simulator.
class PtyLink : public SimLink
{
    Q_OBJECT
public:
    explicit PtyLink(QObject *parent = nullptr);
    ~PtyLink() override;

    // Opens the pair; with a non-empty linkPath also makes a symbolic link to the slave device
    // (replacing an old symbolic link there, never any other file).
    [[nodiscard]] bool open(const QString &linkPath, QString *error);

    [[nodiscard]] QString devicePath() const { return m_devicePath; }
    [[nodiscard]] QString linkPath() const { return m_linkPath; }

    // When more than this many bytes sit unread on the slave side, nobody is reading them: they
    // are dropped before new bytes go out, so a terminal that opens the device late sees recent
    // frames, not a long-stale backlog. 0 keeps everything.
    void setStaleLimit(int bytes) { m_staleLimit = bytes; }

    // The line settings a terminal has set on the device, read at the moment of asking.
    [[nodiscard]] std::optional<LineSetting> terminalLine() const
    {
        return LineSetting::ofTerminal(m_master);
    }

    [[nodiscard]] QString name() const override { return QStringLiteral("pty"); }
    [[nodiscard]] bool hasRoom() const override { return m_pending.isEmpty(); }
    void send(const QByteArray &bytes) override;
    void dropBacklog() override;
    [[nodiscard]] qint64 backlog() const override { return m_pending.size(); }

private:
    void readAvailable();
    void writePending();

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QString m_linkPath;
    QByteArray m_pending;
    int m_staleLimit = 0;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};

} // namespace kivosim
