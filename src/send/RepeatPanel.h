#pragma once

#include <QObject>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kivo {

// The "Auto Repeat Send" frame: the tick box that titles it, delay time, count, Start and the
// list editor button.
class RepeatPanel : public QObject
{
    Q_OBJECT
public:
    explicit RepeatPanel(QWidget *controlPanel);

    // Fills the 38 repeat delays (none selected) and the 13 counts ("Endless" selected).
    void fillLists();

    // The repeat group (delay, count, Start, "&Edit List...") switched together.
    void setRepeatEnabled(bool on);
    // Start reads "Stop" while the list run goes, else "Start".
    void showListRunning(bool running);

    QGroupBox *Frame4 = nullptr;
    QCheckBox *chkAutoRepeat = nullptr;
    QLabel *lblDelayTime = nullptr;
    QComboBox *cboDelayTime = nullptr;
    QLabel *lblCount = nullptr;
    QComboBox *cboCount = nullptr;
    QPushButton *cmdStart = nullptr;
    QPushButton *cmdEditList = nullptr;
};

} // namespace kivo
