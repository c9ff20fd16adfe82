#include "send/frmSendMessage.h"

#include "core/AppData.h"
#include "core/Fonts.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/ListFileLocation.h"
#include "core/MessageBox.h"
#include "core/StoredStrings.h"
#include "core/Twips.h"
#include "send/SendEncoding.h"
#include "send/Sender.h"
#include "send/StringRow.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kivo {

namespace K = ListFileKeys;

namespace {

// The window's outer design sizes less the frame of a fixed window (6 x 32 pixels).
constexpr int kFrameWidth = 90;
constexpr int kFrameHeight = 480;

void setBackground(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Button, colour);
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QFont koreanFont()
{
    QFont f(QStringLiteral("NanumGothic"));
    f.setPointSizeF(9);
    return f;
}

QString lineEndChars(frmSendMessage::LineEnd end)
{
    switch (end) {
    case frmSendMessage::LineEnd::CR:
        return QStringLiteral("\r");
    case frmSendMessage::LineEnd::LF:
        return QStringLiteral("\n");
    case frmSendMessage::LineEnd::CRLF:
        break;
    }
    return QStringLiteral("\r\n");
}

QString lineEndCaption(frmSendMessage::LineEnd end)
{
    switch (end) {
    case frmSendMessage::LineEnd::CR:
        return QStringLiteral("CR");
    case frmSendMessage::LineEnd::LF:
        return QStringLiteral("LF");
    case frmSendMessage::LineEnd::CRLF:
        break;
    }
    return QStringLiteral("CRLF");
}

} // namespace

QSize frmSendMessage::collapsedSize()
{
    return QSize(px(3465 - kFrameWidth), px(3135 - kFrameHeight));
}

QSize frmSendMessage::expandedSize()
{
    return QSize(px(8745 - kFrameWidth), px(9015 - kFrameHeight));
}

frmSendMessage::frmSendMessage(AppData &data, Sender &sender)
    : QWidget(nullptr, Qt::Window), m_data(data), m_sender(sender)
{
    setObjectName(QStringLiteral("frmSendMessage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Send Message"));
    setFont(controlFont());
    buildControls();
    load();
}

