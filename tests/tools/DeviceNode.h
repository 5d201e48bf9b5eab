#pragma once
// Test support for pseudo-terminals.

#include <QFile>
#include <QString>

#include <optional>

#include <sys/stat.h>

namespace veltrane::testing {

// A pseudo-terminal's device node, told apart from a later one that reuses its number (other
// processes may open ptys at any time): the node's change time is set when it is created.
struct DeviceNode
{
    QString path;
    std::optional<timespec> changed; // none: no such node

    static DeviceNode of(const QString &path)
    {
        struct stat st = {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return {path, std::nullopt};
        return {path, st.st_ctim};
    }
    bool exists() const { return changed.has_value(); }
    // Gone, or the path now names a newer device.
    bool gone() const
    {
        const DeviceNode now = of(path);
        return !changed || !now.changed || now.changed->tv_sec != changed->tv_sec ||
               now.changed->tv_nsec != changed->tv_nsec;
    }
};

} // namespace veltrane::testing
