#pragma once

#include <QObject>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTabBar;
class QTextEdit;
class QTimer;
class QWidget;

namespace kivo {

class SplitterBar;

// The lower half of the main window: the view tab strip, the rulers, the three traffic views, the
// splitter bar with its drag line and the hex-to-ASCII tip.
class TrafficViews : public QObject
{
    Q_OBJECT
public:
    // `cboDelay` is the Recv Delay selector, which the terminal tab sets to "0" and greys out.
    TrafficViews(QWidget *parent, QComboBox *cboDelay);

    // The selected tab in the program's numbering: 1 "ASCII", 2 "Hexa", 3 "Both",
    // 4 "like HyperTerminal".
    [[nodiscard]] int selectedTab() const;
    void selectTab(int tab);

    // The tab switch: Recv Delay enabled, views shown and hidden, layout, terminal-tab rules.
    void tabPrintSelect_Click();

    QTabBar *tabPrintSelect = nullptr;
    QLabel *lblAscLen = nullptr;
    QLabel *lblHexLen = nullptr;
    QTextEdit *rtfPrintAsc = nullptr;
    QTextEdit *rtfPrintHex = nullptr;
    QPlainTextEdit *rtfHyperView = nullptr;
    SplitterBar *picSize = nullptr;
    QFrame *picSplitter = nullptr;
    QFrame *picHextoAscii = nullptr;
    QLabel *lblHextoAscii = nullptr;
    QTimer *tmrHexTipDelay = nullptr;

signals:
    // The views were shown or hidden: the window must run its layout.
    void layoutNeeded();

private:
    QComboBox *m_cboDelay;
};

} // namespace kivo
