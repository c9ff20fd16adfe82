#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace kivosim {

// Cuts received bytes into commands. STX, ETX, CR and LF end a command; a command sent bare, with
// none of them, ends when the line has been quiet for a moment.
class CommandDecoder : public QObject
{
    Q_OBJECT
public:
    static constexpr int quietMs = 50;

    explicit CommandDecoder(QObject *parent = nullptr);

    void feed(const QByteArray &bytes);

signals:
    // The command's text, trimmed of blanks; never empty.
    void command(const QByteArray &text);

private:
    void finish();

    QByteArray m_pending;
    QTimer m_quiet;
};

} // namespace kivosim
