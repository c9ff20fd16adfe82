#pragma once

#include <QObject>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class QWidget;

namespace kivo {

class FindBar;
class Link;
class ReceivePipeline;
class Sender;
class SessionRecorder;
class TrafficViews;

// What a technician does with a session beyond watching it: record it to a log file, put times
// on the lines, find in the views, save a view, pause the views. It owns its menu items, the
// status-bar label, the find bar and the pause button, and plugs into the receive and send seams.
class SessionTools : public QObject
{
    Q_OBJECT
public:
    SessionTools(QWidget &window, TrafficViews &views, QObject *parent = nullptr);
    ~SessionTools() override;

    // Every chunk both ways, and the open and close events of the links, go to the recorder.
    void watch(ReceivePipeline &receive, Sender &sender, Link &serial, Link &tcp);

    // Start Log and Stop Log (File menu); Find, Show Times, Pause and Save View As (Edit menu).
    void addFileItems(QMenu &menu);
    void addEditItems(QMenu &menu);
    void addStatusLabel(QStatusBar &bar);

    // Starts recording into `path`; a file that cannot be opened is reported in a warning box.
    bool startLog(const QString &path);
    void stopLog(const QString &why = QString());

    // Saves the view the tab shows; reported in a warning box on failure.
    bool saveCurrentView(const QString &path);

    [[nodiscard]] SessionRecorder &recorder() const { return *m_recorder; }
    [[nodiscard]] FindBar *findBar() const { return m_findBar; }
    [[nodiscard]] QToolButton *pauseButton() const { return m_pauseButton; }

    // Start-up and shut-down: whether times are shown, from and to the settings store.
    void restoreSettings();
    void storeSettings() const;

private:
    void chooseLogFile();
    void chooseViewFile();
    void updateStatus();
    void recordingFailed(const QString &path, const QString &reason);

    QWidget &m_window;
    TrafficViews &m_views;
    SessionRecorder *m_recorder = nullptr;
    FindBar *m_findBar = nullptr;
    QToolButton *m_pauseButton = nullptr;
    QLabel *m_status = nullptr;
    QAction *m_startLog = nullptr;
    QAction *m_stopLog = nullptr;
    QAction *m_find = nullptr;
    QAction *m_showTimes = nullptr;
    QAction *m_pause = nullptr;
    QAction *m_saveView = nullptr;
};

} // namespace kivo
