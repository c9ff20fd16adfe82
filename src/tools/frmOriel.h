#pragma once

#include "tools/OrielFrames.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QObject;

namespace kivo {
class Sender;
}

// The serial-number test form: eleven buttons that each send one command of the retail scale's
// data protocol, and three number boxes that choose the record or serial number. It only sends;
// the scale's answers show in the traffic views like any received data.
class frmOriel : public QWidget
{
    Q_OBJECT
public:
    // A top-level, topmost window at (500, 200) whose frames go to `send` as Hexa text.
    explicit frmOriel(kivo::HexSendFn send);

    // Shows the test form, making it when none is open; the form sends through `sender` and goes
    // when `owner` (the main window) goes.
    static frmOriel *open(kivo::Sender &sender, QObject &owner);

    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command11 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;

    void Command7_Click();
    void Command8_Click();
    void Command11_Click();

private:
    QPushButton *addButton(const char *name, const QString &caption, int left, int top);
    QLineEdit *addNumberBox(const char *name, int left, int top);
    QLabel *addLabel(const char *name, int left, int top);
    void sendRead(QPushButton *button, qint64 count, qint64 address);
    // Reads record n of a table from the box, then steps the box to the next record.
    void readRecord(QLineEdit *box, char letter, qint64 tableStart, qint64 recordSize);
    void refuse(const QLineEdit *box);

    kivo::HexSendFn m_send;
};
