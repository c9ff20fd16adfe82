#pragma once

#include <QWidget>

namespace kivo {

// The bar between the ASCII and hex views in the "Both" layout. It reports mouse down, move and
// up with the mouse's x within the bar; while a button is held it keeps the mouse capture, so
// moves outside it keep coming.
class SplitterBar : public QWidget
{
    Q_OBJECT
public:
    explicit SplitterBar(QWidget *parent);

signals:
    void pressed();
    void moved(int xInBar);
    void released();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
};

} // namespace kivo
