// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the start-up path that reads Init.cfg and the window position file from
// the disk: the input is written as one kind of file (the first byte picks: a regular file, a
// link to one, a file grown past the size limit, a UTF-16 file with its byte-order mark, a FIFO,
// a link to /dev/zero, a folder) and read as start-up reads it. Whatever the kind and the bytes,
// the readers return (a FIFO or a device must never block or grow memory) with the result the
// kind calls for.

#include "FuzzCheck.h"
#include "config/InitConfigFile.h"
#include "config/TextFile.h"
#include "config/WindowPositionFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

#include <sys/stat.h>

namespace config = veltrane::config;
using namespace Qt::StringLiterals;

using veltrane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static QTemporaryDir dir;
    const QString path = config::initConfigPath(dir.path());
    QFile::remove(path);
    QDir(dir.path()).rmdir(u"Init.cfg"_s);
    QByteArray content(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const int kind = data[0] % 7;
    if (kind == 2) // past the limit, whatever the input
        content = QByteArray(config::kTextFileLimit + 1, 'x').replace(0, content.size(), content);
    if (kind == 5)
        content = QByteArray("\xFF\xFE") +
                  QByteArray(reinterpret_cast<const char *>(QString::fromLatin1(content).utf16()),
                             content.size() * 2);
    const QString regular = dir.filePath(u"regular"_s);
    QFile file(kind == 1 ? regular : path);
    if (kind <= 2 || kind == 5) {
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
        file.close();
    }
    if (kind == 1)
        check(QFile::link(regular, path));
    if (kind == 3)
        check(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    if (kind == 4)
        check(QFile::link(u"/dev/zero"_s, path));
    if (kind == 6)
        check(QDir(dir.path()).mkdir(u"Init.cfg"_s));

    config::StationConfig station;
    const config::ReadResult result = config::readInitConfig(path, station);
    switch (kind) {
    case 2:
        check(result == config::ReadResult::TooLarge);
        break;
    case 3:
    case 4:
    case 6:
        check(result == config::ReadResult::NotRegular);
        break;
    default:
        check(result == config::ReadResult::Ok || result == config::ReadResult::TooManyLines);
    }
    config::WindowPosition position;
    const int code = config::readWindowPosition(path, position);
    check(code == config::kWindowPositionOk || code == config::kWindowPositionUnreadable);
    return 0;
}
