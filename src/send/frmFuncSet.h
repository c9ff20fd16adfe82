#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kivo {

class StringRow;

struct AppData;
class FuncKeyBar;

// "Setting Function Key": caption, send string, mode and enabled state of the four function keys
// and their two framing options. Modal; it reads the key table when it is created and writes it
// back (memory, main-window buttons, list file) on Apply.
class frmFuncSet : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kRows = 4;

    frmFuncSet(AppData &data, FuncKeyBar &keys, QWidget *parent);

    std::array<QCheckBox *, kRows> chkList{};
    std::array<QLineEdit *, kRows> txtKeyCaption{};
    std::array<QLineEdit *, kRows> txtString{};
    std::array<QPushButton *, kRows> cmdMode{};
    QCheckBox *chkCRLF = nullptr;
    QCheckBox *chkSTX = nullptr;
    QPushButton *cmdApply = nullptr;
    QPushButton *cmdClose = nullptr;

    void cmdApply_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppData &m_data;
    std::array<StringRow *, kRows> m_rows{};
    FuncKeyBar &m_keys;
    bool m_mouseDown = false;
};

} // namespace kivo
