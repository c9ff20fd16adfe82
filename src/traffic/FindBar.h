#pragma once

#include "traffic/ViewSearch.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kivo {

// The find bar over the traffic views: a query box, Previous and Next, the match count and a
// close button. Text is searched in the ASCII and terminal views, hex pairs in the hex view. Every
// match is highlighted, the current one more strongly and selected, so the view scrolls to it.
// Esc closes the bar and takes the highlights away.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    // `currentView` names the view to search: a QTextEdit or a QPlainTextEdit.
    FindBar(QWidget *parent, std::function<QWidget *()> currentView);

    // Shows the bar with the query box focused and its text selected.
    void open();
    void close();

    // The next (or previous) match after (or before) the current one, wrapping round at the ends.
    void findNext();
    void findPrevious();

    [[nodiscard]] int matchCount() const { return int(m_matches.size()); }
    // The current match, -1 when there is none.
    [[nodiscard]] int currentIndex() const { return m_current; }
    [[nodiscard]] const std::vector<viewsearch::Match> &matches() const { return m_matches; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void search(int direction);
    void highlight();
    void clearHighlights();
    [[nodiscard]] viewsearch::Kind kindOf(QWidget *view) const;

    std::function<QWidget *()> m_currentView;
    QLineEdit *m_query = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_close = nullptr;
    QPointer<QWidget> m_view; // the view that carries the highlights
    std::vector<viewsearch::Match> m_matches;
    int m_current = -1;
};

} // namespace kivo
