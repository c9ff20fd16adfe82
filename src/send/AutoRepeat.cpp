#include "send/AutoRepeat.h"

#include "core/MessageBox.h"
#include "app/frmMain.h"
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

const QLatin1StringView kStart{"Start"};
const QLatin1StringView kStop{"Stop"};
const QLatin1StringView kSend{"Send"};

QString noListText()
{
    return QStringLiteral("반복할 리스트가 없습니다.");
}

} // namespace

AutoRepeat::AutoRepeat(frmMain &window) : QObject(&window), m_window(window)
{
    RepeatPanel *rp = m_window.repeatPanel();
    connect(rp->chkAutoRepeat, &QCheckBox::toggled, this, &AutoRepeat::chkAutoRepeat_Click);
    connect(rp->cmdStart, &QPushButton::clicked, this, &AutoRepeat::cmdStart_Click);
    connect(rp->cmdEditList, &QPushButton::clicked, this, &AutoRepeat::cmdEditList_Click);
}

AutoRepeat::~AutoRepeat()
{
    delete m_editList;
}

bool AutoRepeat::isRunning(bool listRun) const
{
    return (listRun ? m_listRun : m_boxRun) != nullptr;
}

frmEditList *AutoRepeat::editListWindow() const
{
    return m_editList;
}

void AutoRepeat::AutoRepeatSend(bool listRun, QPushButton *button)
{
    if (listRun && NextListRow(m_window.data(), 0) < 0) {
        endRun(listRun);
        button->setText(kStart);
        showMessage(&m_window, noListText(), QMessageBox::Warning, QStringLiteral("Error"));
        return;
    }
    if (button->text() == kStart) {
        button->setText(kStop);
        startRun(listRun, button);
    } else {
        // Stopping: the run sends nothing more, also when its delay has just begun.
        button->setText(kStart);
        endRun(listRun);
    }
}

void AutoRepeat::startRun(bool listRun, QPushButton *button)
{
    // A run whose button was set back from outside (the port died) is still waiting for its
    // next check; it gives way to the new one.
    endRun(listRun);

    // Delay and count are read here only; changing them during the run has no effect on it.
    RepeatPanel *rp = m_window.repeatPanel();
    const double seconds = repeatDelaySeconds(rp->cboDelayTime->currentText());
    const int32_t count = repeatCount(rp->cboCount->currentText());
    auto run = std::make_shared<Run>(listRun, button, qint64(std::llround(seconds * 1e9)), count);
    run->timer.setSingleShot(true);
    run->timer.setTimerType(Qt::PreciseTimer);
    connect(&run->timer, &QTimer::timeout, this, [this, listRun] { tick(listRun); });
    run->clock.start();
    runOf(listRun) = run;
    run->timer.start(0);
}

void AutoRepeat::endRun(bool listRun)
{
    std::shared_ptr<Run> &slot = runOf(listRun);
    if (!slot)
        return;
    slot->timer.stop();
    slot->ended = true;
    slot.reset();
    // The run's last SEND lines show as it ends.
    m_window.views()->commitHeldLines();
}

void AutoRepeat::restoreCaption(QPushButton *button)
{
    // A send-box run ended by unticking "Auto Repeat Send" leaves the button reading "Send".
    if (button->text() != kSend)
        button->setText(kStart);
}

void AutoRepeat::tick(bool listRun)
{
    // Held here so that a stop (or a new run) while the send shows a warning box cannot pull the
    // run out from under this call.
    const std::shared_ptr<Run> run = runOf(listRun);
    if (!run || run->sending)
        return;
    QPushButton *button = run->button;
    if (button->text() != kStop || (run->count != 0 && run->sent >= run->count)) {
        endRun(listRun);
        restoreCaption(button);
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
    int16_t format = FormatAscii;
    if (listRun) {
        // The row is read now, so edits applied in the list editor count from this send on.
        const AppData &data = m_window.data();
        row = NextListRow(data, run->nextRow);
        if (row < 0) {
            endRun(listRun);
            button->setText(kStart);
            showMessage(&m_window, noListText(), QMessageBox::Warning, QStringLiteral("Error"));
            return;
        }
        const AutoItem &item = data.RepeatList[size_t(row)];
        text = frameStoredString(item.String, item.Mode, data.AutoCRLF, data.AutoSTX);
        format = item.Mode;
    } else {
        text = trimBlanks(m_window.sendPanel()->txtSend->text());
        format = m_window.sendPanel()->sendFormat();
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
        endRun(listRun);
        showMessage(&m_window, failure, QMessageBox::Critical, QStringLiteral("Error"));
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
    RepeatPanel *rp = m_window.repeatPanel();
    QPushButton *cmdSend = m_window.sendPanel()->cmdSend;
    if (rp->chkAutoRepeat->isChecked()) {
        m_window.SetRepeatEnabled(true);
        if (cmdSend->text() != kStop)
            cmdSend->setText(kStart);
        return;
    }
    if (rp->cmdStart->text() == kStop)
        AutoRepeatSend(true, rp->cmdStart);
    m_window.SetRepeatEnabled(false);
    cmdSend->setText(kSend);
    endRun(false);
}

void AutoRepeat::cmdStart_Click()
{
    QPushButton *cmdStart = m_window.repeatPanel()->cmdStart;
    if (cmdStart->text() != kStop && m_window.portPanel()->cboDelay->currentText() != QLatin1String("0")) {
        showMessage(&m_window, QStringLiteral("Recv Delay 설정이 0일때만 사용 가능합니다."),
                    QMessageBox::Warning, appTitle());
        return;
    }
    AutoRepeatSend(true, cmdStart);
}

void AutoRepeat::cmdSend_RepeatClick()
{
    AutoRepeatSend(false, m_window.sendPanel()->cmdSend);
}

void AutoRepeat::cmdEditList_Click()
{
    if (!m_editList) {
        m_editList = new frmEditList(m_window.data());
        m_editList->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_editList->show();
    m_editList->raise();
    m_editList->activateWindow();
}

void AutoRepeat::endAllRuns()
{
    RepeatPanel *rp = m_window.repeatPanel();
    QPushButton *cmdSend = m_window.sendPanel()->cmdSend;
    endRun(true);
    endRun(false);
    if (rp->cmdStart->text() == kStop)
        rp->cmdStart->setText(kStart);
    if (cmdSend->text() == kStop)
        cmdSend->setText(kStart);
}

} // namespace kivo
