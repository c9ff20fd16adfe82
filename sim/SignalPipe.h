#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace kivosim {

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal: the handler only writes the signal number into a
// socket pair, and a notifier reads it on the event loop, where stopping cleanly is safe.
class SignalPipe : public QObject
{
    Q_OBJECT
public:
    // Catches the signals from now on, before the event loop exists, and ignores SIGPIPE; the
    // constructor calls it too.
    static bool install();

    explicit SignalPipe(QObject *parent = nullptr);
    ~SignalPipe() override;

signals:
    void caught(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kivosim
