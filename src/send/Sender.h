#pragma once

#include "link/Link.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringView>

#include <cstdint>

class QWidget;

namespace kivo {

class LinkController;
class TrafficViews;

// The one send operation of the program: every send feature ends in SendData, which turns the
// text into bytes, writes them to the chosen link and shows them as SEND lines. The bytes shown in
// the hex view are exactly the bytes handed to the link.
class Sender : public QObject
{
    Q_OBJECT
public:
    // Sends to the link that `links` has chosen and shows the lines in `views`; `window` parents
    // the warning boxes.
    Sender(LinkController &links, TrafficViews &views, QWidget *window);

    // strData is ASCII text (format 1) or hex text (any other format). A link that refuses the
    // write is reported in a warning box and nothing is shown; the caller simply goes on.
    void SendData(QString strData, const int16_t &iSendFormat);

    // SendData for a run of repeated sends: the SEND line goes in with the views' next paced
    // commit instead of at once, so a fast run costs one layout per repaint, not one per send.
    void SendPaced(const QString &strData, int16_t iSendFormat);

    // A stored string with its feature's framing: for ASCII, the line end, then STX/ETX.
    void SendStored(const QString &text, int16_t mode, bool lineEnd, bool stx,
                    QStringView lineEndChars = u"\r\n");

    // The link that the "Communication" options choose: TCP/IP when optComm_0 is checked.
    [[nodiscard]] Link *chosenLink() const;

signals:
    // Every chunk a link accepted, whatever sent it.
    void sent(const kivo::LinkChunk &chunk);

private:
    // SendData's work; a paced send leaves its SEND line to the views' held commit.
    void send(QString strData, int16_t iSendFormat, bool paced);
    void showSend(const QByteArray &bytes, const QString &hexText, bool paced);

    LinkController &m_links;
    TrafficViews &m_views;
    QWidget *m_window;
};

} // namespace kivo
