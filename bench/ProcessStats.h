#pragma once

// What the benchmarks read about their own process: CPU time and the /proc status figures.

#include <QByteArray>
#include <QFile>

#include <sys/resource.h>

namespace kivobench {

// User and system CPU time of this process, in seconds.
inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A kB figure of /proc/self/status ("VmRSS:", "VmHWM:"); 0 when it cannot be read.
inline long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace kivobench
