#pragma once

// The real main window for tests, reached only through its controls' object names and its
// controllers; the kinds of control the tests reach are included here.

#include "KivoTest.h"

#include "app/frmMain.h"
#include "monitor/IndicatorPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextEdit>

#include <memory>

namespace kivotest {

// The window shown offscreen; ending the program after shut-down does nothing.
inline std::unique_ptr<frmMain> openWindow()
{
    auto w = std::make_unique<frmMain>();
    w->setEndProgram([] {});
    w->show();
    return w;
}

inline QPushButton *button(const QObject &root, const char *name)
{
    return control<QPushButton>(root, name);
}

// Selects the entry with that text in the named list (none when it has no such entry).
inline void choose(const QObject &root, const char *list, const QString &text)
{
    auto *box = control<QComboBox>(root, list);
    box->setCurrentIndex(box->findText(text));
}

// Chooses the line parameters by their listed texts, types the port's name and clicks Connect.
inline void connectSerial(const QObject &w, const QString &port, const QString &settings = u"9600,N,8,1"_s)
{
    const QStringList f = settings.split(u',');
    int i = 0;
    for (const char *list : {"cboBps", "cboParity", "cboDataBit", "cboStopBit"})
        choose(w, list, f.value(i++));
    auto *cboPort = control<QComboBox>(w, "cboPort");
    cboPort->setCurrentIndex(-1);
    cboPort->setEditText(port);
    button(w, "cmdConnect")->click();
}

// The visible top-level window of that class (a form the window opened without a parent), if any.
template <class T> T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(w); found && found->isVisible())
            return found;
    return nullptr;
}

// The display's two lamps as two characters: Stable 'S' lit, '-' unlit, Overload 'O' lit, '-' unlit;
// '?' for a lamp in any other colour.
inline QString lamps(const QObject &w)
{
    using P = kivo::IndicatorPanel;
    const auto lamp = [&w](const char *name, QColor lit, QColor off, QChar mark) {
        const QColor c = kivo::textColor(control<QLabel>(w, name));
        return c == lit ? mark : c == off ? u'-' : u'?';
    };
    return QString(lamp("lblStable", P::kStableLit, P::kStableOff, u'S')) +
           lamp("lblOverload", P::kOverloadLit, P::kOverloadOff, u'O');
}

// Writes the list file that the next start-up reads.
inline void writeListFile(const QByteArray &content)
{
    QVERIFY(writeFile(listFilePath(), content));
}

} // namespace kivotest
