#pragma once

#include "app/Layout.h"
#include "core/AppData.h"
#include "traffic/RxBuffers.h"

#include <QMainWindow>

#include <functional>
#include <optional>

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;

namespace kivo {
class AnalysisPanel;
class AutoRepeat;
class FuncKeyBar;
class LinkController;
class SerialLink;
class TcpLink;
class IndicatorPanel;
class MonitorController;
class Sender;
class PortPanel;
struct PatternLayout;
class ReceivePipeline;
class RepeatPanel;
class SendPanel;
class SessionTools;
class TrafficViews;
} // namespace kivo

// The main window. Its constructor runs start-up; closing it runs shut-down. It is a shell: the
// panels own their controls, and each area's controller owns its handlers.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    kivo::AppData &data() { return m_data; }
    kivo::RxBuffers &serialBuffers() { return m_serialBuffers; }
    kivo::RxBuffers &tcpBuffers() { return m_tcpBuffers; }

    kivo::TrafficViews *views() const { return m_views; }
    kivo::MonitorController *monitor() const { return m_monitor; }
    kivo::ReceivePipeline *receivePipeline() const { return m_receivePipeline; }
    // SendData and the send area's handlers.
    kivo::Sender *dataSender() const { return m_sender; }
    // The link strip's behaviour and the two links it owns.
    kivo::LinkController *links() const { return m_links; }
    kivo::SerialLink &serialLink() const;
    kivo::TcpLink &tcpLink() const;
    kivo::AutoRepeat *autoRepeat() const { return m_autoRepeat; }
    // Weighing analysis: figures, trend plot, readings (shown from the View menu).
    kivo::AnalysisPanel *analysis() const { return m_analysis; }
    void setAnalysisShown(bool shown);
    // Recording, times on the lines, find, save and pause.
    kivo::SessionTools *sessionTools() const { return m_session; }

    // The send group (send box, Send, "Send &Msg...", the Data Send frame) switched together.
    void SetSendEnabled(bool on);

    // The splitter position in twips (0: none chosen) and the drag state.
    [[nodiscard]] float splitPos() const { return m_splitPos; }
    [[nodiscard]] bool isSplitDragging() const { return m_splitDrag; }
    // Sets the ASCII view's width in the "Both" layout and lays the window out again.
    void SizeControls(float x);

    // What ends the program after shut-down; the default quits the application. Tests replace it.
    void setEndProgram(std::function<void()> end) { m_endProgram = std::move(end); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The auto-repeat group switched together.
    void SetRepeatEnabled(bool on);
    // Runs the layout rules for the current size, tab and splitter position.
    void Form_Resize();
    // The handling of the link choice and the serial disconnect, run by start-up and shut-down.
    void optComm_Click();
    void DisconnectSerial();
    void wireControllers();
    void serialConnectedChanged(bool connected);
    // Find Settings from the monitoring settings: searches the chosen port (closing it first),
    // applies the line settings found and gives the layout, or nothing.
    std::optional<int> findSettings(const kivo::PatternLayout &pattern);
    void tmrTime_Timer();
    void buildMenus();
    void buildStatusBar();
    void startUp();
    void shutDown();
    void applyLayout();
    void applyFuncKeys();
    void mnuEdit_Clear_Click();

    void splitterDown();
    void splitterMove(int xInBar);
    void splitterUp();

    [[nodiscard]] int outerWidthTwips() const;
    [[nodiscard]] int outerHeightTwips() const;

    kivo::AppData m_data;
    kivo::RxBuffers m_serialBuffers;
    kivo::RxBuffers m_tcpBuffers;

    QWidget *m_central = nullptr;
    QWidget *m_picControlPannel = nullptr;
    kivo::PortPanel *m_portPanel = nullptr;
    kivo::SendPanel *m_sendPanel = nullptr;
    kivo::RepeatPanel *m_repeatPanel = nullptr;
    kivo::IndicatorPanel *m_indicatorPanel = nullptr;
    kivo::FuncKeyBar *m_funcKeyBar = nullptr;
    kivo::TrafficViews *m_views = nullptr;
    kivo::MonitorController *m_monitor = nullptr;
    kivo::ReceivePipeline *m_receivePipeline = nullptr;
    kivo::Sender *m_sender = nullptr;
    QPushButton *m_cmdOriel = nullptr;
    kivo::LinkController *m_links = nullptr;
    kivo::AutoRepeat *m_autoRepeat = nullptr;
    kivo::SessionTools *m_session = nullptr;
    kivo::AnalysisPanel *m_analysis = nullptr;
    QDockWidget *m_analysisDock = nullptr;
    QMenu *m_mnuView = nullptr;
    QAction *m_mnuView_Analysis = nullptr;
    int m_grownForAnalysis = 0; // what the window grew by when the dock showed

    QMenu *m_mnuFile = nullptr;
    QMenu *m_mnuEdit = nullptr;
    QMenu *m_mnuTools = nullptr;
    QMenu *m_mnuHelp = nullptr;
    QAction *m_mnuFile_Connect = nullptr;
    QAction *m_mnuFile_Disconnect = nullptr;
    QAction *m_mnuFile_Exit = nullptr;
    QAction *m_mnuEdit_EditList = nullptr;
    QAction *m_mnuEdit_SendMsg = nullptr;
    QAction *m_mnuEdit_Clear = nullptr;
    QAction *m_mnuHelp_About = nullptr;
    QLabel *m_sbrClock = nullptr;
    QLabel *m_sbrLink = nullptr; // what the serial link waits for
    QTimer *m_tmrTime = nullptr; // 1000 ms: the date and time in the status bar's first panel

    float m_splitPos = 0;
    bool m_splitDrag = false;
    kivo::ViewLayout m_layout;
    bool m_shutDownDone = false;
    std::function<void()> m_endProgram;
};
