#pragma once

// Shared main for Kivo's QtTest programs: every test program runs with a settings store and a
// list file of its own in a temporary folder, so tests can run in parallel and never touch the
// user's real files.

#include "DataTable.h"

#include "core/ListFileLocation.h"
#include "core/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

// Every test program writes its QString literals as u"..."_s.
using namespace Qt::StringLiterals;

namespace kivotest {

// The temporary folder of the running test program (settings store and list file live here).
inline QString &sandboxDir()
{
    static QString dir;
    return dir;
}

inline QString listFilePath()
{
    return sandboxDir() + u"/kivo.ini"_s;
}

// Writes the file, making its folder first.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The file's bytes; "<missing>" when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every byte value once, 00 to FF.
inline QByteArray everyByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

// Removes the settings store and the list file, so a test starts from a fresh install.
inline void resetStores()
{
    QFile::remove(listFilePath());
    QDir(sandboxDir() + u"/config"_s).removeRecursively();
    QDir().mkpath(sandboxDir() + u"/config"_s);
}

// A control under root by its object name. A missing control is a broken test, not a finding:
// the program stops there and names what it looked for.
template <class T> T *control(const QObject &root, const char *name)
{
    T *found = root.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s named \"%s\" under \"%s\"", T::staticMetaObject.className(), name,
               qPrintable(root.objectName()));
    return found;
}

// Every message box shown while it lives, instead of the box.
struct MessageLog
{
    QList<kivo::MessageRecord> boxes;
    MessageLog()
    {
        kivo::setMessageRecorder([this](const kivo::MessageRecord &r) { boxes << r; });
    }
    ~MessageLog() { kivo::setMessageRecorder({}); }
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;
};

// A box as one line, so a test states its icon, title and text in one comparison:
// "Warning|Error|text" (Information, Warning, Critical or NoIcon).
inline QString describe(const kivo::MessageRecord &r)
{
    static const char *const icons[] = {"NoIcon", "Information", "Warning", "Critical", "Question"};
    return u"%1|%2|%3"_s.arg(QLatin1String(icons[int(r.icon)]), r.title, r.text);
}
inline QStringList describe(const QList<kivo::MessageRecord> &boxes)
{
    QStringList out;
    for (const kivo::MessageRecord &r : boxes)
        out << describe(r);
    return out;
}

} // namespace kivotest

#define KIVO_TEST_MAIN(TestObject)                                                                           \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        QTemporaryDir sandbox;                                                                               \
        kivotest::sandboxDir() = sandbox.path();                                                             \
        qputenv("XDG_CONFIG_HOME", (sandbox.path() + u"/config"_s).toLocal8Bit());                           \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QApplication app(argc, argv);                                                                        \
        kivo::setListFilePathOverride(kivotest::listFilePath());                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
