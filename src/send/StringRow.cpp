#include "send/StringRow.h"

#include "core/Fonts.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace kivo {

namespace {
const QColor kAsciiColour(192, 255, 255);
const QColor kHexaColour(192, 192, 255);
} // namespace

ModeButton::ModeButton(QWidget *parent) : QPushButton(parent)
{
    setAutoFillBackground(true);
    setFormat(SendFormat::Ascii);
    connect(this, &QPushButton::clicked, this,
            [this] { setFormat(m_format == SendFormat::Ascii ? SendFormat::Hexa : SendFormat::Ascii); });
}

void ModeButton::setFormat(SendFormat format)
{
    m_format = format;
    const bool ascii = format == SendFormat::Ascii;
    setText(ascii ? QStringLiteral("ASCII") : QStringLiteral("Hexa"));
    QPalette p = palette();
    p.setColor(QPalette::Button, ascii ? kAsciiColour : kHexaColour);
    p.setColor(QPalette::Base, ascii ? kAsciiColour : kHexaColour);
    setPalette(p);
}

StringRow::StringRow(int index, int parts, QWidget *parent) : QObject(parent), m_index(index)
{
    const QString n = QString::number(index);
    if (parts & Tick) {
        tick = new QCheckBox(QString::number(index + 1) + u':', parent);
        tick->setObjectName(QStringLiteral("chkList_") + n);
    }
    if (parts & Caption) {
        caption = new QLineEdit(parent);
        caption->setObjectName(QStringLiteral("txtKeyCaption_") + n);
        caption->setMaxLength(kTextBoxLimit);
    }
    if (parts & Label) {
        label = new QLabel(QStringLiteral("String%1:").arg(index + 1), parent);
        label->setObjectName(QStringLiteral("lblString_") + n);
    }
    text = new QLineEdit(parent);
    text->setObjectName(QStringLiteral("txtString_") + n);
    text->setFont(courierFont());
    text->setMaxLength(kTextBoxLimit);
    mode = new ModeButton(parent);
    mode->setObjectName(QStringLiteral("cmdMode_") + n);
    if (tick)
        connect(tick, &QCheckBox::toggled, text, &QWidget::setEnabled);
}

void StringRow::show(const QString &string, int16_t storedMode, bool ticked)
{
    text->setText(string);
    mode->setFormat(sendFormatOf(storedMode));
    if (tick) {
        tick->setChecked(ticked);
        // Setting an unchanged tick raises no toggle; the box must follow the tick either way.
        text->setEnabled(tick->isChecked());
    }
}

int16_t StringRow::storedEnabled() const
{
    return tick && tick->isChecked() ? 1 : 0;
}

} // namespace kivo
