#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace kivo {

// What a message box showed (or would have shown).
struct MessageRecord
{
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
};

// Every message box of the program goes through here: a real modal QMessageBox with one OK
// button. A test can install a recorder, which then takes the message instead of a box.
void showMessage(QWidget *parent, const QString &text, QMessageBox::Icon icon, const QString &title);

// The program's own title, used as the title of most boxes.
[[nodiscard]] QString appTitle();

using MessageRecorder = std::function<void(const MessageRecord &)>;
// Installs (or, with an empty function, removes) the recorder.
void setMessageRecorder(MessageRecorder recorder);

} // namespace kivo
