#include "app/frmMain.h"

#include "analysis/AnalysisPanel.h"
#include "app/SessionTools.h"

#include "core/Conversions.h"
#include "core/Delay.h"
#include "core/Fonts.h"
#include "core/ListFileLocation.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "core/StoredStrings.h"
#include "core/Twips.h"
#include "core/Version.h"
#include "detect/frmFindSettings.h"
#include "link/LinkController.h"
#include "link/PortPanel.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/MonitorController.h"
#include "send/AutoRepeat.h"
#include "send/FuncKeyBar.h"
#include "send/RepeatPanel.h"
#include "send/SendPanel.h"
#include "send/Sender.h"
#include "tools/frmAbout.h"
#include "tools/frmOriel.h"
#include "traffic/FindBar.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/SplitterBar.h"
#include "traffic/TrafficViews.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDockWidget>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace kivo;
namespace SK = kivo::SettingsKeys;

namespace {

// Ctrl+X belongs to the Edit menu's Clear everywhere in the main window, also while a text box
// has the focus: the box's own cut must not claim the key first.
class ClearShortcutFilter : public QObject
{
public:
    explicit ClearShortcutFilter(QWidget *window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        if (e->type() != QEvent::ShortcutOverride || !obj->isWidgetType())
            return false;
        auto *ke = static_cast<QKeyEvent *>(e);
        if (ke->key() != Qt::Key_X || ke->modifiers() != Qt::ControlModifier)
            return false;
        if (static_cast<QWidget *>(obj)->window() != m_window)
            return false;
        ke->ignore();
        return true;
    }

private:
    QWidget *m_window;
};

QString settingKey(QLatin1StringView k)
{
    return QString(k);
}

// The stored index of a list; -1 (selects nothing new) when unreadable.
int storedIndex(QLatin1StringView key, int defaultIndex)
{
    return toInt16(ReadSetting(settingKey(key), QString::number(defaultIndex))).value_or(-1);
}

} // namespace

// The library's resources (icons) must be registered by hand: nothing else pulls them out of
// the static library.
static void initKivoResources()
{
    Q_INIT_RESOURCE(kivo);
}

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    initKivoResources();
    installFontSubstitutions();
    setObjectName(QStringLiteral("frmMain"));
    setFont(controlFont());
    m_endProgram = [] { QCoreApplication::quit(); };

    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(m_central);

    m_picControlPannel = new QWidget(m_central);
    m_picControlPannel->setObjectName(QStringLiteral("picControlPannel"));
    m_picControlPannel->setGeometry(0, 0, px(14130), px(LayoutConst::PanelHeight));

    m_portPanel = new PortPanel(m_picControlPannel);
    m_sendPanel = new SendPanel(m_picControlPannel);
    m_repeatPanel = new RepeatPanel(m_picControlPannel);
    m_indicatorPanel = new IndicatorPanel(m_picControlPannel);
    m_funcKeyBar = new FuncKeyBar(m_central);
    m_views = new TrafficViews(m_central, m_portPanel->recvDelayBox());

    m_cmdOriel = new QPushButton(QStringLiteral("Oriel Test"), m_central);
    m_cmdOriel->setObjectName(QStringLiteral("cmdOriel"));
    m_cmdOriel->setGeometry(pxRect(7560, 3000, 1215, 375));
    m_cmdOriel->setStyleSheet(QStringLiteral("background-color: rgb(255,255,0);"));
    m_cmdOriel->hide();

    m_links = new LinkController(*m_portPanel, m_data, this);
    m_receivePipeline = new ReceivePipeline(*m_views, m_portPanel->recvDelayBox(), m_data, m_serialBuffers,
                                            m_tcpBuffers, this);
    m_monitor = new MonitorController(*m_indicatorPanel, *m_portPanel, m_data, this);
    m_sender = new Sender(*m_links, *m_views, this);
    m_autoRepeat = new AutoRepeat(*m_repeatPanel, *m_sendPanel, *m_portPanel, *m_views, m_data, this);
    m_session = new SessionTools(*this, *m_views, this);
    m_analysis = new AnalysisPanel;
    m_analysisDock = new QDockWidget(QStringLiteral("Weighing Analysis"), this);
    m_analysisDock->setObjectName(QStringLiteral("dckAnalysis"));
    m_analysisDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetFloatable);
    m_analysisDock->setWidget(m_analysis);
    addDockWidget(Qt::RightDockWidgetArea, m_analysisDock);
    m_analysisDock->hide();
    m_central->installEventFilter(this);

    buildMenus();
    buildStatusBar();
    qApp->installEventFilter(new ClearShortcutFilter(this));
    wireControllers();

    // Design client area 14130 x 9045 twips.
    resize(px(14130), px(9045) + menuBar()->sizeHint().height());
    startUp();
}

