#include "traffic/TrafficViews.h"

#include "core/CodePage.h"
#include "core/Fonts.h"
#include "core/HexCodec.h"
#include "core/Twips.h"
#include "traffic/LineFormat.h"
#include "traffic/RepaintGate.h"
#include "traffic/RichViewWriter.h"
#include "traffic/SplitterBar.h"
#include "traffic/SteadyScrollBar.h"
#include "traffic/TerminalViewWriter.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTime>
#include <QTimer>

#include <algorithm>

namespace kivo {

namespace {
QString hexRulerCaption()
{
    QString s = QStringLiteral("LEN  :");
    for (int n = 1; n <= 60; ++n)
        s += QStringLiteral(" %1").arg(n, 2, 10, QLatin1Char('0'));
    return s;
}

QLabel *ruler(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setFont(courierFont());
    l->setStyleSheet(QStringLiteral("color: rgb(128,128,128); background-color: rgb(192,192,192);"));
    l->setGeometry(pxRect(121, 3375, 5000, 255));
    l->setIndent(3);
    return l;
}

QTextEdit *richView(QWidget *parent, const QString &name)
{
    auto *v = new QTextEdit(parent);
    v->setObjectName(name);
    v->setFont(courierFont());
    v->setReadOnly(true);
    v->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    v->setLineWrapMode(QTextEdit::NoWrap);
    v->setUndoRedoEnabled(false);
    v->setGeometry(pxRect(120, 3600, 6000, 3000));
    useSteadyScrollBars(v);
    return v;
}
} // namespace

TrafficViews::TrafficViews(QWidget *parent, QComboBox *cboDelay) : QObject(parent), m_cboDelay(cboDelay)
{
    tabPrintSelect = new QTabBar(parent);
    tabPrintSelect->setObjectName(QStringLiteral("tabPrintSelect"));
    for (const char *t : {"ASCII", "Hexa", "Both", "like HyperTerminal"})
        tabPrintSelect->addTab(QString::fromLatin1(t));
    tabPrintSelect->setExpanding(false);
    tabPrintSelect->setDrawBase(false);
    // The design width, or wider when the platform's tab captions need it: no tab may be clipped.
    tabPrintSelect->setUsesScrollButtons(false);
    const QRect design = pxRect(120, 3000, 3735, 375);
    tabPrintSelect->setGeometry(design.x(), design.y(),
                                qMax(design.width(), tabPrintSelect->sizeHint().width()), design.height());

    lblAscLen =
        ruler(parent, QStringLiteral("lblAscLen"), QStringLiteral("LEN  : 123456789012345678901234567890"));
    lblHexLen = ruler(parent, QStringLiteral("lblHexLen"), hexRulerCaption());

    rtfPrintAsc = richView(parent, QStringLiteral("rtfPrintAsc"));
    rtfPrintHex = richView(parent, QStringLiteral("rtfPrintHex"));
    rtfHyperView = new QPlainTextEdit(parent);
    rtfHyperView->setObjectName(QStringLiteral("rtfHyperView"));
    rtfHyperView->setFont(courierFont());
    rtfHyperView->setReadOnly(true);
    rtfHyperView->setUndoRedoEnabled(false);
    rtfHyperView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    useSteadyScrollBars(rtfHyperView);
    rtfHyperView->hide();

    picSize = new SplitterBar(parent);
    picSize->setObjectName(QStringLiteral("picSize"));
    picSize->hide();
    picSplitter = new QFrame(parent);
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    picSplitter->setCursor(Qt::SizeHorCursor);
    picSplitter->setAutoFillBackground(true);
    picSplitter->setStyleSheet(QStringLiteral("background-color: rgb(192,192,192);"));
    picSplitter->hide();

    picHextoAscii = new QFrame(parent);
    picHextoAscii->setObjectName(QStringLiteral("picHextoAscii"));
    picHextoAscii->setStyleSheet(
        QStringLiteral("QFrame#picHextoAscii { background-color: rgb(255,255,128); }"));
    picHextoAscii->setFrameShape(QFrame::Box);
    picHextoAscii->hide();
    lblHextoAscii = new QLabel(QStringLiteral("Hex"), picHextoAscii);
    lblHextoAscii->setObjectName(QStringLiteral("lblHextoAscii"));
    lblHextoAscii->setFont(courierFont());
    lblHextoAscii->move(px(30), px(30));
    lblHextoAscii->adjustSize();

    // A commit that is due rides along with the next arrival or paint, so a stream's commits share
    // their wake-up and their screen flush with the weight display's repaints.
    m_commitTimer = new LateTimer(
        std::chrono::milliseconds(kCommitIntervalMs / 2), [this] { commitHeldLines(); }, this);

    tmrHexTipDelay = new QTimer(this);
    tmrHexTipDelay->setObjectName(QStringLiteral("tmrHexTipDelay"));
    tmrHexTipDelay->setInterval(3000);

    connect(tabPrintSelect, &QTabBar::currentChanged, this, &TrafficViews::tabPrintSelect_Click);
    // A click on the tab that is already selected runs the handling too.
    connect(tabPrintSelect, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == tabPrintSelect->currentIndex())
            tabPrintSelect_Click();
    });
    m_ascWriter = std::make_unique<RichViewWriter>(rtfPrintAsc);
    m_hexWriter = std::make_unique<RichViewWriter>(rtfPrintHex);
    m_hyperWriter = std::make_unique<TerminalViewWriter>(rtfHyperView);
    for (QWidget *view : {static_cast<QWidget *>(rtfPrintAsc), static_cast<QWidget *>(rtfPrintHex),
                          static_cast<QWidget *>(rtfHyperView)})
        view->installEventFilter(this);
    rtfPrintHex->viewport()->installEventFilter(this);
    connect(tmrHexTipDelay, &QTimer::timeout, this, &TrafficViews::tmrHexTipDelay_Timer);
}

