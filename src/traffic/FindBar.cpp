#include "traffic/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace kivo {

namespace {

QTextDocument *documentOf(QWidget *view)
{
    if (auto *rich = qobject_cast<QTextEdit *>(view))
        return rich->document();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(view))
        return plain->document();
    return nullptr;
}

void setExtraSelections(QWidget *view, const QList<QTextEdit::ExtraSelection> &selections)
{
    if (auto *rich = qobject_cast<QTextEdit *>(view))
        rich->setExtraSelections(selections);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(view))
        plain->setExtraSelections(selections);
}

void setTextCursor(QWidget *view, const QTextCursor &cursor)
{
    if (auto *rich = qobject_cast<QTextEdit *>(view)) {
        rich->setTextCursor(cursor);
        rich->ensureCursorVisible();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(view)) {
        plain->setTextCursor(cursor);
        plain->ensureCursorVisible();
    }
}

int cursorPosition(QWidget *view)
{
    if (auto *rich = qobject_cast<QTextEdit *>(view))
        return rich->textCursor().selectionStart();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(view))
        return plain->textCursor().selectionStart();
    return 0;
}

QPushButton *barButton(QWidget *parent, const QString &name, const QString &caption, const QString &tip)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

FindBar::FindBar(QWidget *parent, std::function<QWidget *()> currentView)
    : QWidget(parent), m_currentView(std::move(currentView))
{
    setObjectName(QStringLiteral("picFind"));
    setAutoFillBackground(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 1, 2, 1);
    row->setSpacing(3);
    m_query = new QLineEdit(this);
    m_query->setObjectName(QStringLiteral("txtFind"));
    m_query->setPlaceholderText(QStringLiteral("Find (text, or hex pairs in the hex view)"));
    m_query->setClearButtonEnabled(true);
    m_previous = barButton(this, QStringLiteral("cmdFindPrev"), QStringLiteral("<"),
                           QStringLiteral("Previous (Shift+F3)"));
    m_next = barButton(this, QStringLiteral("cmdFindNext"), QStringLiteral(">"),
                       QStringLiteral("Next (F3, Enter)"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblFindCount"));
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("0000 of 0000")));
    m_close =
        barButton(this, QStringLiteral("cmdFindClose"), QStringLiteral("x"), QStringLiteral("Close (Esc)"));
    for (QPushButton *b : {m_previous, m_next, m_close})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 8);
    row->addWidget(m_query, 1);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    row->addWidget(m_count);
    row->addWidget(m_close);

    connect(m_query, &QLineEdit::textChanged, this, [this] { search(0); });
    connect(m_query, &QLineEdit::returnPressed, this, &FindBar::findNext);
    connect(m_next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QPushButton::clicked, this, &FindBar::close);
    hide();
}

void FindBar::open()
{
    show();
    raise();
    m_query->setFocus();
    m_query->selectAll();
    search(0);
}

void FindBar::close()
{
    clearHighlights();
    m_matches.clear();
    m_current = -1;
    hide();
}

void FindBar::findNext()
{
    search(1);
}

void FindBar::findPrevious()
{
    search(-1);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_F3) {
        search(event->modifiers() & Qt::ShiftModifier ? -1 : 1);
        return;
    }
    QWidget::keyPressEvent(event);
}

viewsearch::Kind FindBar::kindOf(QWidget *view) const
{
    if (qobject_cast<QPlainTextEdit *>(view))
        return viewsearch::Kind::Terminal;
    return view->objectName() == QLatin1String("rtfPrintHex") ? viewsearch::Kind::Hex
                                                              : viewsearch::Kind::Text;
}

// Searches the current view anew (it changes as data arrive) and moves to a match: with direction
// 0 the first one from the current position on, else the one after or before the current one.
void FindBar::search(int direction)
{
    QWidget *view = m_currentView ? m_currentView() : nullptr;
    QTextDocument *document = documentOf(view);
    if (view != m_view)
        clearHighlights();
    m_view = view;
    const int previousStart =
        m_current >= 0 && m_current < matchCount() ? m_matches[size_t(m_current)].start() : -1;
    m_matches = document ? viewsearch::findAll(document->toPlainText(), kindOf(view), m_query->text())
                         : std::vector<viewsearch::Match>{};
    m_current = -1;
    if (!m_matches.empty()) {
        const int from = direction == 0 || previousStart < 0 ? cursorPosition(view) : previousStart;
        const int n = matchCount();
        if (direction < 0) {
            m_current = n - 1;
            for (int i = n - 1; i >= 0; --i) {
                if (m_matches[size_t(i)].start() < from) {
                    m_current = i;
                    break;
                }
            }
        } else {
            m_current = 0;
            for (int i = 0; i < n; ++i) {
                const int start = m_matches[size_t(i)].start();
                if (direction == 0 ? start >= from : start > from) {
                    m_current = i;
                    break;
                }
            }
        }
    }
    highlight();
    const bool bad = !m_query->text().isEmpty() && m_matches.empty();
    m_query->setStyleSheet(bad ? QStringLiteral("background-color: rgb(255,200,200);") : QString());
    m_count->setText(m_matches.empty() ? (bad ? QStringLiteral("none") : QString())
                                       : QStringLiteral("%1 of %2").arg(m_current + 1).arg(matchCount()));
}

void FindBar::highlight()
{
    QTextDocument *document = documentOf(m_view);
    if (!document)
        return;
    QList<QTextEdit::ExtraSelection> selections;
    QTextCharFormat all;
    all.setBackground(QColor(255, 255, 0));
    QTextCharFormat current;
    current.setBackground(QColor(255, 150, 0));
    for (int i = 0; i < matchCount(); ++i) {
        for (const viewsearch::Piece &piece : m_matches[size_t(i)].pieces) {
            QTextCursor cursor(document);
            cursor.setPosition(piece.start);
            cursor.setPosition(piece.start + piece.length, QTextCursor::KeepAnchor);
            selections.append({cursor, i == m_current ? current : all});
        }
    }
    setExtraSelections(m_view, selections);
    if (m_current >= 0) {
        const viewsearch::Match &match = m_matches[size_t(m_current)];
        QTextCursor cursor(document);
        cursor.setPosition(match.start());
        cursor.setPosition(match.end(), QTextCursor::KeepAnchor);
        setTextCursor(m_view, cursor);
    }
}

void FindBar::clearHighlights()
{
    if (m_view)
        setExtraSelections(m_view, {});
}

} // namespace kivo