frmMain::~frmMain()
{
    // Destroying the window hides the dock, which must not reach this half-destroyed window.
    m_analysisDock->disconnect(this);
}

void frmMain::wireControllers()
{
    connect(m_views, &TrafficViews::layoutNeeded, this, &frmMain::Form_Resize);
    connect(m_views->picSize, &SplitterBar::pressed, this, &frmMain::splitterDown);
    connect(m_views->picSize, &SplitterBar::moved, this, &frmMain::splitterMove);
    connect(m_views->picSize, &SplitterBar::released, this, &frmMain::splitterUp);
    connect(m_cmdOriel, &QPushButton::clicked, this, [this] { frmOriel::open(*m_sender, *this); });

    // Receiving: both links into the views, and the frame step while monitoring.
    m_receivePipeline->setSerialLink(&m_links->serialLink());
    m_receivePipeline->setTcpLink(&m_links->tcpLink());
    m_receivePipeline->setMonitorHook({[this](Link *link, RxBuffers &buffers, const QByteArray &piece) {
                                           m_monitor->CheckFrame(link, buffers, piece);
                                       },
                                       [this](const QString &weight) { m_monitor->showWeight(weight); }});
    connect(m_receivePipeline, &ReceivePipeline::tcpArrivalHandled, m_links, &LinkController::tcpDataArrived);
    m_monitor->setLinkHooks({[this] { m_links->ConnectTcp(); }, [this] { m_links->CloseTcp(); },
                             [this] { m_receivePipeline->discardSerialInput(); },
                             [this](const QByteArray &request) {
                                 // Polling goes through SendData like any send, but only while the
                                 // chosen link can take it: a closed port gets no warning a second.
                                 const Link *link = m_sender->chosenLink();
                                 if (link && link->isReady())
                                     m_sender->SendPaced(QString::fromLatin1(request.toHex()).toUpper(),
                                                         storedValue(SendFormat::Hexa));
                             }});
    m_monitor->setDialogHooks({[this] {
                                   const bool tcp = m_sender->chosenLink() == &m_links->tcpLink();
                                   return tcp ? m_tcpBuffers.recent : m_serialBuffers.recent;
                               },
                               [this](const PatternLayout &pattern) { return findSettings(pattern); }});

    // Weighing analysis: every frame monitoring reads and every byte it drops.
    connect(m_monitor, &MonitorController::frameRead, m_analysis, &AnalysisPanel::addReading);
    connect(m_monitor, &MonitorController::bytesDropped, m_analysis, &AnalysisPanel::addDropped);

    // Recording: every chunk both ways and the links' events.
    m_session->watch(*m_receivePipeline, *m_sender, m_links->serialLink(), m_links->tcpLink());

    // Sending: the send box, the function keys and the repeat runs all end in SendData.
    m_sendPanel->attach(*m_sender, m_data);
    m_funcKeyBar->attach(*m_sender, m_data);
    m_autoRepeat->setSendData(
        [this](const QString &text, int16_t format) { m_sender->SendPaced(text, format); });
    connect(m_sendPanel, &SendPanel::repeatStartRequested, m_autoRepeat, &AutoRepeat::cmdSend_RepeatClick);
    connect(m_sendPanel, &SendPanel::repeatStopRequested, m_autoRepeat, &AutoRepeat::cmdSend_RepeatClick);

    // What the link strip's changes mean for the other panels.
    connect(m_links, &LinkController::serialConnectedChanged, this, &frmMain::serialConnectedChanged);
    connect(m_links, &LinkController::tcpChosen, this, [this] { SetSendEnabled(true); });
    connect(m_links, &LinkController::serialLost, m_autoRepeat, &AutoRepeat::endAllRuns);
    connect(m_autoRepeat, &AutoRepeat::runningChanged, m_links, &LinkController::setRepeatRunning);
    connect(m_links, &LinkController::socketStateText, m_indicatorPanel, &IndicatorPanel::setSocketState);
    m_indicatorPanel->setSocketState(m_links->socketState());
    connect(m_links, &LinkController::statusText, this, [this](const QString &text) {
        m_sbrLink->setText(text);
        m_sbrLink->setVisible(!text.isEmpty());
    });
}

