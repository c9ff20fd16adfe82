#pragma once

#include <QObject>

#include <array>

class QPushButton;
class QWidget;

namespace kivo {

// The four function-key buttons and "SET" on the tab row.
class FuncKeyBar : public QObject
{
    Q_OBJECT
public:
    explicit FuncKeyBar(QWidget *parent);

    std::array<QPushButton *, 4> cmdFuncKey{};
    QPushButton *cmdFuncKeySet = nullptr;
};

} // namespace kivo
