#include "app/SessionTools.h"

#include "core/CodePage.h"
#include "core/MessageBox.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "record/SessionRecorder.h"
#include "send/Sender.h"
#include "traffic/FindBar.h"
#include "traffic/ReceivePipeline.h"
#include "traffic/TrafficViews.h"
#include "traffic/ViewExport.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

namespace kivo {

namespace {

QAction *item(QMenu &menu, const char *name, const QString &caption)
{
    QAction *a = menu.addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QString startFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// A file dialog run modally; its object name lets tests find it. Empty when cancelled.
QString askFile(QWidget &window, const char *name, const QString &title, const QString &suggested,
                const QString &filters)
{
    QFileDialog dialog(&window, title, suggested, filters);
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

SessionTools::SessionTools(QWidget &window, TrafficViews &views, QObject *parent)
    : QObject(parent), m_window(window), m_views(views)
{
    setObjectName(QStringLiteral("sessionTools"));
    m_recorder = new SessionRecorder(this);
    const CodePage *page = &CodePage::system();
    m_recorder->setDecoder([page](const QByteArray &bytes) { return page->decode(bytes); });
    connect(m_recorder, &SessionRecorder::statusChanged, this, &SessionTools::updateStatus);
    connect(m_recorder, &SessionRecorder::failed, this, &SessionTools::recordingFailed);

    QWidget *viewsParent = views.tabPrintSelect->parentWidget();
    m_findBar = new FindBar(viewsParent, [this] { return m_views.currentView(); });

    m_pause = new QAction(QStringLiteral("&Pause"), this);
    m_pause->setObjectName(QStringLiteral("mnuEdit_Pause"));
    m_pause->setCheckable(true);
    m_pause->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Space));
    m_pause->setShortcutContext(Qt::WindowShortcut);
    m_pause->setToolTip(QStringLiteral("Freeze the views; data go on arriving (Ctrl+Space)"));
    window.addAction(m_pause);
    connect(m_pause, &QAction::toggled, &m_views, &TrafficViews::setPaused);
    connect(&m_views, &TrafficViews::pausedChanged, this, [this](bool paused) {
        m_pause->setChecked(paused);
        m_pauseButton->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    });
    m_pauseButton = new QToolButton(viewsParent);
    m_pauseButton->setObjectName(QStringLiteral("cmdPause"));
    m_pauseButton->setDefaultAction(m_pause);
    m_pauseButton->setText(QStringLiteral("Pause"));
    m_pauseButton->setFocusPolicy(Qt::NoFocus);
}

SessionTools::~SessionTools() = default;

void SessionTools::watch(ReceivePipeline &receive, Sender &sender, Link &serial, Link &tcp)
{
    // Connected to the seams only while recording: the receive path takes a chunk's time and
    // endpoint only when something listens.
    connect(m_recorder, &SessionRecorder::recordingChanged, this, [this, &receive, &sender](bool on) {
        if (on) {
            connect(&receive, &ReceivePipeline::received, m_recorder, &SessionRecorder::recordReceived,
                    Qt::UniqueConnection);
            connect(&sender, &Sender::sent, m_recorder, &SessionRecorder::recordSent, Qt::UniqueConnection);
        } else {
            disconnect(&receive, &ReceivePipeline::received, m_recorder, &SessionRecorder::recordReceived);
            disconnect(&sender, &Sender::sent, m_recorder, &SessionRecorder::recordSent);
        }
    });
    m_recorder->watchLink(&serial);
    m_recorder->watchLink(&tcp);
}

void SessionTools::addFileItems(QMenu &menu)
{
    m_startLog = item(menu, "mnuFile_StartLog", QStringLiteral("Start &Log..."));
    m_stopLog = item(menu, "mnuFile_StopLog", QStringLiteral("S&top Log"));
    m_stopLog->setEnabled(false);
    connect(m_startLog, &QAction::triggered, this, &SessionTools::chooseLogFile);
    connect(m_stopLog, &QAction::triggered, this, [this] { stopLog(); });
    connect(m_recorder, &SessionRecorder::recordingChanged, m_stopLog, &QAction::setEnabled);
}

void SessionTools::addEditItems(QMenu &menu)
{
    m_find = item(menu, "mnuEdit_Find", QStringLiteral("&Find..."));
    m_find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_find->setShortcutContext(Qt::WindowShortcut);
    connect(m_find, &QAction::triggered, m_findBar, &FindBar::open);
    m_showTimes = item(menu, "mnuEdit_ShowTimes", QStringLiteral("Show &Times"));
    m_showTimes->setCheckable(true);
    connect(m_showTimes, &QAction::toggled, &m_views, &TrafficViews::setShowTimes);
    menu.addAction(m_pause);
    m_saveView = item(menu, "mnuEdit_SaveView", QStringLiteral("Sa&ve View As..."));
    connect(m_saveView, &QAction::triggered, this, &SessionTools::chooseViewFile);
}

void SessionTools::addStatusLabel(QStatusBar &bar)
{
    m_status = new QLabel(&bar);
    m_status->setObjectName(QStringLiteral("sbrStatus_Log"));
    m_status->setStyleSheet(QStringLiteral("color: rgb(192,0,0);"));
    m_status->hide();
    bar.addWidget(m_status, 2);
}

bool SessionTools::startLog(const QString &path)
{
    QString error;
    if (m_recorder->start(path, &error))
        return true;
    showMessage(&m_window, QStringLiteral("Cannot record to %1: %2").arg(QDir::toNativeSeparators(path), error),
                QMessageBox::Warning, appTitle());
    return false;
}

void SessionTools::stopLog(const QString &why)
{
    m_recorder->stop(why);
}

bool SessionTools::saveCurrentView(const QString &path)
{
    QString error;
    if (saveView(m_views.currentView(), path, &error))
        return true;
    showMessage(&m_window, QStringLiteral("Cannot save the view to %1: %2").arg(QDir::toNativeSeparators(path), error),
                QMessageBox::Warning, appTitle());
    return false;
}

void SessionTools::chooseLogFile()
{
    const QString suggested = QDir(startFolder()).filePath(
        QDateTime::currentDateTime().toString(QStringLiteral("'kivo-'yyyyMMdd-HHmmss'.log'")));
    const QString path = askFile(m_window, "dlgStartLog", QStringLiteral("Start Log"), suggested,
                                 QStringLiteral("Session logs (*.log);;All files (*)"));
    if (!path.isEmpty())
        startLog(path);
}

void SessionTools::chooseViewFile()
{
    const QString suggested = QDir(startFolder()).filePath(QStringLiteral("kivo-view.txt"));
    const QString path = askFile(m_window, "dlgSaveView", QStringLiteral("Save View As"), suggested,
                                 QStringLiteral("Text (*.txt);;HTML, with the colours (*.html *.htm)"));
    if (!path.isEmpty())
        saveCurrentView(path);
}

void SessionTools::updateStatus()
{
    if (!m_status)
        return;
    const bool on = m_recorder->isRecording();
    m_status->setVisible(on);
    if (!on)
        return;
    m_status->setText(QStringLiteral("Recording %1 (%2)")
                          .arg(QFileInfo(m_recorder->path()).fileName(),
                               QLocale::c().formattedDataSize(m_recorder->size(), 1, QLocale::DataSizeTraditionalFormat)));
    m_status->setToolTip(QDir::toNativeSeparators(m_recorder->path()));
}

void SessionTools::recordingFailed(const QString &path, const QString &reason)
{
    showMessage(&m_window,
                QStringLiteral("Recording stopped: %1 could not be written (%2).")
                    .arg(QDir::toNativeSeparators(path), reason),
                QMessageBox::Warning, appTitle());
}

void SessionTools::restoreSettings()
{
    m_showTimes->setChecked(ReadSetting(QString(SettingsKeys::ShowTimes), QStringLiteral("0")) == QLatin1String("1"));
}

void SessionTools::storeSettings() const
{
    WriteSetting(QString(SettingsKeys::ShowTimes), m_showTimes->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace kivo
