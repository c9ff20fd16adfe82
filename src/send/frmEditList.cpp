#include "send/frmEditList.h"

#include "core/Fonts.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/ListFileLocation.h"
#include "core/MessageBox.h"
#include "core/StoredStrings.h"
#include "send/StringRow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

namespace LK = ListFileKeys;

frmEditList::frmEditList(AppData &data, QWidget *parent) : QWidget(parent, Qt::Window), m_data(data)
{
    setObjectName(QStringLiteral("frmEditList"));
    setWindowTitle(QStringLiteral("Auto Repeat Send List"));
    setFont(controlFont());

    const int rowHeight = 26;
    for (int r = 0; r < kRows; ++r) {
        const int y = 10 + r * rowHeight;
        m_rows[r] = new StringRow(r, StringRow::Tick, this);
        chkList[r] = m_rows[r]->tick;
        txtString[r] = m_rows[r]->text;
        cmdMode[r] = m_rows[r]->mode;
        chkList[r]->setGeometry(10, y, 44, 22);
        txtString[r]->setGeometry(56, y, 330, 22);
        cmdMode[r]->setGeometry(392, y, 60, 22);
    }

    const int below = 10 + kRows * rowHeight + 6;
    lblAsciiOption = new QLabel(QStringLiteral("Ascii Option"), this);
    lblAsciiOption->setObjectName(QStringLiteral("lblAsciiOption"));
    lblAsciiOption->setGeometry(10, below, 120, 18);
    chkCRLF = new QCheckBox(QStringLiteral("Send line ends with CRLF"), this);
    chkCRLF->setObjectName(QStringLiteral("chkCRLF"));
    chkCRLF->setGeometry(20, below + 20, 200, 22);
    chkSTX = new QCheckBox(QStringLiteral("Add a STX, ETX"), this);
    chkSTX->setObjectName(QStringLiteral("chkSTX"));
    chkSTX->setGeometry(230, below + 20, 160, 22);

    cmdApply = new QPushButton(QStringLiteral("&Apply"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setGeometry(292, below + 52, 76, 28);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(376, below + 52, 76, 28);
    connect(cmdApply, &QPushButton::clicked, this, &frmEditList::cmdApply_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    setFixedSize(462, below + 90);
    Form_Load();
}

void frmEditList::Form_Load()
{
    for (int r = 0; r < kRows; ++r) {
        const AutoItem &item = m_data.RepeatList[size_t(r)];
        m_rows[r]->show(item.String, item.Mode, item.Enabled == 1);
    }
    chkCRLF->setChecked(m_data.AutoCRLF);
    chkSTX->setChecked(m_data.AutoSTX);
}

void frmEditList::cmdApply_Click()
{
    const QString file = listFilePath();
    bool written = true;
    for (int r = 0; r < kRows; ++r) {
        const QString key = LK::rowKey(r + 1);
        AutoItem &item = m_data.RepeatList[size_t(r)];
        item.Mode = m_rows[r]->storedMode();
        item.String = m_rows[r]->text->text();
        item.Enabled = m_rows[r]->storedEnabled();
        written &= WriteIni(QString(LK::AutoString), key, item.String, file);
        written &= WriteIni(QString(LK::AutoMode), key, QString::number(item.Mode), file);
        written &= WriteIni(QString(LK::AutoSendEnable), key, QString::number(item.Enabled), file);
    }
    m_data.AutoSTX = chkSTX->isChecked();
    m_data.AutoCRLF = chkCRLF->isChecked();
    written &= WriteIni(QString(LK::AutoString), QString(LK::STX), stxText(m_data.AutoSTX), file);
    written &= WriteIni(QString(LK::AutoString), QString(LK::CRLF), crlfText(m_data.AutoCRLF), file);
    // The list in memory is applied either way; a list file that could not be written must not
    // pass for saved.
    if (!written)
        showMessage(this, QStringLiteral("Cannot write the list file: ") + file, QMessageBox::Critical,
                    QStringLiteral("Error"));
}

} // namespace kivo
