#include "send/FuncKeyBar.h"

#include "core/AppData.h"
#include "core/PanelGeometry.h"
#include "core/Twips.h"
#include "send/Sender.h"
#include "send/frmFuncSet.h"

#include <QPushButton>

namespace kivo {

FuncKeyBar::FuncKeyBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FuncKeyBar"));
    const int lefts[4] = {9120, 10200, 11280, 12360};
    for (int k = 0; k < 4; ++k) {
        auto *b = new QPushButton(QStringLiteral("FUNC%1").arg(k + 1), this);
        b->setObjectName(QStringLiteral("cmdFuncKey_%1").arg(k));
        b->setGeometry(pxRect(lefts[k], 3000, 1095, 375));
        b->setEnabled(false);
        connect(b, &QPushButton::clicked, this, [this, k] { cmdFuncKey_Click(k); });
        m_cmdFuncKey[k] = b;
    }
    m_cmdFuncKeySet = new QPushButton(QStringLiteral("SET"), this);
    m_cmdFuncKeySet->setObjectName(QStringLiteral("cmdFuncKeySet"));
    m_cmdFuncKeySet->setGeometry(pxRect(13450, 3000, 495, 375));
    connect(m_cmdFuncKeySet, &QPushButton::clicked, this, &FuncKeyBar::cmdFuncKeySet_Click);
    fitToChildren(this);
}

void FuncKeyBar::attach(Sender &sender, AppData &data)
{
    m_sender = &sender;
    m_data = &data;
}

void FuncKeyBar::applyKey(int k, const FuncItem &item)
{
    if (!item.Caption.isEmpty())
        m_cmdFuncKey[k]->setText(item.Caption);
    m_cmdFuncKey[k]->setEnabled(item.Enabled != 0);
}

void FuncKeyBar::applyKeys()
{
    if (!m_data)
        return;
    for (int k = 0; k < AppData::kFuncKeys; ++k)
        applyKey(k, m_data->FuncKeys[k]);
}

void FuncKeyBar::cmdFuncKey_Click(int k)
{
    if (!m_sender || !m_data)
        return;
    const FuncItem &item = m_data->FuncKeys[k];
    if (item.String.isEmpty())
        return;
    m_sender->SendStored(item.String, item.Mode, m_data->FuncCRLF, m_data->FuncSTX);
}

void FuncKeyBar::cmdFuncKeySet_Click()
{
    if (!m_data)
        return;
    frmFuncSet dialog(*m_data, *this, window());
    dialog.exec();
}

} // namespace kivo
