#pragma once

#include "send/RepeatSchedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class QPushButton;
class frmMain;

namespace kivo {

class frmEditList;

// The auto-repeat engine: the list run (ticked rows of the repeat list, driven by cmdStart) and
// the send-box run (the send box's text, driven by the Send button while "Auto Repeat Send" is
// ticked). Each run is a timer, so both kinds can go at once, the window stays free between sends
// and a stop takes effect at once.
class AutoRepeat : public QObject
{
    Q_OBJECT
public:
    explicit AutoRepeat(frmMain &window);
    ~AutoRepeat() override;

    // The send operation a run ends in (text, send format). frmMain hands in SendData; it reports
    // its own failures, so a failed send does not end the run.
    using SendFunction = std::function<void(const QString &text, int16_t format)>;
    void setSendData(SendFunction send) { m_send = std::move(send); }

    // Starts a run when `button` reads "Start", otherwise ends the run it drives.
    void AutoRepeatSend(bool listRun, QPushButton *button);

    // Handlers: the tick of "Auto Repeat Send" (also run by a successful Connect), "Start"/"Stop",
    // the Send button while it does not read "Send", and "&Edit List...".
    void chkAutoRepeat_Click();
    void cmdStart_Click();
    void cmdSend_RepeatClick();
    void cmdEditList_Click();

    // Shut-down: every run ends now and its button reads "Start" (or "Send") again.
    void endAllRuns();

    [[nodiscard]] bool isRunning(bool listRun) const;
    // The open list editor, if any.
    [[nodiscard]] frmEditList *editListWindow() const;

private:
    struct Run
    {
        Run(bool list, QPushButton *button, qint64 delayNs, int32_t count)
            : list(list), button(button), schedule(delayNs), count(count)
        {
        }
        bool list;
        QPushButton *button;
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

    std::shared_ptr<Run> &runOf(bool listRun) { return listRun ? m_listRun : m_boxRun; }
    void startRun(bool listRun, QPushButton *button);
    void endRun(bool listRun);
    void tick(bool listRun);
    void restoreCaption(QPushButton *button);

    frmMain &m_window;
    SendFunction m_send;
    std::shared_ptr<Run> m_listRun;
    std::shared_ptr<Run> m_boxRun;
    int m_sendsInProgress = 0;
    QPointer<frmEditList> m_editList;
};

} // namespace kivo
