#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kivo {

struct AppData;

// "Monitoring Setting": the indicator's frame layout, its ID and the TCP endpoint used when
// monitoring over TCP/IP. OK stores the fields as typed and keeps them trimmed in memory;
// Cancel changes nothing. Opened modally with exec().
class frmSetting : public QDialog
{
    Q_OBJECT
public:
    explicit frmSetting(AppData &data, QWidget *parent = nullptr);

    QGroupBox *fraSetting = nullptr;
    QComboBox *cboID = nullptr;
    QComboBox *cboMode = nullptr;
    QGroupBox *fraTcp = nullptr;
    QLineEdit *txtIP = nullptr;
    QLineEdit *txtPort = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The ID entry the box stands on: the chosen entry, or the entry whose text was typed
    // exactly; -1 when the typed text matches none.
    [[nodiscard]] int selectedIdIndex() const;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    AppData &m_data;
};

} // namespace kivo
