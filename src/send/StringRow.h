#pragma once

#include "core/AppData.h"

#include <QObject>
#include <QPushButton>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kivo {

// The ASCII/Hexa button of a stored string: it holds the string's send format, shows it as its
// caption and colour, and switches to the other format when clicked.
class ModeButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ModeButton(QWidget *parent = nullptr);

    [[nodiscard]] SendFormat format() const { return m_format; }
    void setFormat(SendFormat format);

private:
    SendFormat m_format = SendFormat::Ascii;
};

// One row of a stored-string editor (repeat list, function keys, messages), which knows its index.
// Its controls are named after the row: chkList_n, txtKeyCaption_n, txtString_n, cmdMode_n,
// lblString_n ("Stringn:"). A ticked box enables the string; an unticked one greys it.
class StringRow : public QObject
{
    Q_OBJECT
public:
    enum Part { Tick = 1, Caption = 2, Label = 4 };

    // Makes the row's controls as children of `parent`, the string box and the mode button always,
    // the others as `parts` asks. The editor places them.
    StringRow(int index, int parts, QWidget *parent);

    [[nodiscard]] int index() const { return m_index; }

    QCheckBox *tick = nullptr;    // "n:", with Tick
    QLineEdit *caption = nullptr; // with Caption
    QLabel *label = nullptr;      // "Stringn:", with Label
    QLineEdit *text = nullptr;
    ModeButton *mode = nullptr;

    // Shows a stored row: its text, its format (stored value) and, with a tick box, its tick.
    void show(const QString &string, int16_t storedMode, bool ticked = false);
    [[nodiscard]] int16_t storedMode() const { return storedValue(mode->format()); }
    [[nodiscard]] int16_t storedEnabled() const;

private:
    int m_index;
};

} // namespace kivo
