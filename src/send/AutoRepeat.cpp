#include "send/AutoRepeat.h"

#include "core/AppData.h"
#include "core/MessageBox.h"
#include "link/PortPanel.h"
#include "send/RepeatPanel.h"
#include "send/SendEncoding.h"
#include "send/SendPanel.h"
#include "send/frmEditList.h"
#include "traffic/TrafficViews.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <exception>

namespace kivo {

namespace {

QString noListText()
{
    return QStringLiteral("반복할 리스트가 없습니다.");
}

} // namespace

AutoRepeat::AutoRepeat(RepeatPanel &repeatPanel, SendPanel &sendPanel, const PortPanel &port,
                       TrafficViews &views, AppData &data, QWidget *window)
    : QObject(window), m_repeatPanel(repeatPanel), m_sendPanel(sendPanel), m_port(port), m_views(views),
      m_data(data), m_window(window)
{
    connect(&repeatPanel, &RepeatPanel::autoRepeatToggled, this, &AutoRepeat::chkAutoRepeat_Click);
    connect(&repeatPanel, &RepeatPanel::startClicked, this, &AutoRepeat::cmdStart_Click);
    connect(&repeatPanel, &RepeatPanel::editListClicked, this, &AutoRepeat::cmdEditList_Click);
}

AutoRepeat::~AutoRepeat()
{
    delete m_editList;
}

bool AutoRepeat::isRunning(RunKind kind) const
{
    return kind == RunKind::List ? m_listGoing : m_boxGoing;
}

frmEditList *AutoRepeat::editListWindow() const
{
    return m_editList;
}

void AutoRepeat::setGoing(RunKind kind, bool going)
{
    const bool wasRunning = isRunning();
    if (kind == RunKind::List) {
        m_listGoing = going;
        m_repeatPanel.showListRunning(going);
    } else {
        m_boxGoing = going;
        // Without "Auto Repeat Send" ticked the button sends the box.
        const bool armed = m_repeatPanel.autoRepeatTicked();
        m_sendPanel.setSendButtonRole(going   ? SendButtonRole::RepeatStop
                                      : armed ? SendButtonRole::RepeatStart
                                              : SendButtonRole::Send);
    }
    if (wasRunning != isRunning())
        emit runningChanged(isRunning());
}

void AutoRepeat::AutoRepeatSend(RunKind kind)
{
    if (kind == RunKind::List && NextListRow(m_data, 0) < 0) {
        endRun(kind);
        setGoing(kind, false);
        showMessage(m_window, noListText(), QMessageBox::Warning, QStringLiteral("Error"));
        return;
    }
    if (!isRunning(kind)) {
        setGoing(kind, true);
        startRun(kind);
    } else {
        // Stopping: the run sends nothing more, also when its delay has just begun.
        setGoing(kind, false);
        endRun(kind);
    }
}

void AutoRepeat::startRun(RunKind kind)
{
    // A run that failed inside the engine may still be waiting for its next check; it gives way
    // to the new one.
    endRun(kind);

    // Delay and count are read here only; changing them during the run has no effect on it.
    const double seconds = repeatDelaySeconds(m_repeatPanel.choiceText(RepeatPanel::Choice::DelayTime));
    const int32_t count = repeatCount(m_repeatPanel.choiceText(RepeatPanel::Choice::Count));
    auto run = std::make_shared<Run>(kind == RunKind::List, qint64(std::llround(seconds * 1e9)), count);
    run->timer.setSingleShot(true);
    run->timer.setTimerType(Qt::PreciseTimer);
    connect(&run->timer, &QTimer::timeout, this, [this, kind] { tick(kind); });
    run->clock.start();
    runOf(kind) = run;
    run->timer.start(0);
}

void AutoRepeat::endRun(RunKind kind)
{
    std::shared_ptr<Run> &slot = runOf(kind);
    if (!slot)
        return;
    slot->timer.stop();
    slot->ended = true;
    slot.reset();
    // The run's last SEND lines show as it ends.
    m_views.commitHeldLines();
}

void AutoRepeat::tick(RunKind kind)
{
    // Held here so that a stop (or a new run) while the send shows a warning box cannot pull the
    // run out from under this call.
    const std::shared_ptr<Run> run = runOf(kind);
    if (!run || run->sending)
        return;
    if (!isRunning(kind) || (run->count != 0 && run->sent >= run->count)) {
        endRun(kind);
        setGoing(kind, false);
        return;
    }
    // While another run's send is held up (its warning box open), this slot is skipped, so that
    // a failing link shows one box at a time.
    if (m_sendsInProgress > 0) {
        run->slot = run->schedule.slotAfter(run->slot, 0, run->clock.nsecsElapsed());
        run->timer.start(run->schedule.waitMs(run->slot, run->clock.nsecsElapsed()));
        return;
    }

    int row = -1;
    QString text;
    int16_t format = storedValue(SendFormat::Ascii);
    if (kind == RunKind::List) {
        // The row is read now, so edits applied in the list editor count from this send on.
        row = NextListRow(m_data, run->nextRow);
        if (row < 0) {
            endRun(kind);
            setGoing(kind, false);
            showMessage(m_window, noListText(), QMessageBox::Warning, QStringLiteral("Error"));
            return;
        }
        const AutoItem &item = m_data.RepeatList[size_t(row)];
        text = frameStoredString(item.String, item.Mode, m_data.AutoCRLF, m_data.AutoSTX);
        format = item.Mode;
    } else {
        text = m_sendPanel.textToSend();
        format = storedValue(m_sendPanel.sendFormat());
    }

    QString failure;
    const qint64 sendStart = run->clock.nsecsElapsed();
    run->sending = true;
    ++m_sendsInProgress;
    try {
        if (m_send)
            m_send(text, format);
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
        if (failure.isEmpty())
            failure = QStringLiteral("Unknown error");
    }
    --m_sendsInProgress;
    run->sending = false;
    if (run->ended)
        return;

    if (!failure.isEmpty()) {
        // The engine itself failed: the run ends, its button keeps "Stop" until it is clicked.
        endRun(kind);
        showMessage(m_window, failure, QMessageBox::Critical, QStringLiteral("Error"));
        return;
    }
    if (run->count != 0)
        ++run->sent;
    run->nextRow = row + 1;
    // Every send, the last one too, is followed by its delay, counted from the run's start.
    run->slot = run->schedule.slotAfter(run->slot, sendStart, run->clock.nsecsElapsed());
    run->timer.start(run->schedule.waitMs(run->slot, run->clock.nsecsElapsed()));
}

void AutoRepeat::chkAutoRepeat_Click()
{
    if (m_repeatPanel.autoRepeatTicked()) {
        m_repeatPanel.setRepeatEnabled(true);
        setGoing(RunKind::SendBox, m_boxGoing);
        return;
    }
    if (m_listGoing)
        AutoRepeatSend(RunKind::List);
    m_repeatPanel.setRepeatEnabled(false);
    setGoing(RunKind::SendBox, false);
    endRun(RunKind::SendBox);
}

void AutoRepeat::cmdStart_Click()
{
    if (!m_listGoing && m_port.recvDelaySeconds() != 0) {
        showMessage(m_window, QStringLiteral("Recv Delay 설정이 0일때만 사용 가능합니다."),
                    QMessageBox::Warning, appTitle());
        return;
    }
    AutoRepeatSend(RunKind::List);
}

void AutoRepeat::cmdSend_RepeatClick()
{
    AutoRepeatSend(RunKind::SendBox);
}

void AutoRepeat::cmdEditList_Click()
{
    if (!m_editList) {
        m_editList = new frmEditList(m_data);
        m_editList->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_editList->show();
    m_editList->raise();
    m_editList->activateWindow();
}

void AutoRepeat::endAllRuns()
{
    endRun(RunKind::List);
    endRun(RunKind::SendBox);
    setGoing(RunKind::List, false);
    if (m_boxGoing)
        setGoing(RunKind::SendBox, false);
}

} // namespace kivo