std::optional<int> frmMain::findSettings(const PatternLayout &pattern)
{
    // The search needs the port to itself.
    if (m_links->serialLink().isReady() && !m_links->DisconnectSerial())
        return std::nullopt;
    frmFindSettings dialog(m_portPanel->portText(), pattern, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.result().found)
        return std::nullopt;
    // "19200,N,8,1" into the four lists, as the user would choose them.
    const QStringList line = dialog.result().settingsText().split(u',');
    using Choice = PortPanel::Choice;
    int i = 0;
    for (const Choice c : {Choice::Bps, Choice::Parity, Choice::DataBit, Choice::StopBit})
        m_portPanel->selectChoiceText(c, line.value(i++));
    return dialog.result().mode;
}

void frmMain::serialConnectedChanged(bool connected)
{
    m_repeatPanel->setAutoRepeatAvailable(connected);
    if (connected) {
        // The repeat group follows the tick of "Auto Repeat Send".
        m_autoRepeat->chkAutoRepeat_Click();
    } else {
        SetRepeatEnabled(false);
    }
    SetSendEnabled(connected);
}

void frmMain::tmrTime_Timer()
{
    m_sbrClock->setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
}

void frmMain::buildMenus()
{
    auto addAction = [this](QMenu *menu, const char *name, const QString &caption) {
        auto *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    m_mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFile_Connect = addAction(m_mnuFile, "mnuFile_Connect", QStringLiteral("&Connect"));
    m_mnuFile_Disconnect = addAction(m_mnuFile, "mnuFile_Disconnect", QStringLiteral("&Disconnect"));
    m_mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuSep01"));
    m_session->addFileItems(*m_mnuFile);
    m_mnuFile->addSeparator();
    m_mnuFile_Exit = addAction(m_mnuFile, "mnuFile_Exit", QStringLiteral("E&xit"));

    m_mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    m_mnuEdit_EditList =
        addAction(m_mnuEdit, "mnuEdit_EditList", QStringLiteral("&Auto Repeat Edit List..."));
    m_mnuEdit_SendMsg = addAction(m_mnuEdit, "mnuEdit_SendMsg", QStringLiteral("&Send Message..."));
    m_mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuSep02"));
    m_mnuEdit_Clear = addAction(m_mnuEdit, "mnuEdit_Clear", QStringLiteral("&Clear"));
    m_mnuEdit_Clear->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_mnuEdit_Clear->setShortcutContext(Qt::WindowShortcut);
    m_mnuEdit->addSeparator();
    m_session->addEditItems(*m_mnuEdit);

    m_mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    m_mnuView->setObjectName(QStringLiteral("mnuView"));
    m_mnuView_Analysis = addAction(m_mnuView, "mnuView_Analysis", QStringLiteral("Weighing &Analysis"));
    m_mnuView_Analysis->setCheckable(true);
    connect(m_mnuView_Analysis, &QAction::toggled, this, &frmMain::setAnalysisShown);
    // The dock's own close button unticks the item.
    connect(m_analysisDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && !m_analysisDock->isVisible() && m_mnuView_Analysis->isChecked() && isVisible())
            m_mnuView_Analysis->setChecked(false);
    });

    // Switched off in the design and never switched on: shown greyed, its item has no action.
    m_mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    m_mnuTools->setObjectName(QStringLiteral("mnuTools"));
    addAction(m_mnuTools, "mnuIndSetting", QStringLiteral("Indicator &Setting..."));
    m_mnuTools->menuAction()->setEnabled(false);
    m_mnuTools->setEnabled(false);

    m_mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    m_mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelp_About = addAction(m_mnuHelp, "mnuHelp_About", QStringLiteral("&About Kivo..."));

    // The copied items take their buttons' enabled state at the moment their menu opens.
    connect(m_mnuFile, &QMenu::aboutToShow, this, [this] {
        m_mnuFile_Connect->setEnabled(m_portPanel->isConnectEnabled());
        m_mnuFile_Disconnect->setEnabled(m_portPanel->isDisconnectEnabled());
    });
    connect(m_mnuEdit, &QMenu::aboutToShow, this, [this] {
        m_mnuEdit_EditList->setEnabled(m_repeatPanel->isEditListEnabled());
        m_mnuEdit_SendMsg->setEnabled(m_sendPanel->isSendMsgEnabled());
    });
    connect(m_mnuFile_Connect, &QAction::triggered, m_portPanel, &PortPanel::clickConnect);
    connect(m_mnuFile_Disconnect, &QAction::triggered, m_portPanel, &PortPanel::clickDisconnect);
    connect(m_mnuFile_Exit, &QAction::triggered, this, &QWidget::close);
    connect(m_mnuEdit_EditList, &QAction::triggered, m_repeatPanel, &RepeatPanel::clickEditList);
    connect(m_mnuEdit_SendMsg, &QAction::triggered, m_sendPanel, &SendPanel::clickSendMsg);
    connect(m_mnuEdit_Clear, &QAction::triggered, this, &frmMain::mnuEdit_Clear_Click);
    connect(m_mnuHelp_About, &QAction::triggered, this, [] { frmAbout().exec(); });
}

