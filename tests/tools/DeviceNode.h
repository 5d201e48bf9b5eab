#pragma once
// Test support for pseudo-terminals.

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace veltrane::testing {

// A pseudo-terminal's device node, told apart from a later one that reuses its number (other
// processes may open ptys at any time): the node's change time is set when it is created.
struct DeviceNode
{
    QString path;
    timespec changed{};

    static DeviceNode of(const QString &path)
    {
        DeviceNode node{path, {}};
        struct stat st = {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0)
            node.changed = st.st_ctim;
        return node;
    }
    bool exists() const
    {
        struct stat st = {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0;
    }
    // Gone, or the path now names a newer device.
    bool gone() const
    {
        struct stat st = {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return true;
        return st.st_ctim.tv_sec != changed.tv_sec || st.st_ctim.tv_nsec != changed.tv_nsec;
    }
};

} // namespace veltrane::testing
