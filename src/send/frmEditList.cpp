#include "send/frmEditList.h"

#include "core/Fonts.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/ListFileLocation.h"
#include "core/MessageBox.h"
#include "core/StoredStrings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

namespace LK = ListFileKeys;

namespace {

const QLatin1StringView kAscii{"ASCII"};
const QLatin1StringView kHexa{"Hexa"};
const QColor kAsciiColour(192, 255, 255);
const QColor kHexaColour(192, 192, 255);

} // namespace

frmEditList::frmEditList(AppData &data, QWidget *parent) : QWidget(parent, Qt::Window), m_data(data)
{
    setObjectName(QStringLiteral("frmEditList"));
    setWindowTitle(QStringLiteral("Auto Repeat Send List"));
    setFont(controlFont());

    const int rowHeight = 26;
    for (int r = 0; r < kRows; ++r) {
        const int y = 10 + r * rowHeight;
        const QString n = QString::number(r);
        chkList[r] = new QCheckBox(QString::number(r + 1) + u':', this);
        chkList[r]->setObjectName(QStringLiteral("chkList_") + n);
        chkList[r]->setGeometry(10, y, 44, 22);
        txtString[r] = new QLineEdit(this);
        txtString[r]->setObjectName(QStringLiteral("txtString_") + n);
        txtString[r]->setFont(courierFont());
        txtString[r]->setGeometry(56, y, 330, 22);
        // A line edit selects its whole text when Tab brings the focus and keeps the caret where
        // a click put it, which is the rule for these boxes.
        cmdMode[r] = new QPushButton(this);
        cmdMode[r]->setObjectName(QStringLiteral("cmdMode_") + n);
        cmdMode[r]->setGeometry(392, y, 60, 22);
        cmdMode[r]->setAutoFillBackground(true);
        connect(chkList[r], &QCheckBox::toggled, this, [this, r] { chkList_Click(r); });
        connect(cmdMode[r], &QPushButton::clicked, this, [this, r] { cmdMode_Click(r); });
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
        txtString[r]->setText(item.String);
        chkList[r]->setChecked(item.Enabled == 1);
        // Setting an unchanged tick raises no toggle; the box must follow the tick either way.
        chkList_Click(r);
        showMode(r, item.Mode == FormatAscii);
    }
    chkCRLF->setChecked(m_data.AutoCRLF);
    chkSTX->setChecked(m_data.AutoSTX);
}

void frmEditList::showMode(int row, bool ascii)
{
    QPushButton *b = cmdMode[size_t(row)];
    b->setText(ascii ? kAscii : kHexa);
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, ascii ? kAsciiColour : kHexaColour);
    b->setPalette(pal);
}

void frmEditList::chkList_Click(int row)
{
    txtString[size_t(row)]->setEnabled(chkList[size_t(row)]->isChecked());
}

void frmEditList::cmdMode_Click(int row)
{
    showMode(row, cmdMode[size_t(row)]->text() != kAscii);
}

void frmEditList::cmdApply_Click()
{
    const QString file = listFilePath();
    bool written = true;
    for (int r = 0; r < kRows; ++r) {
        const QString key = LK::rowKey(r + 1);
        AutoItem &item = m_data.RepeatList[size_t(r)];
        item.Mode = cmdMode[size_t(r)]->text() == kAscii ? FormatAscii : FormatHexa;
        item.String = txtString[size_t(r)]->text();
        item.Enabled = chkList[size_t(r)]->isChecked() ? 1 : 0;
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
