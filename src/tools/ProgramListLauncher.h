#pragma once

#include "tools/SysInfoLauncher.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kivo {

// Starts the first system-information program of a list that is installed (looked up on the PATH).
class ProgramListLauncher : public SysInfoLauncher
{
public:
    // Gives the program's full path, or an empty text when it is not installed.
    using Finder = std::function<QString(const QString &program)>;
    // Starts the program detached; false when it could not be started.
    using Starter = std::function<bool(const QString &path)>;

    // System-information programs of the common desktops, most specific first.
    [[nodiscard]] static QStringList defaultPrograms();

    explicit ProgramListLauncher(QStringList programs = defaultPrograms(), Finder find = {},
                                 Starter start = {});

    [[nodiscard]] bool start() override;

private:
    QStringList m_programs;
    Finder m_find;
    Starter m_start;
};

} // namespace kivo
