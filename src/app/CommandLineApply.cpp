#include "app/CommandLineApply.h"

#include "app/Profile.h"
#include "app/SessionTools.h"
#include "analysis/AnalysisPanel.h"
#include "core/AppData.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPointer>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

namespace kivo {

namespace {

template <typename T> T *control(QWidget &window, const char *name)
{
    auto *c = window.findChild<T *>(QLatin1String(name));
    Q_ASSERT_X(c, "applyCommandLine", name);
    return c;
}

void choose(QWidget &window, const char *name, const std::optional<QString> &entry)
{
    if (!entry)
        return;
    if (auto *box = control<QComboBox>(window, name))
        box->setCurrentIndex(box->findText(*entry, Qt::MatchExactly));
}

// A port that is not in the machine's list is typed into the box, as the user would type a path.
void choosePort(QWidget &window, const QString &port)
{
    auto *box = control<QComboBox>(window, "cboPort");
    if (!box)
        return;
    const int index = box->findText(port, Qt::MatchExactly);
    box->setCurrentIndex(index);
    if (index < 0)
        box->setEditText(port);
}

void click(QWidget &window, const char *name)
{
    if (auto *button = control<QAbstractButton>(window, name))
        button->click();
}

} // namespace

void applyCommandLine(QWidget &window, AppData &data, const CommandLineOptions &o)
{
    if (!o.profileDir.isEmpty())
        window.setWindowTitle(profileCaption(window.windowTitle(), o.profileDir));

    // Recording starts first, so that it holds the connect and everything after it.
    if (!o.logFile.isEmpty()) {
        if (auto *tools = window.findChild<SessionTools *>(QStringLiteral("sessionTools")))
            tools->startLog(o.logFile);
    }

    if (!o.readingsCsv.isEmpty()) {
        if (auto *analysis = window.findChild<AnalysisPanel *>(QStringLiteral("picAnalysis")))
            analysis->setReadingsFile(o.readingsCsv);
    }

    if (o.port)
        choosePort(window, *o.port);
    choose(window, "cboParity", o.parity);
    choose(window, "cboDataBit", o.dataBits);
    choose(window, "cboStopBit", o.stopBits);
    choose(window, "cboBps", o.bps);
    choose(window, "cboDelay", o.recvDelay);
    if (o.tab) {
        if (auto *tabs = control<QTabBar>(window, "tabPrintSelect"))
            tabs->setCurrentIndex(storedValue(*o.tab) - 1);
    }

    // The monitoring settings, held and stored as the Monitoring Setting dialog's OK does.
    if (o.mode) {
        data.iIndicatorMode = int16_t(*o.mode);
        WriteSetting(QString(SettingsKeys::IndicatorMode), QString::number(*o.mode));
    }
    if (o.tcp) {
        data.strWinSockIP = o.tcp->host;
        data.strWinSockPort = o.tcp->port;
        WriteSetting(QString(SettingsKeys::WinSockIP), o.tcp->host);
        WriteSetting(QString(SettingsKeys::WinSockPort), o.tcp->port);
        click(window, "optComm_0");
    } else if (o.connect) {
        // Connecting needs the serial link chosen, as the user would choose it first.
        if (auto *rs232 = control<QAbstractButton>(window, "optComm_1"); rs232 && !rs232->isChecked())
            rs232->click();
    }

    if (!o.connect && !o.monitor)
        return;
    QPointer<QWidget> target(&window);
    const bool connect = o.connect;
    const bool monitor = o.monitor;
    QTimer::singleShot(0, &window, [target, connect, monitor] {
        if (target && connect)
            click(*target, "cmdConnect");
        // A failed connect shows its box first; Mon On is pressed once the box is closed.
        if (target && monitor)
            click(*target, "cmdMonOn");
    });
}

} // namespace kivo