TrafficViews::~TrafficViews() = default;

ViewTab TrafficViews::selectedTab() const
{
    return static_cast<ViewTab>(tabPrintSelect->currentIndex() + 1);
}

void TrafficViews::selectTab(ViewTab tab)
{
    const QSignalBlocker block(tabPrintSelect);
    tabPrintSelect->setCurrentIndex(storedValue(tab) - 1);
}

void TrafficViews::tabPrintSelect_Click()
{
    m_cboDelay->setEnabled(true);
    const ViewTab tab = selectedTab();
    rtfPrintAsc->setVisible(showsAscii(tab));
    lblAscLen->setVisible(showsAscii(tab));
    rtfPrintHex->setVisible(showsHex(tab));
    lblHexLen->setVisible(showsHex(tab));
    rtfHyperView->setVisible(tab == ViewTab::Terminal);
    emit layoutNeeded();
    if (tab == ViewTab::Terminal) {
        m_cboDelay->setCurrentIndex(0);
        m_cboDelay->setEnabled(false);
    }
}

void TrafficViews::AddAscii(const QByteArray &bytes, QString &buffer, TextDecoder &decoder)
{
    decoder.decodeAppend(bytes, buffer);
    if (lineformat::textDue(buffer))
        PrintRecv(rtfPrintAsc, buffer);
}

void TrafficViews::AddHexa(const QByteArray &bytes, QString &buffer)
{
    lineformat::appendHex(buffer, bytes);
    if (lineformat::hexDue(buffer))
        PrintRecv(rtfPrintHex, buffer);
}

void TrafficViews::AddHyper(const QByteArray &bytes, QString &buffer, TextDecoder &decoder)
{
    decoder.decodeAppend(bytes, buffer);
    if (lineformat::textDue(buffer))
        PrintHyper(buffer);
}

RichViewWriter *TrafficViews::writerOf(QTextEdit *view)
{
    if (view == rtfPrintAsc)
        return m_ascWriter.get();
    if (view == rtfPrintHex)
        return m_hexWriter.get();
    return nullptr;
}

QString TrafficViews::linePrefix(const QString &prefix) const
{
    if (!m_showTimes)
        return prefix;
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + prefix;
}

void TrafficViews::PrintRecv(QTextEdit *view, QString &buffer)
{
    if (RichViewWriter *writer = writerOf(view))
        writer->writeLine(linePrefix(RichViewWriter::kRecvPrefix), RichViewWriter::kRecvColour, buffer);
    buffer.clear();
}

void TrafficViews::PrintSend(QTextEdit *view, const QString &text)
{
    if (RichViewWriter *writer = writerOf(view))
        writer->writeLine(linePrefix(RichViewWriter::kSendPrefix), RichViewWriter::kSendColour, text);
}

void TrafficViews::PrintHyper(QString &buffer)
{
    m_hyperWriter->append(buffer);
    buffer.clear();
}

