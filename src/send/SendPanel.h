#pragma once

#include "core/AppData.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kivo {

struct AppData;
class Sender;
class frmSendMessage;

// What the Send button does: send the box ("Send"), start the box's repeat run ("Start") or
// stop it ("Stop").
enum class SendButtonRole { Send, RepeatStart, RepeatStop };

// The send format and send form frames and the "Data Send" frame with the send box.
class SendPanel : public QWidget
{
    Q_OBJECT
public:
    explicit SendPanel(QWidget *controlPanel);

    [[nodiscard]] SendFormat sendFormat() const { return m_sendFormat; }
    [[nodiscard]] SendForm sendForm() const { return m_sendForm; }
    // Chooses a format or form as a click on its option does.
    void chooseSendFormat(SendFormat format);
    void chooseSendForm(SendForm form);

    // The box's text less its leading and trailing blanks: what Send sends.
    [[nodiscard]] QString textToSend() const;

    [[nodiscard]] SendButtonRole sendButtonRole() const { return m_role; }
    // Sets the Send button's role and its caption with it.
    void setSendButtonRole(SendButtonRole role);

    // The send group (send box, Send, "Send &Msg...", the Data Send frame) switched together.
    void setSendEnabled(bool on);
    // What Edit > "&Send Message..." copies and does.
    [[nodiscard]] bool isSendMsgEnabled() const;
    void clickSendMsg();

    // Click handling of the option buttons: the format options empty the send box.
    void optFormatAscii_Click();
    void optFormatHexa_Click();
    void optFormByte_Click();
    void optFormMsg_Click();

    // The send box's behaviour needs the send operation and the message table; until attached the
    // panel only switches format and form.
    void attach(Sender &sender, AppData &data);
    ~SendPanel() override;

    // Every change of the send box: Byte Data sending, the length label, blank removal in Hexa.
    void txtSend_Change();
    void cmdSend_Click();
    // Opens the Send Message window, or brings the open one to the front.
    void cmdSendMsg_Click();

    // Whole units of the box already sent in Byte Data form.
    [[nodiscard]] int sentUnits() const { return m_sentUnits; }
    // The open Send Message window, if any.
    [[nodiscard]] frmSendMessage *sendMessageWindow() const;

signals:
    // cmdSend (or Enter in the box) while it stops a run: the running repeat is to stop.
    void repeatStopRequested();
    // cmdSend while it starts a run, with a sendable box: the repeat of the box is to start.
    void repeatStartRequested();

private:
    QGroupBox *m_Frame2 = nullptr; // "Send Format"
    QRadioButton *m_optFormatAscii = nullptr;
    QRadioButton *m_optFormatHexa = nullptr;
    QGroupBox *m_Frame3 = nullptr; // "Send Form"
    QRadioButton *m_optFormMsg = nullptr;
    QRadioButton *m_optFormByte = nullptr;
    QGroupBox *m_fraDataSend = nullptr;
    QLineEdit *m_txtSend = nullptr;
    QPushButton *m_cmdSend = nullptr;
    QPushButton *m_cmdSendMsg = nullptr;
    QLabel *m_lblSendLength = nullptr;
    SendFormat m_sendFormat = SendFormat::Ascii;
    SendForm m_sendForm = SendForm::Message;
    SendButtonRole m_role = SendButtonRole::Send;
    int m_sentUnits = 0;
    QString m_lastText; // the box's text after the previous change, to tell deletions apart
    Sender *m_sender = nullptr;
    AppData *m_data = nullptr;
    QPointer<frmSendMessage> m_sendMessage;
};

} // namespace kivo
