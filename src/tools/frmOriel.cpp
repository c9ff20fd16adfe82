#include "tools/frmOriel.h"

#include "core/Conversions.h"
#include "core/Fonts.h"
#include "core/MessageBox.h"
#include "core/Twips.h"
#include "send/Sender.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionButton>

using namespace kivo;

namespace {

// A push button whose caption wraps onto more lines when it is wider than the button, as the long
// Korean captions need.
class WrapButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        opt.text.clear();
        style()->drawControl(QStyle::CE_PushButton, &opt, &p, this);
        const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

QString plainNumber(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

frmOriel::frmOriel(HexSendFn send) : QWidget(nullptr, Qt::Window), m_send(std::move(send))
{
    installFontSubstitutions();
    setObjectName(QStringLiteral("frmOriel"));
    setWindowTitle(QStringLiteral("Oriel 테스트"));
    setFont(controlFont());
    setWindowFlag(Qt::WindowStaysOnTopHint);

    Command1 = addButton("Command1", QStringLiteral("총전송생산"), 240, 480);
    Command2 = addButton("Command2", QStringLiteral("총전송변경"), 2400, 480);
    Command3 = addButton("Command3", QStringLiteral("미전송생산"), 240, 1200);
    Command4 = addButton("Command4", QStringLiteral("미전송변경"), 2400, 1200);
    Command5 = addButton("Command5", QStringLiteral("HEAD"), 240, 1920);
    Command6 = addButton("Command6", QStringLiteral("TAIL"), 2400, 1920);
    Label1 = addLabel("Label1", 2400, 2640);
    Command7 = addButton("Command7", QStringLiteral("생산 등록/매가 변경 자료 확인"), 240, 2880);
    Text1 = addNumberBox("Text1", 2400, 2880);
    Label2 = addLabel("Label2", 2400, 3480);
    Command8 = addButton("Command8", QStringLiteral("생산 등록/매가 변경 전송 완료"), 240, 3720);
    Text2 = addNumberBox("Text2", 2400, 3720);
    Label3 = addLabel("Label3", 2400, 4320);
    Command11 = addButton("Command11", QStringLiteral("PLU 데이터 확인"), 240, 4560);
    Text3 = addNumberBox("Text3", 2400, 4560);
    Command9 = addButton("Command9", QStringLiteral("생산 등록/매가 변경 업로드 대기자료"), 240, 5280);
    Command10 = addButton("Command10", QStringLiteral("저울 버전"), 240, 6000);

    sendRead(Command1, 4, 0x00010040);
    sendRead(Command2, 4, 0x00010044);
    sendRead(Command3, 4, 0x00010048);
    sendRead(Command4, 4, 0x0001004C);
    sendRead(Command5, 2, 0x00010050);
    sendRead(Command6, 2, 0x00010052);
    connect(Command7, &QPushButton::clicked, this, &frmOriel::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &frmOriel::Command8_Click);
    connect(Command11, &QPushButton::clicked, this, &frmOriel::Command11_Click);
    connect(Command9, &QPushButton::clicked, this, [this] { m_send(uploadWaitingFrame(), kHexaFormat); });
    connect(Command10, &QPushButton::clicked, this, [this] { m_send(versionFrame(), kHexaFormat); });
    // The acknowledgment number follows the record number last read or typed.
    connect(Text1, &QLineEdit::textChanged, Text2, &QLineEdit::setText);

    // Design client area 4575 x 6630 twips.
    resize(px(4575), px(6630));
    move(500, 200);
}

frmOriel *frmOriel::open(Sender &sender, QObject &owner)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        // A form that was closed waits hidden for its deletion; it is not reopened.
        if (auto *form = qobject_cast<frmOriel *>(w); form && form->isVisible()) {
            form->show();
            form->raise();
            form->activateWindow();
            return form;
        }
    }
    auto *form = new frmOriel([target = QPointer<Sender>(&sender)](const QString &text, int16_t format) {
        if (target)
            target->SendData(text, format);
    });
    form->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(&owner, &QObject::destroyed, form, [form] { delete form; });
    form->show();
    return form;
}

QPushButton *frmOriel::addButton(const char *name, const QString &caption, int left, int top)
{
    auto *b = new WrapButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(pxRect(left, top, 1935, 495));
    return b;
}

QLineEdit *frmOriel::addNumberBox(const char *name, int left, int top)
{
    auto *box = new QLineEdit(QStringLiteral("1"), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(pxRect(left, top, 1695, 495));
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(18);
    f.setBold(true);
    box->setFont(f);
    return box;
}

QLabel *frmOriel::addLabel(const char *name, int left, int top)
{
    auto *label = new QLabel(QStringLiteral("Serial No."), this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(pxRect(left, top, 1695, 255));
    label->setStyleSheet(QStringLiteral("color: rgb(255,255,0); background-color: rgb(39,39,39);"));
    return label;
}

void frmOriel::sendRead(QPushButton *button, qint64 count, qint64 address)
{
    connect(button, &QPushButton::clicked, this,
            [this, count, address] { SendReadX(count, address, m_send); });
}

void frmOriel::readRecord(QLineEdit *box, char letter, qint64 tableStart, qint64 recordSize)
{
    const auto address = recordAddress(leadingNumber(box->text()), tableStart, recordSize);
    if (!address) {
        refuse(box);
        return;
    }
    if (letter == 'F')
        SendReadF(recordSize, *address, m_send);
    else
        SendReadX(recordSize, *address, m_send);
    // Read again: the send may have let the user change the box meanwhile.
    box->setText(plainNumber(leadingNumber(box->text()) + 1));
}

void frmOriel::Command7_Click()
{
    readRecord(Text1, 'X', kRecordTable, kRecordSize);
}

void frmOriel::Command11_Click()
{
    readRecord(Text3, 'F', kPluTable, kPluSize);
}

void frmOriel::Command8_Click()
{
    const auto serial = fieldValue(leadingNumber(Text2->text()), 2);
    const auto frame = serial ? transferCompleteFrame(*serial) : std::nullopt;
    if (!frame) {
        refuse(Text2);
        return;
    }
    m_send(*frame, kHexaFormat);
}

// A number that does not fit its field would go out wrapped or cut and read a wrong record, so
// nothing is sent and the user is told which box to correct.
void frmOriel::refuse(const QLineEdit *box)
{
    showMessage(this,
                QStringLiteral("%1(Serial No.)의 값 \"%2\"은(는) 보낼 수 있는 범위를 벗어났습니다.")
                    .arg(box->objectName(), box->text()),
                QMessageBox::Warning, appTitle());
}
