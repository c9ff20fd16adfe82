#include "send/frmFuncSet.h"

#include "core/AppData.h"
#include "core/Fonts.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/ListFileLocation.h"
#include "core/MessageBox.h"
#include "core/StoredStrings.h"
#include "send/FuncKeyBar.h"
#include "send/StringRow.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kivo {

namespace K = ListFileKeys;

frmFuncSet::frmFuncSet(AppData &data, FuncKeyBar &keys, QWidget *parent)
    : QDialog(parent), m_data(data), m_keys(keys)
{
    setObjectName(QStringLiteral("frmFuncSet"));
    setWindowTitle(QStringLiteral("Setting Function Key"));
    setFont(controlFont());

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Button Caption")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Send Data")), 0, 2);
    for (int r = 0; r < kRows; ++r) {
        m_rows[r] = new StringRow(r, StringRow::Tick | StringRow::Caption, this);
        chkList[r] = m_rows[r]->tick;
        txtKeyCaption[r] = m_rows[r]->caption;
        txtKeyCaption[r]->setFixedWidth(110);
        txtString[r] = m_rows[r]->text;
        txtString[r]->setMinimumWidth(300);
        txtString[r]->installEventFilter(this);
        cmdMode[r] = m_rows[r]->mode;
        cmdMode[r]->setFixedWidth(64);
        grid->addWidget(chkList[r], r + 1, 0);
        grid->addWidget(txtKeyCaption[r], r + 1, 1);
        grid->addWidget(txtString[r], r + 1, 2);
        grid->addWidget(cmdMode[r], r + 1, 3);
    }

    auto *options = new QGroupBox(QStringLiteral("Ascii Option"));
    chkCRLF = new QCheckBox(QStringLiteral("Send line ends with CRLF"));
    chkCRLF->setObjectName(QStringLiteral("chkCRLF"));
    chkSTX = new QCheckBox(QStringLiteral("Add a STX, ETX"));
    chkSTX->setObjectName(QStringLiteral("chkSTX"));
    auto *optionRow = new QHBoxLayout(options);
    optionRow->addWidget(chkCRLF);
    optionRow->addWidget(chkSTX);

    cmdApply = new QPushButton(QStringLiteral("&Apply"));
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setAutoDefault(false);
    cmdClose = new QPushButton(QStringLiteral("&Close"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    connect(cmdApply, &QPushButton::clicked, this, &frmFuncSet::cmdApply_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(options, 1);
    bottom->addWidget(cmdApply);
    bottom->addWidget(cmdClose);
    auto *column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(bottom);

    for (int r = 0; r < kRows; ++r) {
        const FuncItem &item = m_data.FuncKeys[r];
        txtKeyCaption[r]->setText(item.Caption);
        m_rows[r]->show(item.String, item.Mode, item.Enabled != 0);
    }
    chkCRLF->setChecked(m_data.FuncCRLF);
    chkSTX->setChecked(m_data.FuncSTX);
}

void frmFuncSet::cmdApply_Click()
{
    const QString file = listFilePath();
    bool written = true;
    for (int r = 0; r < kRows; ++r) {
        const QString key = K::rowKey(r + 1);
        FuncItem &item = m_data.FuncKeys[r];
        item.Caption = txtKeyCaption[r]->text();
        item.String = txtString[r]->text();
        item.Mode = m_rows[r]->storedMode();
        item.Enabled = m_rows[r]->storedEnabled();
        written &= WriteIni(QString(K::FuncKeyCap), key, item.Caption, file);
        written &= WriteIni(QString(K::FuncString), key, item.String, file);
        written &= WriteIni(QString(K::FuncMode), key, QString::number(item.Mode), file);
        written &= WriteIni(QString(K::FuncSendEnable), key, QString::number(item.Enabled), file);
        m_keys.applyKey(r, item);
    }
    m_data.FuncSTX = chkSTX->isChecked();
    m_data.FuncCRLF = chkCRLF->isChecked();
    written &= WriteIni(QString(K::FuncString), QString(K::STX), stxText(m_data.FuncSTX), file);
    written &= WriteIni(QString(K::FuncString), QString(K::CRLF), crlfText(m_data.FuncCRLF), file);
    if (!written)
        showMessage(this, QStringLiteral("기능 키 설정을 목록 파일에 저장하지 못했습니다.\n%1").arg(file),
                    QMessageBox::Warning, appTitle());
}

bool frmFuncSet::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box) {
        if (event->type() == QEvent::MouseButtonPress)
            m_mouseDown = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_mouseDown = false;
        else if (event->type() == QEvent::FocusIn && !m_mouseDown &&
                 static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason)
            box->selectAll();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kivo
