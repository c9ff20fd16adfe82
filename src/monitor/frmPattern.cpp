#include "monitor/frmPattern.h"

#include "core/Fonts.h"
#include "core/MessageBox.h"
#include "monitor/MonitorOptions.h"
#include "protocol/PatternReader.h"
#include "protocol/RequestText.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kivo {

namespace {

// The frame ends in the order the box lists them; the last entry is a fixed length.
constexpr PatternLayout::End kEnds[] = {PatternLayout::End::CR, PatternLayout::End::LF,
                                        PatternLayout::End::CRLF, PatternLayout::End::ETX,
                                        PatternLayout::End::Length};

QLineEdit *lineEdit(const QString &name, const QString &text, QWidget *parent)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

QString readingText(const ProtocolFrame &f)
{
    if (!f.valid)
        return QStringLiteral("no match");
    QString text = f.weightText;
    if (!f.unit.isEmpty())
        text += u' ' + f.unit;
    if (!f.weight)
        text += QStringLiteral(" (not a number)");
    if (f.stable)
        text += QStringLiteral(", stable");
    if (f.overload)
        text += QStringLiteral(", overload");
    return text;
}

} // namespace

QStringList patternTrial(const PatternLayout &pattern, const QByteArray &bytes, int limit)
{
    if (!pattern.problem().isEmpty())
        return {};
    PatternReader reader(pattern);
    QStringList lines;
    reader.feed(bytes, [&](const ProtocolFrame &f) {
        lines << QStringLiteral("%1  <-  %2").arg(readingText(f), requestText(reader.lastFrame()));
        if (lines.size() > limit)
            lines.removeFirst();
    });
    return lines;
}

frmPattern::frmPattern(const PatternLayout &pattern, const QByteArray &recentBytes, QWidget *parent)
    : QDialog(parent), m_recent(recentBytes)
{
    setObjectName(QStringLiteral("frmPattern"));
    setWindowTitle(QStringLiteral("Pattern Layout"));
    setFont(controlFont());
    resize(520, 420);

    cboPatternEnd = new QComboBox(this);
    cboPatternEnd->setObjectName(QStringLiteral("cboPatternEnd"));
    cboPatternEnd->addItems({QStringLiteral("CR"), QStringLiteral("LF"), QStringLiteral("CR LF"),
                             QStringLiteral("ETX"), QStringLiteral("Fixed length")});
    spnPatternLength = new QSpinBox(this);
    spnPatternLength->setObjectName(QStringLiteral("spnPatternLength"));
    spnPatternLength->setRange(1, PatternReader::kLongestFrame);
    spnPatternLength->setSuffix(QStringLiteral(" bytes"));
    spnPatternLength->setValue(pattern.length > 0 ? pattern.length : 22);
    cboPatternEnd->setCurrentIndex(
        int(std::find(std::begin(kEnds), std::end(kEnds), pattern.end) - std::begin(kEnds)));

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    txtPattern = lineEdit(QStringLiteral("txtPattern"), pattern.expression, this);
    txtPattern->setFont(fixed);
    txtPattern->setPlaceholderText(
        QStringLiteral("(?<stable>ST|US),GS,\\s*(?<weight>[-+]?[\\d.]+)\\s*(?<unit>\\w+)"));
    txtStableValues = lineEdit(QStringLiteral("txtStableValues"), valuesText(pattern.stableTrue), this);
    txtStableValues->setPlaceholderText(QStringLiteral("any text the group matched"));
    txtOverloadValues = lineEdit(QStringLiteral("txtOverloadValues"), valuesText(pattern.overloadTrue), this);
    txtOverloadValues->setPlaceholderText(QStringLiteral("any text the group matched"));
    txtPollRequest = lineEdit(QStringLiteral("txtPollRequest"), requestText(pattern.request), this);
    txtPollRequest->setFont(fixed);
    txtPollRequest->setPlaceholderText(QStringLiteral("none: the indicator streams (e.g. W\\r\\n)"));

    lblPatternProblem = new QLabel(this);
    lblPatternProblem->setObjectName(QStringLiteral("lblPatternProblem"));
    lblPatternProblem->setWordWrap(true);
    lblPatternProblem->setStyleSheet(QStringLiteral("color: rgb(192,0,0);"));

    txtPatternTest = new QPlainTextEdit(this);
    txtPatternTest->setObjectName(QStringLiteral("txtPatternTest"));
    txtPatternTest->setReadOnly(true);
    txtPatternTest->setFont(fixed);
    txtPatternTest->setLineWrapMode(QPlainTextEdit::NoWrap);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *endRow = new QHBoxLayout;
    endRow->addWidget(cboPatternEnd);
    endRow->addWidget(spnPatternLength);
    endRow->addStretch();
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Frame end:"), endRow);
    form->addRow(QStringLiteral("Expression:"), txtPattern);
    form->addRow(QStringLiteral("Stable when:"), txtStableValues);
    form->addRow(QStringLiteral("Overload when:"), txtOverloadValues);
    form->addRow(QStringLiteral("Poll request:"), txtPollRequest);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(new QLabel(QStringLiteral("Groups: (?<weight>...) required; (?<unit>...), (?<stable>...), "
                                             "(?<overload>...) optional. Values are separated by commas."),
                              this));
    top->addWidget(lblPatternProblem);
    top->addWidget(new QLabel(QStringLiteral("The last frames received would read:"), this));
    top->addWidget(txtPatternTest, 1);
    top->addLayout(buttons);

    for (QLineEdit *e : {txtPattern, txtStableValues, txtOverloadValues, txtPollRequest})
        connect(e, &QLineEdit::textChanged, this, &frmPattern::tryPattern);
    connect(cboPatternEnd, &QComboBox::currentIndexChanged, this, &frmPattern::tryPattern);
    connect(spnPatternLength, &QSpinBox::valueChanged, this, &frmPattern::tryPattern);
    connect(cmdOK, &QPushButton::clicked, this, &frmPattern::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    tryPattern();
}

PatternLayout frmPattern::pattern() const
{
    PatternLayout p;
    const int end = cboPatternEnd->currentIndex();
    p.end = end >= 0 ? kEnds[end] : PatternLayout::End::CRLF;
    p.length = p.end == PatternLayout::End::Length ? spnPatternLength->value() : 0;
    p.expression = txtPattern->text();
    p.stableTrue = valuesOf(txtStableValues->text());
    p.overloadTrue = valuesOf(txtOverloadValues->text());
    p.request = requestBytes(txtPollRequest->text()).value_or(QByteArray());
    return p;
}

QString frmPattern::problem() const
{
    QString requestError;
    if (!requestBytes(txtPollRequest->text(), &requestError))
        return QStringLiteral("Poll request: ") + requestError;
    return pattern().problem();
}

void frmPattern::tryPattern()
{
    spnPatternLength->setEnabled(cboPatternEnd->currentIndex() == int(std::size(kEnds)) - 1);
    const QString why = problem();
    lblPatternProblem->setText(why);
    if (!why.isEmpty()) {
        txtPatternTest->setPlainText(QString());
        return;
    }
    const QStringList lines = patternTrial(pattern(), m_recent, kTrialFrames);
    txtPatternTest->setPlainText(
        lines.isEmpty() ? QStringLiteral("(no frame in the %1 bytes received last)").arg(m_recent.size())
                        : lines.join(u'\n'));
}

void frmPattern::cmdOK_Click()
{
    const QString why = problem();
    if (!why.isEmpty()) {
        showMessage(this, why, QMessageBox::Warning, windowTitle());
        return;
    }
    accept();
}

} // namespace kivo
