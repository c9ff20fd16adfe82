#pragma once

#include "core/AppData.h"
#include "core/LateTimer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTabBar;
class QTextEdit;
class QTimer;
class QWidget;

namespace kivo {

class RichViewWriter;
class SplitterBar;
class TextDecoder;
class TerminalViewWriter;

// The lower half of the main window: the view tab strip, the rulers, the three traffic views, the
// splitter bar with its drag line and the hex-to-ASCII tip.
class TrafficViews : public QObject
{
    Q_OBJECT
public:
    // `cboDelay` is the Recv Delay selector, which the terminal tab sets to "0" and greys out.
    TrafficViews(QWidget *parent, QComboBox *cboDelay);
    ~TrafficViews() override;

    // The selected tab: "ASCII", "Hexa", "Both", "like HyperTerminal".
    [[nodiscard]] ViewTab selectedTab() const;
    // Selects a tab without running the tab switch.
    void selectTab(ViewTab tab);

    // The tab switch: Recv Delay enabled, views shown and hidden, layout, terminal-tab rules.
    void tabPrintSelect_Click();

    // Received bytes into a view buffer of a link (RxBuffers); each prints its line as soon as
    // the buffer is due: 22 characters or a closing CR LF, 66 hex characters or a closing "0D 0A ".
    // The text views decode through the link's decoder for that view, which holds back the bytes
    // of a character that the next read completes.
    void AddAscii(const QByteArray &bytes, QString &buffer, TextDecoder &decoder);
    void AddHexa(const QByteArray &bytes, QString &buffer);
    void AddHyper(const QByteArray &bytes, QString &buffer, TextDecoder &decoder);

    // One RECV line from the buffer into rtfPrintAsc or rtfPrintHex; empties the buffer.
    void PrintRecv(QTextEdit *view, QString &buffer);
    // One SEND line into rtfPrintAsc or rtfPrintHex.
    void PrintSend(QTextEdit *view, const QString &text);
    // The buffer, as it is, onto the terminal view; empties the buffer.
    void PrintHyper(QString &buffer);

    // While held (calls nest), lines wait and go into the views as one edit at the last release,
    // so a large received chunk costs one layout per view.
    void holdViews();
    void releaseViews();
    // Holds the views for a paced commit: on the next pass of the event loop after a quiet spell,
    // else one commit interval after the last commit. A stream of reads or a fast run of
    // repeated sends is then laid out ten times a second instead of once per read or send;
    // the screen, repainted at that pace anyway, shows the same, and the lines a cut-back drops
    // in between are never laid out at all.
    void holdViewsPaced();
    // Commits what a hold keeps back, now.
    void commitHeldLines();
    // True while lines wait for a release.
    [[nodiscard]] bool linesPending() const { return m_held; }

    // Edit > Clear and Ctrl+X in a view: empties the three views (not the receive buffers).
    void mnuEdit_Clear_Click();

    // RECV and SEND lines start with the time they were written, "hh:mm:ss.zzz ", while on.
    void setShowTimes(bool on) { m_showTimes = on; }
    [[nodiscard]] bool showTimes() const { return m_showTimes; }

    // While paused the views keep what they show; lines go on arriving and go in at the resume,
    // exactly as they would have gone in without the pause.
    void setPaused(bool paused);
    [[nodiscard]] bool isPaused() const { return m_paused; }

    // The view the tab shows; in "Both" the one that had the focus last, at first the ASCII view.
    [[nodiscard]] QWidget *currentView() const;

    QTabBar *tabPrintSelect = nullptr;
    QLabel *lblAscLen = nullptr;
    QLabel *lblHexLen = nullptr;
    QTextEdit *rtfPrintAsc = nullptr;
    QTextEdit *rtfPrintHex = nullptr;
    QPlainTextEdit *rtfHyperView = nullptr;
    SplitterBar *picSize = nullptr;
    QFrame *picSplitter = nullptr;
    QFrame *picHextoAscii = nullptr;
    QLabel *lblHextoAscii = nullptr;
    QTimer *tmrHexTipDelay = nullptr;

    // A left button went down in the hex view; only a plain left click clears it.
    bool bTipArmed = false;

signals:
    // The views were shown or hidden: the window must run its layout.
    void layoutNeeded();
    void pausedChanged(bool paused);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RichViewWriter *writerOf(QTextEdit *view);
    [[nodiscard]] QString linePrefix(const QString &prefix) const;
    bool hexViewMouse(QEvent *event);
    void showHexTip(const QString &hexText, QPoint pointer);
    void tmrHexTipDelay_Timer();

    QComboBox *m_cboDelay;
    std::unique_ptr<RichViewWriter> m_ascWriter;
    std::unique_ptr<RichViewWriter> m_hexWriter;
    std::unique_ptr<TerminalViewWriter> m_hyperWriter;
    bool m_inHexMouse = false;
    bool m_held = false;
    bool m_showTimes = false;
    bool m_paused = false;
    QWidget *m_lastFocused = nullptr;
    LateTimer *m_commitTimer = nullptr;
    QElapsedTimer m_sinceCommit;
    // How long the last paced commit took; the next waits at least this many times as long, as
    // painting what a commit laid out costs about as much again.
    static constexpr qint64 kCommitCostFactor = 4;
    // A stream's lines go into the views five times a second: text scrolling by is read no
    // faster, each commit's layout, scroll and repaint cost the same however few lines it
    // brings, and a reply after a quiet spell still shows at once.
    static constexpr qint64 kCommitIntervalMs = 200;
    qint64 m_commitCostMs = 0;
};

} // namespace kivo
