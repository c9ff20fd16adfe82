#include "monitor/SegmentDisplay.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <vector>

namespace kivo {

namespace {

// The faces come from fonts-dseg; their digits all advance by the same width.
const QString kSeg7Family = QStringLiteral("DSEG7 Classic");
const QString kSeg14Family = QStringLiteral("DSEG14 Classic");
const QString kFixedFamily = QStringLiteral("DejaVu Sans Mono");

// Digit cells of the idle display "8888888"; the face is sized so that many fit.
constexpr int kIdleCells = 7;

struct Cell
{
    QChar ch;   // blank for a cell holding only a mark
    QChar mark; // '.' or ':' drawn in the cell's lower right, or null
};

bool isMark(QChar ch)
{
    return ch == QLatin1Char('.') || ch == QLatin1Char(':');
}

std::vector<Cell> cellsOf(const QString &text)
{
    std::vector<Cell> cells;
    cells.reserve(text.size());
    for (const QChar ch : text) {
        if (isMark(ch) && !cells.empty() && cells.back().mark.isNull())
            cells.back().mark = ch;
        else if (isMark(ch))
            cells.push_back({QLatin1Char(' '), ch});
        else
            cells.push_back({ch, QChar()});
    }
    return cells;
}

bool faceHas(const QFont &font, QChar ch)
{
    return QRawFont::fromFont(font).supportsCharacter(ch);
}

QFont segmentFace(const QString &family)
{
    QFont font(family);
    font.setItalic(true);
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace

SegmentDisplay::SegmentDisplay(const QString &text, QWidget *parent)
    : QLabel(text, parent), m_seg7(segmentFace(kSeg7Family)), m_seg14(segmentFace(kSeg14Family)),
      m_fixed(kFixedFamily)
{
    m_fixed.setStyleHint(QFont::Monospace);
    m_fixed.setBold(true);
    m_fixed.setItalic(true);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void SegmentDisplay::setGhostColor(const QColor &color)
{
    m_ghostColor = color;
    update();
}

void SegmentDisplay::setBackdrop(const QPixmap &backdrop)
{
    // Taken as opaque: a backdrop with an alpha channel would leave the pixels behind it unpainted.
    m_backdrop = backdrop.isNull()
                     ? QPixmap()
                     : QPixmap::fromImage(backdrop.toImage().convertToFormat(QImage::Format_RGB32));
    const bool opaque = !m_backdrop.isNull();
    setAttribute(Qt::WA_TranslucentBackground, !opaque);
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    update();
}

SegmentDisplay::Face SegmentDisplay::faceOf(QChar ch) const
{
    const auto it = m_faceOf.constFind(ch.unicode());
    if (it != m_faceOf.constEnd())
        return *it;
    const Face face = faceHas(m_seg7, ch) ? Face::Seg7 : faceHas(m_seg14, ch) ? Face::Seg14 : Face::Fixed;
    m_faceOf.insert(ch.unicode(), face);
    return face;
}

const QFont &SegmentDisplay::font(Face face) const
{
    switch (face) {
    case Face::Seg7:
        return m_seg7;
    case Face::Seg14:
        return m_seg14;
    case Face::Fixed:
        break;
    }
    return m_fixed;
}

QFont SegmentDisplay::faceFor(QChar ch) const
{
    return font(faceOf(ch));
}

void SegmentDisplay::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    m_fittedCells = 0;
}

// Sizes the faces so that the given number of cells fills the width, capped by the height.
void SegmentDisplay::fitFonts(int cells)
{
    if (cells == m_fittedCells)
        return;
    m_fittedCells = cells;
    m_advance.clear();
    m_glyphs.clear();
    QFont probe = m_seg7;
    probe.setPixelSize(100);
    const qreal advancePerPixel = QFontMetricsF(probe).horizontalAdvance(QLatin1Char('8')) / 100.0;
    // The slant pushes the top of the first cell to the right of its advance; keep a little room.
    const qreal usableWidth = width() - 0.12 * height();
    const int pixelSize =
        std::max(6, int(std::min(height() * 0.86, usableWidth / (cells * advancePerPixel))));
    m_seg7.setPixelSize(pixelSize);
    m_seg14.setPixelSize(pixelSize);
    m_cellWidth = pixelSize * advancePerPixel;
    // The fixed-pitch face gets capitals as tall as the segment digits.
    QFont fixedProbe = m_fixed;
    fixedProbe.setPixelSize(100);
    const qreal capPerPixel = QFontMetricsF(fixedProbe).capHeight() / 100.0;
    m_fixed.setPixelSize(std::max(6, int(pixelSize / capPerPixel)));
}

const QPixmap &SegmentDisplay::ghostLayer(int cellCount, qreal left, qreal baseline)
{
    const qreal dpr = devicePixelRatioF();
    const auto key = std::tuple(size(), cellCount, m_ghostColor.rgba(), dpr, m_backdrop.cacheKey());
    if (key == m_ghostKey)
        return m_ghost;
    m_ghostKey = key;
    m_ghost = QPixmap(size() * dpr);
    m_ghost.setDevicePixelRatio(dpr);
    m_ghost.fill(Qt::transparent);
    QPainter p(&m_ghost);
    p.drawPixmap(0, 0, m_backdrop);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(m_seg7);
    p.setPen(m_ghostColor);
    for (int i = 0; i < cellCount; ++i)
        p.drawText(QPointF(left + i * m_cellWidth, baseline), QStringLiteral("8."));
    return m_ghost;
}

// The segment faces' glyphs are looked up once per size and drawn as glyphs: drawing a single
// character as text shapes it again at every paint. The fixed-pitch face may borrow a character
// from another font, which only text drawing does, so it is drawn as text.
void SegmentDisplay::drawChar(QPainter &p, Face face, QChar ch, const QPointF &baselineAt)
{
    if (face == Face::Fixed) {
        p.drawText(baselineAt, QString(ch));
        return;
    }
    const quint32 key = (quint32(face) << 16) | ch.unicode();
    auto glyph = m_glyphs.constFind(key);
    if (glyph == m_glyphs.constEnd()) {
        const QRawFont raw = QRawFont::fromFont(font(face));
        const QList<quint32> indexes = raw.glyphIndexesForString(QString(ch));
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(indexes);
        run.setPositions(QList<QPointF>(indexes.size(), QPointF()));
        glyph = m_glyphs.insert(key, run);
    }
    p.drawGlyphRun(baselineAt, *glyph);
}

void SegmentDisplay::paintEvent(QPaintEvent *)
{
    const std::vector<Cell> cells = cellsOf(text());
    const int cellCount = std::max<int>(kIdleCells, int(cells.size()));
    fitFonts(cellCount);

    const qreal baseline = (height() + m_seg7.pixelSize()) / 2.0;
    const qreal right = width() - 1.0;
    const qreal left = right - cellCount * m_cellWidth;
    const QPixmap &ghost = ghostLayer(cellCount, left, baseline);

    QPainter p(this);
    p.drawPixmap(0, 0, ghost);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(palette().color(QPalette::WindowText));
    const qreal first = right - qreal(cells.size()) * m_cellWidth;
    Face current = Face::Seg7;
    p.setFont(m_seg7);
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell &cell = cells[i];
        const qreal x = first + qreal(i) * m_cellWidth;
        if (cell.ch != QLatin1Char(' ')) {
            const Face face = faceOf(cell.ch);
            if (face != current) {
                current = face;
                p.setFont(font(face));
            }
            auto advance = m_advance.constFind(cell.ch.unicode());
            if (advance == m_advance.constEnd())
                advance =
                    m_advance.insert(cell.ch.unicode(), QFontMetricsF(font(face)).horizontalAdvance(cell.ch));
            drawChar(p, face, cell.ch, QPointF(x + (m_cellWidth - *advance) / 2.0, baseline));
        }
        if (!cell.mark.isNull()) {
            // The faces draw a point with no advance, into the cell before it.
            if (current != Face::Seg7) {
                current = Face::Seg7;
                p.setFont(m_seg7);
            }
            drawChar(p, Face::Seg7, cell.mark, QPointF(x + m_cellWidth, baseline));
        }
    }
}

} // namespace kivo
