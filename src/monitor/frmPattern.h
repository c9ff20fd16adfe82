#pragma once

#include "protocol/FrameReader.h"

#include <QByteArray>
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace kivo {

// "Pattern Layout": the user's own monitoring layout, a frame end and a regular expression with
// named groups. Every change is tried at once on the bytes received last, showing what each frame
// would read; OK refuses a layout that cannot read frames and says why. Opened modally with exec().
class frmPattern : public QDialog
{
    Q_OBJECT
public:
    frmPattern(const PatternLayout &pattern, const QByteArray &recentBytes, QWidget *parent = nullptr);

    // The layout as the fields stand (valid or not).
    [[nodiscard]] PatternLayout pattern() const;

    // How many recent frames the trial shows, newest last.
    static constexpr int kTrialFrames = 12;

    QComboBox *cboPatternEnd = nullptr;
    QSpinBox *spnPatternLength = nullptr;
    QLineEdit *txtPattern = nullptr;
    QLineEdit *txtStableValues = nullptr;
    QLineEdit *txtOverloadValues = nullptr;
    QLineEdit *txtPollRequest = nullptr;
    QLabel *lblPatternProblem = nullptr;
    QPlainTextEdit *txtPatternTest = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    // The reason the fields cannot be stored, or empty.
    [[nodiscard]] QString problem() const;
    void tryPattern();
    void cmdOK_Click();

    QByteArray m_recent;
};

// What a trial shows for the frames a layout finds in some bytes: one line per frame, the newest
// `limit` of them, each the reading (or "no match") and the frame's text with its control bytes
// escaped.
[[nodiscard]] QStringList patternTrial(const PatternLayout &pattern, const QByteArray &bytes, int limit);

} // namespace kivo