void frmMain::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbrStatus"));
    setStatusBar(bar);
    m_sbrClock = new QLabel(bar);
    m_sbrClock->setObjectName(QStringLiteral("sbrStatus_Panel1"));
    bar->addWidget(m_sbrClock, 1);
    m_sbrLink = new QLabel(bar);
    m_sbrLink->setObjectName(QStringLiteral("sbrStatus_Link"));
    m_sbrLink->hide();
    bar->addWidget(m_sbrLink, 2);
    m_session->addStatusLabel(*bar);
    for (const char *k : {"CAPS", "NUM", "INS"}) {
        auto *l = new QLabel(QString::fromLatin1(k), bar);
        l->setObjectName(QStringLiteral("sbrStatus_") + QString::fromLatin1(k));
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(44);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(l);
    }
    m_tmrTime = new QTimer(this);
    m_tmrTime->setObjectName(QStringLiteral("tmrTime"));
    m_tmrTime->setInterval(1000);
    connect(m_tmrTime, &QTimer::timeout, this, &frmMain::tmrTime_Timer);
    m_tmrTime->start();
    tmrTime_Timer();
}

void frmMain::mnuEdit_Clear_Click()
{
    m_views->mnuEdit_Clear_Click();
}

void frmMain::startUp()
{
    // Icon and caption.
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/kivo-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    setWindowTitle(captionText(appVersion()));

    // The machine's serial ports.
    m_links->FillPortList();

    // The fixed lists and the default send choices.
    m_portPanel->fillFixedLists();
    m_repeatPanel->fillLists();
    m_portPanel->fillDelayList();
    m_portPanel->selectChoice(PortPanel::Choice::RecvDelay, 3);

    // The stored strings and their framing options, and the function keys they name.
    loadStoredStrings(m_data, listFilePath());
    applyFuncKeys();
    m_monitor->restoreOptions(listFilePath());

    // The window's choices from the settings store.
    m_links->restorePort();
    using Choice = PortPanel::Choice;
    m_portPanel->selectChoice(Choice::Parity, storedIndex(SK::Parity, 2));
    m_portPanel->selectChoice(Choice::DataBit, storedIndex(SK::DataBit, 0));
    m_portPanel->selectChoice(Choice::StopBit, storedIndex(SK::StopBit, 0));
    m_portPanel->selectChoice(Choice::Bps, storedIndex(SK::Bps, 6));
    m_portPanel->selectChoice(Choice::RecvDelay, storedIndex(SK::RecvDelay, 3));
    const auto sendFormat = toInt16(ReadSetting(settingKey(SK::SendFormat), QStringLiteral("1")));
    const auto sendForm = toInt16(ReadSetting(settingKey(SK::SendForm), QStringLiteral("2")));
    if (const auto v = toFloat32(ReadSetting(settingKey(SK::SplitPos), QStringLiteral("0"))))
        m_splitPos = usableSplitPos(*v);
    if (const auto v = toInt16(ReadSetting(settingKey(SK::IndicatorMode), QStringLiteral("0"))))
        m_data.iIndicatorMode = *v;
    if (const auto v = toInt16(ReadSetting(settingKey(SK::IndicatorID), QStringLiteral("0"))))
        m_data.iIndicatorID = *v;
    // The setting dialog stores the address and port as typed; blanks around them are no part of
    // the endpoint.
    m_data.strWinSockIP = ReadSetting(settingKey(SK::WinSockIP), QString()).trimmed();
    m_data.strWinSockPort = ReadSetting(settingKey(SK::WinSockPort), QString()).trimmed();
    m_links->restoreReconnect();
    m_session->restoreSettings();
    m_mnuView_Analysis->setChecked(ReadSetting(settingKey(SK::ShowAnalysis), QStringLiteral("0")) ==
                                   QLatin1String("1"));

    // Send format and form, with their click handling; an unreadable value counts as Hexa and
    // Message Data.
    m_sendPanel->chooseSendFormat(sendFormatOf(sendFormat.value_or(2)));
    m_sendPanel->chooseSendForm(sendFormOf(sendForm.value_or(2)));

    // Repeat delay and count.
    m_repeatPanel->selectChoice(RepeatPanel::Choice::DelayTime, storedIndex(SK::DelayTime, 0));
    m_repeatPanel->selectChoice(RepeatPanel::Choice::Count, storedIndex(SK::DelayCount, 0));

    // The view tab.
    const auto viewMode = toInt16(ReadSetting(settingKey(SK::ViewMode), QStringLiteral("1")));
    if (viewMode && isViewTab(*viewMode))
        m_views->selectTab(static_cast<ViewTab>(*viewMode));
    m_views->tabPrintSelect_Click();

    // Everything that needs a link starts disabled.
    m_repeatPanel->setAutoRepeatAvailable(false);
    SetSendEnabled(false);
    SetRepeatEnabled(false);

    // The link choice; the serial port ends closed either way.
    if (ReadSetting(settingKey(SK::CommType), QStringLiteral("RS232")) == QLatin1String("RS232"))
        m_portPanel->chooseLink(false);
    else
        m_portPanel->chooseLink(true);
    optComm_Click();
}

