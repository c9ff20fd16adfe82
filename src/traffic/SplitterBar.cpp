#include "traffic/SplitterBar.h"

#include <QMouseEvent>

namespace kivo {

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::SizeHorCursor);
}

void SplitterBar::mousePressEvent(QMouseEvent *)
{
    emit pressed();
}

void SplitterBar::mouseMoveEvent(QMouseEvent *e)
{
    if (e->buttons() != Qt::NoButton)
        emit moved(int(e->position().x()));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *)
{
    emit released();
}

} // namespace kivo
