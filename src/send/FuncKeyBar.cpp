#include "send/FuncKeyBar.h"

#include "app/Twips.h"

#include <QPushButton>

namespace kivo {

FuncKeyBar::FuncKeyBar(QWidget *parent) : QObject(parent)
{
    const int lefts[4] = {9120, 10200, 11280, 12360};
    for (int k = 0; k < 4; ++k) {
        auto *b = new QPushButton(QStringLiteral("FUNC%1").arg(k + 1), parent);
        b->setObjectName(QStringLiteral("cmdFuncKey_%1").arg(k));
        b->setGeometry(pxRect(lefts[k], 3000, 1095, 375));
        b->setEnabled(false);
        cmdFuncKey[k] = b;
    }
    cmdFuncKeySet = new QPushButton(QStringLiteral("SET"), parent);
    cmdFuncKeySet->setObjectName(QStringLiteral("cmdFuncKeySet"));
    cmdFuncKeySet->setGeometry(pxRect(13450, 3000, 495, 375));
}

} // namespace kivo
