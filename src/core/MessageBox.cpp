#include "core/MessageBox.h"

#include <utility>

namespace kivo {

namespace {
MessageRecorder &recorder()
{
    static MessageRecorder r;
    return r;
}
} // namespace

QString appTitle()
{
    return QStringLiteral("Kivo");
}

void setMessageRecorder(MessageRecorder r)
{
    recorder() = std::move(r);
}

void showMessage(QWidget *parent, const QString &text, QMessageBox::Icon icon, const QString &title)
{
    if (recorder()) {
        recorder()(MessageRecord{text, icon, title});
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace kivo
