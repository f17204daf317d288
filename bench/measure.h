// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Small helpers shared by the benchmarks.
#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <vector>

namespace corvessa::bench {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The process's resident memory in MB, from /proc; -1 where that is not available.
inline double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

} // namespace corvessa::bench
