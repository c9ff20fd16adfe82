#include "core/PanelGeometry.h"

#include <QRegion>
#include <QWidget>

namespace kivo {

void fitToChildren(QWidget *panel)
{
    QRect box;
    QRegion covered;
    const QList<QWidget *> children = panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (const QWidget *child : children)
        box = box.united(child->geometry());
    if (box.isEmpty())
        return;
    for (QWidget *child : children) {
        child->move(child->pos() - box.topLeft());
        covered += child->geometry();
    }
    panel->setGeometry(QRect(panel->pos() + box.topLeft(), box.size()));
    panel->setMask(covered);
}

} // namespace kivo
