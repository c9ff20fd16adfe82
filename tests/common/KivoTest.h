#pragma once

// Shared main for Kivo's QtTest programs: every test program runs with a settings store and a
// list file of its own in a temporary folder, so tests can run in parallel and never touch the
// user's real files.

#include "core/ListFileLocation.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

namespace kivotest {

// The temporary folder of the running test program (settings store and list file live here).
inline QString &sandboxDir()
{
    static QString dir;
    return dir;
}

inline QString listFilePath()
{
    return sandboxDir() + QStringLiteral("/kivo.ini");
}

// Removes the settings store and the list file, so a test starts from a fresh install.
inline void resetStores()
{
    QFile::remove(listFilePath());
    QDir(sandboxDir() + QStringLiteral("/config")).removeRecursively();
    QDir().mkpath(sandboxDir() + QStringLiteral("/config"));
}

} // namespace kivotest

#define KIVO_TEST_MAIN(TestObject)                                                                           \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        QTemporaryDir sandbox;                                                                               \
        kivotest::sandboxDir() = sandbox.path();                                                             \
        qputenv("XDG_CONFIG_HOME", (sandbox.path() + QStringLiteral("/config")).toLocal8Bit());              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QApplication app(argc, argv);                                                                        \
        kivo::setListFilePathOverride(kivotest::listFilePath());                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
