#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
class QWidget;

namespace kivo {

// SIGINT and SIGTERM close the window as its close button does, so shut-down runs and stores the
// choices (a desktop logout or a kill loses nothing). The signal handler only writes the signal
// into a socket pair; the window is closed from the event loop, where that is safe.
class CloseOnSignal : public QObject
{
    Q_OBJECT
public:
    // Catches the signals from now on; a signal that comes before the window exists waits in the
    // pair and closes the window as soon as the event loop runs.
    static bool install();

    explicit CloseOnSignal(QWidget &window);
    ~CloseOnSignal() override;

private:
    void readSignal();

    QWidget &m_window;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kivo
