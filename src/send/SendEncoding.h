#pragma once

#include "core/HexCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>

// The two send notations and the rules of the send box, free of widgets: ASCII text stands for its
// code-page bytes, Hexa text for pairs of hex digits with blanks as separators.
namespace kivo {

// Send framing of a stored string: an ASCII string (mode 1) gets the line end when lineEnd is on,
// then STX before and ETX after when stx is on; any other mode is left unchanged.
[[nodiscard]] QString frameStoredString(const QString &text, int16_t mode, bool lineEnd, bool stx,
                                        QStringView lineEndChars = u"\r\n");

// One change of the send box's text, worked out without the box. Units are characters in ASCII
// and digit pairs in Hexa (any format other than 1).
struct SendBoxChange
{
    int sentUnits = 0;     // the new value of the Byte Data counter
    QString unitToSend;    // the unit Byte Data form sends now; empty when nothing is sent
    QString lengthCaption; // "Length 5", "Length 2.5"; empty when the label is hidden
};

// The caption of the length label for a box holding `characters` characters ("" for none).
[[nodiscard]] QString sendLengthCaption(int characters, int16_t format);

// Applies the send box rules to its new text (already free of blanks in Hexa). In Byte Data form the
// unit sent is the last whole unit, and only when the text holds more whole units than were sent;
// in Hexa an odd last digit is not a unit yet, so a paste of 414 sends 41 and counts one unit.
// A deletion never sends: when it leaves one character, that character counts as already sent.
[[nodiscard]] SendBoxChange sendBoxChanged(const QString &text, int16_t format, bool byteForm, int sentUnits,
                                           bool deletion = false);

// Whether `after` is `before` with one run of characters taken out (and nothing put in).
[[nodiscard]] bool isDeletion(QStringView before, QStringView after);

// Whether the Send button may send the box's text: not empty, and no lone hex digit in Hexa.
[[nodiscard]] bool sendBoxSendable(const QString &text, int16_t format);

} // namespace kivo