void frmSendMessage::buildControls()
{
    QFont fixedsys(QStringLiteral("Fixedsys"));
    fixedsys.setStyleHint(QFont::TypeWriter);
    for (int k = 0; k < kRows; ++k) {
        auto *b = new QPushButton(QString::number(k + 1), this);
        b->setObjectName(QStringLiteral("cmdBtnNum_%1").arg(k));
        const int left = k == 9 ? 120 : 120 + (k % 3) * 1080;
        const int top = k == 9 ? 1560 : 120 + (k / 3) * 480;
        b->setGeometry(pxRect(left, top, 975, 375));
        b->setFont(fixedsys);
        setBackground(b, QColor(255, 255, 192));
        connect(b, &QPushButton::clicked, this, [this, k] { cmdBtnNum_Click(k); });
        cmdBtnNum[k] = b;
    }
    cmdAssign = new QPushButton(QStringLiteral("Show Assign (F2)"), this);
    cmdAssign->setObjectName(QStringLiteral("cmdAssign"));
    cmdAssign->setGeometry(pxRect(1200, 1560, 2055, 375));
    connect(cmdAssign, &QPushButton::clicked, this, &frmSendMessage::cmdAssign_Click);
    cmdClose = new QPushButton(QStringLiteral("&Close (ESC)"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(pxRect(120, 2160, 3135, 375));
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    fraCaption = new QGroupBox(QStringLiteral("Description"), this);
    fraCaption->setObjectName(QStringLiteral("fraCaption"));
    fraCaption->setGeometry(pxRect(3360, 120, 5175, 2415));
    lblDescTitle = new QLabel(fraCaption);
    lblDescTitle->setObjectName(QStringLiteral("lblDescTitle"));
    lblDescTitle->setGeometry(pxRect(120, 300, 4935, 255));
    txtDesc = new QPlainTextEdit(fraCaption);
    txtDesc->setObjectName(QStringLiteral("txtDesc"));
    txtDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDesc->setGeometry(pxRect(120, 600, 4935, 1215));
    cmdSave = new QPushButton(QStringLiteral("&Save Text"), fraCaption);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setGeometry(pxRect(3720, 1920, 1335, 375));
    connect(cmdSave, &QPushButton::clicked, this, &frmSendMessage::cmdSave_Click);

    fraAssign = new QGroupBox(QStringLiteral("Assign String"), this);
    fraAssign->setObjectName(QStringLiteral("fraAssign"));
    fraAssign->setGeometry(pxRect(120, 2760, 8415, 4575));
    for (int k = 0; k < kRows; ++k) {
        const int top = 270 + k * 360;
        m_rows[k] = new StringRow(k, StringRow::Label, fraAssign);
        lblString[k] = m_rows[k]->label;
        lblString[k]->setGeometry(pxRect(120, top + 30, 1005, 255));
        txtString[k] = m_rows[k]->text;
        txtString[k]->setGeometry(pxRect(1140, top, 6000, 330));
        cmdMode[k] = m_rows[k]->mode;
        cmdMode[k]->setGeometry(pxRect(7200, top, 1095, 330));
    }
    Label1 = new QLabel(QStringLiteral("Ascii Option"), fraAssign);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(pxRect(120, 3960, 1095, 255));
    chkCRLF = new QCheckBox(QStringLiteral("Send line ends with"), fraAssign);
    chkCRLF->setObjectName(QStringLiteral("chkCRLF"));
    chkCRLF->setGeometry(pxRect(1260, 3930, 2175, 315));
    cmdCRLF = new QPushButton(QStringLiteral("CRLF"), fraAssign);
    cmdCRLF->setObjectName(QStringLiteral("cmdCRLF"));
    cmdCRLF->setGeometry(pxRect(3450, 3900, 735, 360));
    connect(cmdCRLF, &QPushButton::clicked, this, &frmSendMessage::cmdCRLF_Click);
    chkSTX = new QCheckBox(QStringLiteral("Add a STX, ETX"), fraAssign);
    chkSTX->setObjectName(QStringLiteral("chkSTX"));
    chkSTX->setGeometry(pxRect(4440, 3930, 1815, 315));
    cmdApply = new QPushButton(QStringLiteral("A&pply"), fraAssign);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    QFont bold = cmdApply->font();
    bold.setBold(true);
    cmdApply->setFont(bold);
    cmdApply->setGeometry(pxRect(6960, 3840, 1335, 495));
    connect(cmdApply, &QPushButton::clicked, this, &frmSendMessage::cmdApply_Click);

    Frame1 = new QGroupBox(QStringLiteral("Checksum"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(pxRect(120, 7440, 8415, 975));
    Label3 = new QLabel(QStringLiteral("XOR:"), Frame1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(pxRect(120, 420, 495, 255));
    txtChecksum = new QLineEdit(Frame1);
    txtChecksum->setObjectName(QStringLiteral("txtChecksum"));
    txtChecksum->setGeometry(pxRect(630, 360, 615, 330));
    setBackground(txtChecksum, QColor(255, 192, 255));
    Label2 =
        new QLabel(QStringLiteral("체크섬 계산을 원하는 Hex 영역을 드래그하면 자동 계산됩니다."), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(koreanFont());
    Label2->setGeometry(pxRect(1440, 240, 6855, 285));
    chkAutoPaste = new QCheckBox(QStringLiteral("드래그 영역 마지막에 자동으로 붙여넣기"), Frame1);
    chkAutoPaste->setObjectName(QStringLiteral("chkAutoPaste"));
    chkAutoPaste->setFont(koreanFont());
    chkAutoPaste->setGeometry(pxRect(1440, 570, 6855, 315));

    QList<QWidget *> order;
    for (auto *b : cmdBtnNum)
        order << b;
    order << cmdAssign << cmdClose;
    for (auto *t : txtString)
        order << t;
    for (auto *m : cmdMode)
        order << m;
    order << chkCRLF << cmdCRLF << chkSTX << cmdApply << txtDesc << cmdSave << txtChecksum << chkAutoPaste;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The form sees key presses before its controls; the message and description boxes report
    // focus and mouse, the row labels the mouse passing over them.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    installEventFilter(this);
    for (auto *label : lblString)
        label->setMouseTracking(true);
}

void frmSendMessage::load()
{
    setFixedSize(collapsedSize());
    for (int k = 0; k < kRows; ++k) {
        const MesgRecord &m = m_data.MesgList[k];
        txtString[k]->setText(m.strMesg);
        if (!m.strMesg.isEmpty())
            cmdBtnNum[k]->setToolTip(m.strMesg);
        cmdBtnNum[k]->setEnabled(!m.strMesg.isEmpty());
        m_rows[k]->mode->setFormat(sendFormatOf(m.iMode));
    }
    chkCRLF->setChecked(m_data.bMesgCRLF);
    chkSTX->setChecked(m_data.bMesgSTX);
    lblDescTitle->setText(QStringLiteral("No select"));
    m_descRow = -1;
    txtDesc->setPlainText(QStringLiteral("Enter a description here."));
    cmdSave->setEnabled(false);
    m_lineEnd = LineEnd::CRLF;
    cmdCRLF->setText(lineEndCaption(m_lineEnd));
    m_assignShown = false;
    cmdAssign->setText(QStringLiteral("Show Assign (F2)"));

    QWidget *first = cmdBtnNum[0];
    while (first && !first->isEnabled())
        first = first->nextInFocusChain();
    if (first)
        first->setFocus();
}

void frmSendMessage::cmdBtnNum_Click(int k)
{
    const MesgRecord &m = m_data.MesgList[k];
    m_sender.SendStored(m.strMesg, m.iMode, m_data.bMesgCRLF, m_data.bMesgSTX, lineEndChars(m_lineEnd));
    ShowDescription(k);
}

void frmSendMessage::cmdCRLF_Click()
{
    m_lineEnd = m_lineEnd == LineEnd::CRLF ? LineEnd::CR
                : m_lineEnd == LineEnd::CR ? LineEnd::LF
                                           : LineEnd::CRLF;
    cmdCRLF->setText(lineEndCaption(m_lineEnd));
}

void frmSendMessage::cmdApply_Click()
{
    const QString file = listFilePath();
    bool written = true;
    for (int k = 0; k < kRows; ++k) {
        MesgRecord &m = m_data.MesgList[k];
        m.strMesg = txtString[k]->text();
        m.iMode = m_rows[k]->storedMode();
        if (m.strMesg.isEmpty()) {
            cmdBtnNum[k]->setEnabled(false);
        } else {
            cmdBtnNum[k]->setToolTip(m.strDesc);
            cmdBtnNum[k]->setEnabled(true);
        }
        written &= WriteIni(QString(K::MesgString), K::rowKey(k + 1), m.strMesg, file);
        written &= WriteIni(QString(K::MesgMode), K::rowKey(k + 1), QString::number(m.iMode), file);
    }
    m_data.bMesgSTX = chkSTX->isChecked();
    m_data.bMesgCRLF = chkCRLF->isChecked();
    written &= WriteIni(QString(K::MesgString), QString(K::STX), stxText(m_data.bMesgSTX), file);
    written &= WriteIni(QString(K::MesgString), QString(K::CRLF), crlfText(m_data.bMesgCRLF), file);
    if (!written)
        showMessage(this, QStringLiteral("메시지를 목록 파일에 저장하지 못했습니다.\n%1").arg(file),
                    QMessageBox::Warning, appTitle());
}

void frmSendMessage::ShowDescription(int k)
{
    txtDesc->setPlainText(m_data.MesgList[k].strDesc);
    lblDescTitle->setText(QStringLiteral("String%1").arg(k + 1));
    m_descRow = k;
    cmdSave->setEnabled(true);
}

void frmSendMessage::cmdSave_Click()
{
    const int n = m_descRow;
    if (n < 0 || n >= kRows)
        return;
    const QString file = listFilePath();
    if (saveMessageDescription(m_data, n, txtDesc->toPlainText().trimmed(), file))
        showMessage(this, QStringLiteral("Save Complete!"), QMessageBox::Information, appTitle());
    else
        showMessage(this, QStringLiteral("설명을 목록 파일에 저장하지 못했습니다.\n%1").arg(file),
                    QMessageBox::Warning, appTitle());
}

void frmSendMessage::cmdAssign_Click()
{
    m_assignShown = !m_assignShown;
    if (m_assignShown) {
        setFixedSize(expandedSize());
        fraAssign->setVisible(true);
        cmdAssign->setText(QStringLiteral("Hide A&ssign (F2)"));
    } else {
        setFixedSize(collapsedSize());
        fraAssign->setVisible(false);
        cmdAssign->setText(QStringLiteral("Show A&ssign (F2)"));
    }
}

void frmSendMessage::txtString_MouseUp(int k)
{
    bMouseDown = false;
    QLineEdit *box = txtString[k];
    if (m_rows[k]->mode->format() != SendFormat::Hexa || box->selectionLength() < 1)
        return;
    const int end = box->selectionStart() + box->selectionLength();
    const QString text = box->text();
    const QString head = text.left(end);
    const QString tail = text.mid(end);
    txtChecksum->setText(
        QStringLiteral("%1").arg(xorOfHexBytes(box->selectedText()), 2, 16, QLatin1Char('0')).toUpper());
    if (chkAutoPaste->isChecked()) {
        box->setFocus();
        box->setText(head + txtChecksum->text() + tail);
        box->setSelection(end, 2);
    }
}

bool frmSendMessage::formKeyDown(int key)
{
    if (key == Qt::Key_F2) {
        cmdAssign_Click();
        return true;
    }
    if (key == Qt::Key_Escape) {
        cmdClose->click();
        return true;
    }
    if (!bTextFocus && key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int k = key == Qt::Key_0 ? 9 : key - Qt::Key_1;
        if (cmdBtnNum[k]->isEnabled())
            cmdBtnNum_Click(k);
    }
    return false;
}

int frmSendMessage::rowOf(QObject *watched) const
{
    for (const StringRow *row : m_rows) {
        if (watched == row->text || watched == row->label)
            return row->index();
    }
    return -1;
}

bool frmSendMessage::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // A key a control ignores travels on to its parents as the same event; the form looks at
        // it once only, where it first arrives.
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        const bool propagated = event == m_lastKey.event && key->timestamp() == m_lastKey.timestamp &&
                                widget && m_lastKey.receiver && widget->isAncestorOf(m_lastKey.receiver);
        if (propagated)
            return false;
        m_lastKey = {event, key->timestamp(), widget};
        return formKeyDown(key->key());
    }
    case QEvent::ShortcutOverride:
        // F2 and Esc belong to the form even where a control would take them as a shortcut.
        if (const int key = static_cast<QKeyEvent *>(event)->key();
            key == Qt::Key_F2 || key == Qt::Key_Escape)
            event->accept();
        return false;
    default:
        break;
    }
    const int k = rowOf(watched);
    const bool messageBox = k >= 0 && watched == txtString[k];
    if (messageBox || watched == txtDesc) {
        if (event->type() == QEvent::FocusIn) {
            bTextFocus = true;
            if (messageBox) {
                ShowDescription(k);
                // By keyboard the whole text is selected; a click leaves the caret where it fell.
                if (!bMouseDown && static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason)
                    txtString[k]->selectAll();
            }
        } else if (event->type() == QEvent::FocusOut) {
            bTextFocus = false;
        }
    }
    if (messageBox && event->type() == QEvent::MouseButtonPress)
        bMouseDown = true;
    if (messageBox && event->type() == QEvent::MouseButtonRelease)
        txtString_MouseUp(k);
    if (k >= 0 && watched == lblString[k] && event->type() == QEvent::Enter)
        ShowDescription(k);
    return QWidget::eventFilter(watched, event);
}

} // namespace kivo
