#include "traffic/SteadyScrollBar.h"

#include "core/LateTimer.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include <optional>
#include <tuple>
#include <utility>

namespace kivo {

namespace {

// Compares its look once the changes of a turn of the event loop are done (a view sets the range
// and then the value, and the thumb moves away and back in between) and is drawn again at most
// once per interval while the view keeps growing. A thumb the user drags or steps follows at once.
class SteadyScrollBar : public QScrollBar
{
public:
    static constexpr qint64 kIntervalMs = 500;
    static constexpr int kBandRows = 64;

    explicit SteadyScrollBar(Qt::Orientation orientation)
        : QScrollBar(orientation), m_check(std::chrono::milliseconds(kIntervalMs / 2), [this] {
              if (look() != m_painted)
                  update();
          })
    {
        // Scrolling by the wheel, the keys or the arrows moves the thumb at once.
        connect(this, &QAbstractSlider::actionTriggered, this, [this] { m_userAction = true; });
    }

protected:
    bool event(QEvent *event) override
    {
        const bool handled = QScrollBar::event(event);
        // Every pixel is drawn from the picture, which starts from the window colour: nothing
        // behind the bar needs painting first. Set after the style's polish, which clears it.
        if (event->type() == QEvent::Polish)
            setAttribute(Qt::WA_OpaquePaintEvent);
        return handled;
    }

    void sliderChange(SliderChange change) override
    {
        if (change == SliderOrientationChange || isSliderDown() || std::exchange(m_userAction, false)) {
            m_renderNow = true;
            QScrollBar::sliderChange(change);
            return;
        }
        if (look() == m_painted)
            m_check.stop(); // back where it was drawn, as after a caret's sideways excursion
        else
            scheduleCheck();
    }

    // A view raises both its bars' containers whenever its document grows, which repaints both
    // bars however little they changed: such a repaint copies the last picture, drawn again at
    // most once per interval (at once for the user's scrolling). Under the mouse or while pressed
    // the bar shows hover and press states and is drawn directly.
    void paintEvent(QPaintEvent *event) override
    {
        const bool renderNow = std::exchange(m_renderNow, false);
        if (underMouse() || isSliderDown()) {
            m_painted = look();
            m_sincePaint.start();
            m_pictureKey = {}; // the picture no longer shows what the bar looks like
            QScrollBar::paintEvent(event);
            return;
        }
        const Look now = look();
        const qreal dpr = devicePixelRatioF();
        const auto key = std::tuple(size(), dpr, isEnabled(), isActiveWindow(), palette().cacheKey());
        const bool recent = m_sincePaint.isValid() && m_sincePaint.elapsed() < kIntervalMs;
        if (key != m_pictureKey || (now != m_painted && (renderNow || !recent))) {
            m_pictureKey = key;
            m_picture = QPixmap(size() * dpr);
            m_picture.setDevicePixelRatio(dpr);
            m_picture.fill(palette().color(QPalette::Window));
            QPainter p(&m_picture);
            QStyleOptionSlider option;
            initStyleOption(&option);
            option.subControls = QStyle::SC_All;
            // Drawn in bands: the raster engine hands every fill taller than about a hundred rows
            // to worker threads and waits for them, which costs more than the fill itself.
            for (int top = 0; top < height(); top += kBandRows) {
                p.setClipRect(0, top, width(), kBandRows);
                style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &p, this);
            }
            m_painted = now;
            m_sincePaint.start();
        } else if (now != m_painted) {
            scheduleCheck(); // shown a little late, as the thumb of a growing view always is
        }
        QPainter(this).drawPixmap(0, 0, m_picture);
    }

private:
    void scheduleCheck()
    {
        if (m_check.isActive())
            return;
        const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : kIntervalMs;
        m_check.start(int(std::max<qint64>(0, kIntervalMs - since)));
    }

    struct Look
    {
        QRect thumb;
        bool atMinimum = false;
        bool atMaximum = false;
        bool empty = false;
        bool operator==(const Look &) const = default;
    };

    [[nodiscard]] Look look() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                value() == minimum(), value() == maximum(), minimum() == maximum()};
    }

    std::optional<Look> m_painted;
    std::tuple<QSize, qreal, bool, bool, qint64> m_pictureKey;
    QPixmap m_picture;
    QElapsedTimer m_sincePaint;
    LateTimer m_check; // rides along with the stream's own wake-ups
    bool m_userAction = false;
    bool m_renderNow = false;
};

} // namespace

void useSteadyScrollBars(QAbstractScrollArea *view)
{
    for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        auto *bar = new SteadyScrollBar(orientation);
        if (orientation == Qt::Vertical)
            view->setVerticalScrollBar(bar);
        else
            view->setHorizontalScrollBar(bar);
    }
}

} // namespace kivo
