#pragma once

#include "monitor/MonitorOptions.h"

#include <QByteArray>
#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kivo {

struct AppData;

// "Monitoring Setting": the indicator's frame layout, its ID and the TCP endpoint used when
// monitoring over TCP/IP, polling, the user's own pattern layout and finding the settings of an
// unknown indicator. OK stores the fields as typed and keeps them trimmed in memory (the caller
// stores the options); Cancel changes nothing. Opened modally with exec().
class frmSetting : public QDialog
{
    Q_OBJECT
public:
    explicit frmSetting(AppData &data, const MonitorOptions &options = {}, QWidget *parent = nullptr);

    // The bytes the pattern dialog tries a pattern on, and the settings finder (see
    // MonitorController::DialogHooks). Without a finder the button is disabled.
    void setHooks(std::function<QByteArray()> recentBytes,
                  std::function<std::optional<int>(const PatternLayout &)> findSettings);

    // The options as the dialog leaves them.
    [[nodiscard]] const MonitorOptions &options() const { return m_options; }

    QGroupBox *fraSetting = nullptr;
    QComboBox *cboID = nullptr;
    QComboBox *cboMode = nullptr;
    QGroupBox *fraTcp = nullptr;
    QLineEdit *txtIP = nullptr;
    QLineEdit *txtPort = nullptr;
    QPushButton *cmdPattern = nullptr;
    QPushButton *cmdFindSettings = nullptr;
    QGroupBox *fraPoll = nullptr;
    QCheckBox *chkPoll = nullptr;
    QSpinBox *spnPollInterval = nullptr;
    QLabel *lblPollRequest = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The ID entry the box stands on: the chosen entry, or the entry whose text was typed
    // exactly; -1 when the typed text matches none.
    [[nodiscard]] int selectedIdIndex() const;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdPattern_Click();
    void cmdFindSettings_Click();
    // The request polling would send for the chosen layout.
    void showPollRequest();

    AppData &m_data;
    MonitorOptions m_options;
    std::function<QByteArray()> m_recentBytes;
    std::function<std::optional<int>(const PatternLayout &)> m_findSettings;
};

} // namespace kivo