void frmMain::applyFuncKeys()
{
    m_funcKeyBar->applyKeys();
}

void frmMain::shutDown()
{
    m_autoRepeat->endAllRuns();
    m_links->storePort();
    m_links->storeReconnect();
    m_session->storeSettings();
    WriteSetting(settingKey(SK::ShowAnalysis),
                 m_mnuView_Analysis->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    auto choice = [this](PortPanel::Choice c) { return QString::number(m_portPanel->choiceIndex(c)); };
    WriteSetting(settingKey(SK::Parity), choice(PortPanel::Choice::Parity));
    WriteSetting(settingKey(SK::DataBit), choice(PortPanel::Choice::DataBit));
    WriteSetting(settingKey(SK::StopBit), choice(PortPanel::Choice::StopBit));
    WriteSetting(settingKey(SK::Bps), choice(PortPanel::Choice::Bps));
    WriteSetting(settingKey(SK::RecvDelay), choice(PortPanel::Choice::RecvDelay));
    WriteSetting(settingKey(SK::SendFormat), QString::number(storedValue(m_sendPanel->sendFormat())));
    WriteSetting(settingKey(SK::SendForm), QString::number(storedValue(m_sendPanel->sendForm())));
    WriteSetting(settingKey(SK::DelayTime),
                 QString::number(m_repeatPanel->choiceIndex(RepeatPanel::Choice::DelayTime)));
    WriteSetting(settingKey(SK::DelayCount),
                 QString::number(m_repeatPanel->choiceIndex(RepeatPanel::Choice::Count)));
    WriteSetting(settingKey(SK::ViewMode), QString::number(storedValue(m_views->selectedTab())));
    WriteSetting(settingKey(SK::SplitPos), QString::number(double(m_splitPos)));
    WriteSetting(settingKey(SK::CommType),
                 m_portPanel->tcpChosen() ? QStringLiteral("TCP/IP") : QStringLiteral("RS232"));

    DisconnectSerial();
    Delay(0.1f);
    // Last, so that the links' closing is in the log.
    m_session->stopLog(QStringLiteral("program closed"));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_shutDownDone) {
        m_shutDownDone = true;
        shutDown();
        event->accept();
        QApplication::closeAllWindows();
        if (m_endProgram)
            m_endProgram();
        return;
    }
    event->accept();
}

void frmMain::SetSendEnabled(bool on)
{
    m_sendPanel->setSendEnabled(on);
}

void frmMain::SetRepeatEnabled(bool on)
{
    m_repeatPanel->setRepeatEnabled(on);
}

void frmMain::optComm_Click()
{
    m_links->optComm_Click();
}

void frmMain::DisconnectSerial()
{
    m_links->DisconnectSerial();
}

SerialLink &frmMain::serialLink() const
{
    return m_links->serialLink();
}