void TrafficViews::holdViews()
{
    m_ascWriter->hold();
    m_hexWriter->hold();
    m_hyperWriter->hold();
}

void TrafficViews::releaseViews()
{
    m_ascWriter->release();
    m_hexWriter->release();
    m_hyperWriter->release();
}

void TrafficViews::holdViewsPaced()
{
    if (m_held)
        return;
    m_held = true;
    holdViews();
    // A commit that takes long (a flood's long lines, laid out and then painted) spaces the next
    // one out, so the views take a bounded share of the time and reading keeps up.
    const qint64 interval = std::max<qint64>(kCommitIntervalMs, kCommitCostFactor * m_commitCostMs);
    const qint64 since = m_sinceCommit.isValid() ? m_sinceCommit.elapsed() : interval;
    m_commitTimer->start(int(std::max<qint64>(0, interval - since)));
}

void TrafficViews::commitHeldLines()
{
    if (!m_held)
        return;
    m_held = false;
    m_commitTimer->stop();
    QElapsedTimer cost;
    cost.start();
    releaseViews();
    m_commitCostMs = cost.elapsed();
    m_sinceCommit.start();
}

void TrafficViews::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    // A pause is one more hold of the writers: lines wait, and cut-backs while waiting keep
    // what waits bounded, so a long pause costs no more memory than a full view.
    if (paused)
        holdViews();
    else
        releaseViews();
    emit pausedChanged(paused);
}

QWidget *TrafficViews::currentView() const
{
    switch (selectedTab()) {
    case ViewTab::Ascii:
        return rtfPrintAsc;
    case ViewTab::Hexa:
        return rtfPrintHex;
    case ViewTab::Terminal:
        return rtfHyperView;
    case ViewTab::Both:
        break;
    }
    return m_lastFocused == rtfPrintHex ? static_cast<QWidget *>(rtfPrintHex) : rtfPrintAsc;
}

void TrafficViews::mnuEdit_Clear_Click()
{
    m_ascWriter->clear();
    m_hexWriter->clear();
    m_hyperWriter->clear();
}

bool TrafficViews::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && (watched == rtfPrintAsc || watched == rtfPrintHex))
        m_lastFocused = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
        if (key->key() == Qt::Key_X && mods == Qt::ControlModifier) {
            mnuEdit_Clear_Click();
            return true;
        }
        return false;
    }
    if (watched == rtfPrintHex->viewport())
        return hexViewMouse(event);
    return false;
}

// The hex view's mouse handling for the tip. Moves and releases are first handled by the view, so
// the tip reads the selection as the view has just made it.
bool TrafficViews::hexViewMouse(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    if (m_inHexMouse)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress) {
        if (mouse->button() == Qt::LeftButton)
            bTipArmed = true;
        return false;
    }
    m_inHexMouse = true;
    QCoreApplication::sendEvent(rtfPrintHex->viewport(), event);
    m_inHexMouse = false;

    const QTextCursor selection = rtfPrintHex->textCursor();
    const qsizetype selected = selection.selectionEnd() - selection.selectionStart();
    if (type == QEvent::MouseMove) {
        if ((mouse->buttons() & Qt::LeftButton) && selected >= 2 && bTipArmed)
            showHexTip(selection.selection().toPlainText(), mouse->position().toPoint());
    } else {
        if (picHextoAscii->isVisible() && !tmrHexTipDelay->isActive())
            tmrHexTipDelay->start();
        if (mouse->button() == Qt::LeftButton && selected == 0) {
            bTipArmed = false;
            picHextoAscii->hide();
        }
    }
    return true;
}

void TrafficViews::showHexTip(const QString &hexText, QPoint pointer)
{
    lblHextoAscii->setText(CodePage::system().decode(HexToBytes(hexText)));
    lblHextoAscii->adjustSize();
    // The tip hangs below the pointer with its right edge at it; the width is the one from before
    // this text, so after a change of text the edge lines up from the next move on.
    const QPoint at = rtfPrintHex->viewport()->mapTo(picHextoAscii->parentWidget(), pointer);
    picHextoAscii->move(at.x() - picHextoAscii->width(), at.y() + px(200));
    picHextoAscii->resize(lblHextoAscii->width() + px(110), lblHextoAscii->height() + px(110));
    picHextoAscii->raise();
    picHextoAscii->show();
}

void TrafficViews::tmrHexTipDelay_Timer()
{
    tmrHexTipDelay->stop();
    picHextoAscii->hide();
}

} // namespace kivo
