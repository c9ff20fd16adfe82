#include "traffic/TrafficViews.h"

#include "app/Fonts.h"
#include "app/SplitterBar.h"
#include "app/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>

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
    tabPrintSelect->setUsesScrollButtons(false);
    // The design width, or wider when the platform's tab captions need it: no tab may be clipped.
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

    tmrHexTipDelay = new QTimer(this);
    tmrHexTipDelay->setObjectName(QStringLiteral("tmrHexTipDelay"));
    tmrHexTipDelay->setInterval(3000);

    connect(tabPrintSelect, &QTabBar::currentChanged, this, &TrafficViews::tabPrintSelect_Click);
    // A click on the tab that is already selected runs the handling too.
    connect(tabPrintSelect, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == tabPrintSelect->currentIndex())
            tabPrintSelect_Click();
    });
}

int TrafficViews::selectedTab() const
{
    return tabPrintSelect->currentIndex() + 1;
}

void TrafficViews::selectTab(int tab)
{
    const QSignalBlocker block(tabPrintSelect);
    tabPrintSelect->setCurrentIndex(tab - 1);
}

void TrafficViews::tabPrintSelect_Click()
{
    m_cboDelay->setEnabled(true);
    const int tab = selectedTab();
    const bool asc = tab == 1 || tab == 3;
    const bool hex = tab == 2 || tab == 3;
    rtfPrintAsc->setVisible(asc);
    lblAscLen->setVisible(asc);
    rtfPrintHex->setVisible(hex);
    lblHexLen->setVisible(hex);
    rtfHyperView->setVisible(tab == 4);
    emit layoutNeeded();
    if (tab == 4) {
        m_cboDelay->setCurrentIndex(0);
        m_cboDelay->setEnabled(false);
    }
}

} // namespace kivo
