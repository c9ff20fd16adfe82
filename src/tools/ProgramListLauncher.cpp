#include "tools/ProgramListLauncher.h"

#include <QProcess>
#include <QStandardPaths>

namespace kivo {

QStringList ProgramListLauncher::defaultPrograms()
{
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("xfce4-taskmanager")};
}

ProgramListLauncher::ProgramListLauncher(QStringList programs, Finder find, Starter start)
    : m_programs(std::move(programs)), m_find(std::move(find)), m_start(std::move(start))
{
    if (!m_find)
        m_find = [](const QString &program) { return QStandardPaths::findExecutable(program); };
    if (!m_start)
        m_start = [](const QString &path) { return QProcess::startDetached(path, {}); };
}

bool ProgramListLauncher::start()
{
    // Only the first installed program is tried: one that is present but will not start is a
    // failure to report, not a reason to open a different tool.
    for (const QString &program : m_programs) {
        const QString path = m_find(program);
        if (!path.isEmpty())
            return m_start(path);
    }
    return false;
}

} // namespace kivo
