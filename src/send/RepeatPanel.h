#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kivo {

// The "Auto Repeat Send" frame: the tick box that titles it, delay time, count, Start and the
// list editor button. Its controls are its own; the auto-repeat engine works it through the calls
// and signals below.
class RepeatPanel : public QWidget
{
    Q_OBJECT
public:
    explicit RepeatPanel(QWidget *controlPanel);

    // The lists whose choice is kept by its index.
    enum class Choice { DelayTime, Count };

    // Fills the 38 repeat delays (none selected) and the 13 counts ("Endless" selected).
    void fillLists();
    [[nodiscard]] int choiceIndex(Choice choice) const;
    // Selects an entry the list holds; any other index leaves the list as it is.
    void selectChoice(Choice choice, int index);
    // The chosen entry's text ("0.5", "Endless"), as a run reads its delay and count.
    [[nodiscard]] QString choiceText(Choice choice) const;

    // "Auto Repeat Send": whether it is ticked, and whether it can be ticked (a link is there).
    [[nodiscard]] bool autoRepeatTicked() const;
    void setAutoRepeatAvailable(bool on);

    // The repeat group (delay, count, Start, "&Edit List...") switched together.
    void setRepeatEnabled(bool on);
    // Start reads "Stop" while the list run goes, else "Start".
    void showListRunning(bool running);

    // What Edit > "&Auto Repeat Edit List..." copies and does.
    [[nodiscard]] bool isEditListEnabled() const;
    void clickEditList();

signals:
    void autoRepeatToggled(bool ticked);
    void startClicked();
    void editListClicked();

private:
    [[nodiscard]] QComboBox *box(Choice choice) const;

    QGroupBox *m_Frame4 = nullptr;
    QCheckBox *m_chkAutoRepeat = nullptr;
    QLabel *m_lblDelayTime = nullptr;
    QComboBox *m_cboDelayTime = nullptr;
    QLabel *m_lblCount = nullptr;
    QComboBox *m_cboCount = nullptr;
    QPushButton *m_cmdStart = nullptr;
    QPushButton *m_cmdEditList = nullptr;
};

} // namespace kivo