TcpLink &frmMain::tcpLink() const
{
    return m_links->tcpLink();
}

// The layout rules are written for the outer window; the frame allowance turns the client
// area into that size.
int frmMain::outerWidthTwips() const
{
    return twips(m_central->width()) + LayoutConst::FrameWidth;
}

int frmMain::outerHeightTwips() const
{
    return twips(m_central->height()) + LayoutConst::FrameHeight;
}

// The analysis dock takes its room beside the window's design area: the window grows by the
// dock's width when it shows and gives it back when it goes, so the views keep their size.
void frmMain::setAnalysisShown(bool shown)
{
    if (m_mnuView_Analysis->isChecked() != shown)
        m_mnuView_Analysis->setChecked(shown); // comes back here through toggled
    if (m_analysisDock->isHidden() != shown)
        return;
    const int dockWidth = std::max(px(4950), m_analysisDock->minimumSizeHint().width());
    m_analysisDock->setMinimumWidth(dockWidth);
    m_analysisDock->setVisible(shown);
    // Grown only as far as the screen allows; on a narrow screen the dock takes from the views.
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
    if (shown && !m_analysisDock->isFloating() &&
        (screen.isEmpty() || width() + dockWidth <= screen.width())) {
        resize(width() + dockWidth, height());
        m_grownForAnalysis = dockWidth;
    } else if (!shown && m_grownForAnalysis > 0) {
        resize(width() - std::exchange(m_grownForAnalysis, 0), height());
    }
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The central area also changes size when the dock comes or goes.
    if (watched == m_central && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize()
{
    m_layout = computeLayout(outerWidthTwips(), outerHeightTwips(), storedValue(m_views->selectedTab()),
                             m_splitPos, m_layout);
    applyLayout();
}

void frmMain::applyLayout()
{
    auto toPx = [](const TwipRect &r) { return pxRect(r.left, r.top, r.width, r.height); };
    m_picControlPannel->resize(m_central->width(), px(LayoutConst::PanelHeight));
    m_portPanel->setStripWidth(px(m_layout.portStripWidth));
    m_views->rtfPrintAsc->setGeometry(toPx(m_layout.asc));
    m_views->rtfPrintHex->setGeometry(toPx(m_layout.hex));
    m_views->rtfHyperView->setGeometry(toPx(m_layout.hyper));
    m_views->picSize->setGeometry(toPx(m_layout.bar));
    m_views->picSize->setVisible(m_layout.barVisible);
    m_views->lblAscLen->setGeometry(toPx(m_layout.ascRuler));
    m_views->lblHexLen->setGeometry(toPx(m_layout.hexRuler));

    // The pause button beside the tab strip; the find bar over the right end of the views' top
    // row (the rulers), where it hides the oldest lines shown, not the newest.
    const QRect tabs = m_views->tabPrintSelect->geometry();
    QToolButton *pause = m_session->pauseButton();
    pause->setGeometry(tabs.right() + px(120), tabs.y(), pause->sizeHint().width() + px(120), tabs.height());
    const QRect views = toPx(m_layout.hyper).united(toPx(m_layout.asc)).united(toPx(m_layout.hex));
    FindBar *find = m_session->findBar();
    const int findWidth = qMin(views.width(), px(6000));
    find->setGeometry(views.right() - findWidth + 1, toPx(m_layout.ascRuler).y(), findWidth,
                      find->sizeHint().height());
    find->raise();
}

void frmMain::SizeControls(float x)
{
    // The ASCII view's width becomes x; the width it really takes is the new splitter position.
    if (x >= 0)
        m_splitPos = float(twips(px(int(x))));
    Form_Resize();
}

void frmMain::splitterDown()
{
    const QRect bar = m_views->picSize->geometry();
    m_views->picSplitter->setGeometry(bar.x(), bar.y(), bar.width(), qMax(0, bar.height() - px(20)));
    m_views->picSplitter->show();
    m_views->picSplitter->raise();
    m_splitDrag = true;
}

void frmMain::splitterMove(int xInBar)
{
    if (!m_splitDrag)
        return;
    const int pos = twips(m_views->picSize->x() + xInBar);
    m_views->picSplitter->move(px(clampDragLine(pos, outerWidthTwips())), m_views->picSplitter->y());
}

void frmMain::splitterUp()
{
    SizeControls(float(twips(m_views->picSplitter->x())));
    m_views->picSplitter->hide();
    m_splitDrag = false;
}
