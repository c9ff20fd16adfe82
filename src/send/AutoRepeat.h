#pragma once

#include "send/RepeatSchedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace kivo {

class PortPanel;
class RepeatPanel;
class SendPanel;
class TrafficViews;
class frmEditList;
struct AppData;

// The two kinds of run: the ticked rows of the repeat list, and the send box's text.
enum class RunKind { List, SendBox };

// The auto-repeat engine: the list run (ticked rows of the repeat list, driven by cmdStart) and
// the send-box run (the send box's text, driven by the Send button while "Auto Repeat Send" is
// ticked). Each run is a timer, so both kinds can go at once, the window stays free between sends
// and a stop takes effect at once.
class AutoRepeat : public QObject
{
    Q_OBJECT
public:
    // The panels it drives, the port strip whose Recv Delay Start checks, the views whose held
    // lines a run commits as it ends, the repeat list, and the window that parents the boxes.
    AutoRepeat(RepeatPanel &repeatPanel, SendPanel &sendPanel, const PortPanel &port, TrafficViews &views,
               AppData &data, QWidget *window);
    ~AutoRepeat() override;

    // The send operation a run ends in (text, send format). frmMain hands in SendData; it reports
    // its own failures, so a failed send does not end the run.
    using SendFunction = std::function<void(const QString &text, int16_t format)>;
    void setSendData(SendFunction send) { m_send = std::move(send); }

    // Starts a run of that kind when none goes, otherwise ends the one that goes.
    void AutoRepeatSend(RunKind kind);

    // Handlers: the tick of "Auto Repeat Send" (also run by a successful Connect), "Start"/"Stop",
    // the Send button while it starts or stops the box's run, and "&Edit List...".
    void chkAutoRepeat_Click();
    void cmdStart_Click();
    void cmdSend_RepeatClick();
    void cmdEditList_Click();

    // Shut-down, or the port under the runs died: every run ends now.
    void endAllRuns();

    // Whether a run of that kind goes: from its start until it is stopped, ends by its count or
    // finds no row. A run whose send failed inside the engine has ended but still counts as going
    // (its button reads "Stop") until it is stopped.
    [[nodiscard]] bool isRunning(RunKind kind) const;
    [[nodiscard]] bool isRunning() const { return m_listGoing || m_boxGoing; }
    // The open list editor, if any.
    [[nodiscard]] frmEditList *editListWindow() const;

signals:
    // isRunning() changed.
    void runningChanged(bool running);

private:
    struct Run
    {
        Run(bool list, qint64 delayNs, int32_t count) : list(list), schedule(delayNs), count(count) {}
        bool list;
        RepeatSchedule schedule;
        int32_t count; // 0: endless
        int32_t sent = 0;
        int nextRow = 0;
        qint64 slot = 0;
        QElapsedTimer clock;
        QTimer timer;
        bool sending = false; // inside the send function (a warning box may be open)
        bool ended = false;   // ended while sending; dropped when the send returns
    };

    std::shared_ptr<Run> &runOf(RunKind kind) { return kind == RunKind::List ? m_listRun : m_boxRun; }
    void startRun(RunKind kind);
    void endRun(RunKind kind);
    void tick(RunKind kind);
    // Sets whether a run of that kind goes, with its button's caption.
    void setGoing(RunKind kind, bool going);

    RepeatPanel &m_repeatPanel;
    SendPanel &m_sendPanel;
    const PortPanel &m_port;
    TrafficViews &m_views;
    AppData &m_data;
    QWidget *m_window;
    SendFunction m_send;
    bool m_listGoing = false;
    bool m_boxGoing = false;
    std::shared_ptr<Run> m_listRun;
    std::shared_ptr<Run> m_boxRun;
    int m_sendsInProgress = 0;
    QPointer<frmEditList> m_editList;
};

} // namespace kivo
