#pragma once

#include "core/AppData.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kivo {

class StringRow;

// "Auto Repeat Send List": a modeless window editing the ten rows of the repeat list and its two
// framing options. Edits reach the list (and the list file) only through "&Apply"; "&Close"
// drops what was not applied.
class frmEditList : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRows = AppData::kRepeatRows;

    explicit frmEditList(AppData &data, QWidget *parent = nullptr);

    std::array<QCheckBox *, kRows> chkList{};
    std::array<QLineEdit *, kRows> txtString{};
    std::array<QPushButton *, kRows> cmdMode{};
    QLabel *lblAsciiOption = nullptr;
    QCheckBox *chkCRLF = nullptr;
    QCheckBox *chkSTX = nullptr;
    QPushButton *cmdApply = nullptr;
    QPushButton *cmdClose = nullptr;

    void cmdApply_Click();

private:
    void Form_Load();

    AppData &m_data;
    std::array<StringRow *, kRows> m_rows{};
};

} // namespace kivo
