#pragma once

#include "detect/ProbePort.h"
#include "detect/SettingsFinder.h"
#include "protocol/FrameReader.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kivo {

// Makes the port the search listens on, from the port's name.
using ProbePortFactory = std::function<std::unique_ptr<ProbePort>(const QString &portName)>;

// "Find Settings": searches the port for an indicator's bit rate, framing and layout as soon as it
// is shown, with the try in progress and a progress bar. Cancel ends the search and closes; when
// the search is done the winner is shown and Apply accepts the dialog, after which result() is
// what to apply. Opened modally with exec(); the port must not be open elsewhere meanwhile.
class frmFindSettings : public QDialog
{
    Q_OBJECT
public:
    // Without a factory the search listens on the serial port itself.
    frmFindSettings(const QString &portName, const PatternLayout &pattern, QWidget *parent = nullptr,
                    ProbePortFactory factory = {});
    ~frmFindSettings() override;

    // The search's outcome (found or not) once it has finished. Hides QDialog::result(): whether
    // the dialog was accepted is what exec() returns.
    [[nodiscard]] const FindResult &result() const { return m_result; }
    [[nodiscard]] bool searching() const { return m_finder->isRunning(); }
    // The finder, for tests that shorten its timing before the dialog is shown.
    [[nodiscard]] SettingsFinder &finder() { return *m_finder; }

    QLabel *lblPort = nullptr;
    QLabel *lblTry = nullptr;
    QProgressBar *prgFind = nullptr;
    QLabel *lblResult = nullptr;
    QPushButton *cmdApply = nullptr;
    QPushButton *cmdCancel = nullptr;

public slots:
    // Closing the dialog in any way (Cancel, Escape, the title bar) ends a running search first.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onProgress(int tryNumber, int tryCount, const LineTry &line);
    void onFinished(const FindResult &result);

    std::unique_ptr<ProbePort> m_port;
    std::unique_ptr<SettingsFinder> m_finder;
    FindResult m_result;
    bool m_started = false;
};

} // namespace kivo
