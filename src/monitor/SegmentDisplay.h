#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QLabel>
#include <QPixmap>

#include <tuple>

class QPainter;

namespace kivo {

// The weight read-out: a label whose text is drawn as a seven-segment display. Every character
// takes one digit cell, right-aligned, so blanks inside a weight keep their places as on the
// indicator; a point or colon sits in the lower right of the cell before it. Characters the
// seven-segment face lacks ("+", letters such as W or M) come from the matching fourteen-segment
// face, and anything else from a fixed-pitch face, so every character an indicator sends shows.
// Behind the text the unlit segments of the cells show faintly. The text colour is the
// palette's WindowText. The background is transparent, or, once a backdrop is set, that picture:
// the display then paints every pixel itself, so a new weight repaints nothing behind it.
class SegmentDisplay : public QLabel
{
    Q_OBJECT
public:
    explicit SegmentDisplay(const QString &text, QWidget *parent = nullptr);

    // Number of digit cells the display is sized for; longer texts shrink to fit.
    static constexpr int kCells = 8;

    // Colour of the unlit segments drawn behind the text.
    void setGhostColor(const QColor &color);
    // The picture under the display (its size, opaque): what a transparent display would show
    // through. A null picture makes the display transparent again.
    void setBackdrop(const QPixmap &backdrop);

    // The face a character is drawn with (exposed so tests can check the choice).
    [[nodiscard]] QFont faceFor(QChar ch) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class Face : quint8 { Seg7, Seg14, Fixed };

    void fitFonts(int cells);
    void drawChar(QPainter &p, Face face, QChar ch, const QPointF &baselineAt);
    [[nodiscard]] Face faceOf(QChar ch) const;
    [[nodiscard]] const QFont &font(Face face) const;
    // The backdrop with the unlit cells over it, drawn once per size, cell count, colour and
    // backdrop: a weight streaming in at fifty frames a second repaints only its digits.
    [[nodiscard]] const QPixmap &ghostLayer(int cellCount, qreal left, qreal baseline);

    QFont m_seg7;
    QFont m_seg14;
    QFont m_fixed;
    QColor m_ghostColor{25, 25, 25};
    int m_fittedCells = 0;
    qreal m_cellWidth = 0;
    // Looked up once per character: which face has it, and its advance at the fitted size.
    mutable QHash<char16_t, Face> m_faceOf;
    QHash<char16_t, qreal> m_advance;
    QHash<quint32, QGlyphRun> m_glyphs; // by face and character, at the fitted size
    QPixmap m_backdrop;
    QPixmap m_ghost;
    // What the ghost layer was drawn for: size, cells, colour, pixel ratio, backdrop.
    std::tuple<QSize, int, QRgb, qreal, qint64> m_ghostKey;
};

} // namespace kivo
