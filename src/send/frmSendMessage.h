#pragma once

#include "core/AppData.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kivo {

class Sender;
class StringRow;

// "Send Message": ten stored messages sent by a click or a digit key, their editing (Apply), a
// description per message (Save) and an XOR checksum of a dragged hex range. A modeless top-level
// window; it reads the message table each time it is created and writes it back on Apply/Save.
class frmSendMessage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRows = AppData::kMesgRows;
    // The line end that "Send line ends with" adds, cycled by cmdCRLF.
    enum class LineEnd { CRLF, CR, LF };

    frmSendMessage(AppData &data, Sender &sender);

    std::array<QPushButton *, kRows> cmdBtnNum{};
    QPushButton *cmdAssign = nullptr;
    QPushButton *cmdClose = nullptr;
    QGroupBox *fraCaption = nullptr;
    QLabel *lblDescTitle = nullptr;
    QPlainTextEdit *txtDesc = nullptr;
    QPushButton *cmdSave = nullptr;
    QGroupBox *fraAssign = nullptr;
    std::array<QLabel *, kRows> lblString{};
    std::array<QLineEdit *, kRows> txtString{};
    std::array<QPushButton *, kRows> cmdMode{};
    QLabel *Label1 = nullptr;
    QCheckBox *chkCRLF = nullptr;
    QPushButton *cmdCRLF = nullptr;
    QCheckBox *chkSTX = nullptr;
    QPushButton *cmdApply = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtChecksum = nullptr;
    QLabel *Label2 = nullptr;
    QCheckBox *chkAutoPaste = nullptr;

    // Client sizes of the two states (the design's outer sizes less a fixed window frame).
    [[nodiscard]] static QSize collapsedSize();
    [[nodiscard]] static QSize expandedSize();

    void cmdBtnNum_Click(int k);
    void cmdAssign_Click();
    void cmdApply_Click();
    void cmdSave_Click();
    void cmdCRLF_Click();
    void ShowDescription(int k);
    void txtString_MouseUp(int k);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void load();
    bool formKeyDown(int key);
    [[nodiscard]] int rowOf(QObject *watched) const;

    AppData &m_data;
    Sender &m_sender;
    std::array<StringRow *, kRows> m_rows{};
    LineEnd m_lineEnd = LineEnd::CRLF;
    int m_descRow = -1;         // the row whose description shows; -1 for none
    bool m_assignShown = false; // the Assign String frame is open
    bool bTextFocus = false;
    bool bMouseDown = false;
    struct
    {
        const QEvent *event = nullptr;
        quint64 timestamp = 0;
        QPointer<QWidget> receiver;
    } m_lastKey;
};

} // namespace kivo
