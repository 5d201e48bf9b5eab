// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TextFile.h"

#include <QCoreApplication>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFile>
#endif

using namespace Qt::StringLiterals;

namespace veltrane::config {

FileRead readTextFile(const QString &path, QByteArray &content)
{
    const QFileInfo info(path); // follows links
    if (!info.exists())
        return QFileInfo(path).isSymLink() ? FileRead::NotRegular : FileRead::Missing;
    if (!info.isFile())
        return FileRead::NotRegular;
#ifdef Q_OS_UNIX
    // Opened without blocking (a FIFO put there since the look above would otherwise wait for a
    // writer for ever), then checked again on the open file itself.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileRead::Unreadable;
    struct stat st
    {
    };
    FileRead result = FileRead::Ok;
    if (::fstat(fd, &st) != 0)
        result = FileRead::Unreadable;
    else if (!S_ISREG(st.st_mode))
        result = FileRead::NotRegular;
    QByteArray bytes;
    while (result == FileRead::Ok) {
        char buffer[8192];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0)
            result = FileRead::Unreadable;
        else if (n == 0)
            break;
        else if (bytes.append(buffer, n).size() > kTextFileLimit)
            result = FileRead::TooLarge;
    }
    ::close(fd);
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileRead::Unreadable;
    QByteArray bytes = file.read(kTextFileLimit + 1);
    FileRead result = file.error() != QFileDevice::NoError ? FileRead::Unreadable
                      : bytes.size() > kTextFileLimit      ? FileRead::TooLarge
                                                           : FileRead::Ok;
#endif
    if (result == FileRead::Ok)
        content = bytes;
    return result;
}

namespace {

// Why a save into folder failed, as the operator can act on it.
QString saveFailureReason(const QString &folder, qint64 size, const QString &systemMessage)
{
    const QStorageInfo storage(folder);
    QString cause;
    if (storage.isValid() && storage.isReadOnly())
        cause = QCoreApplication::translate("TextFile", "読み取り専用のディスクです。");
    else if (storage.isValid() && storage.bytesAvailable() < size + 4096)
        cause = QCoreApplication::translate("TextFile", "ディスクの空きが足りません。");
    else if (!QFileInfo(folder).isWritable())
        cause = QCoreApplication::translate("TextFile", "このフォルダーに書き込む許可がありません。");
    else // a cause the system alone can name (a file-size limit, an I/O error)
        cause = QCoreApplication::translate("TextFile", "ファイルを書き込めませんでした。");
    return systemMessage.isEmpty() ? cause : cause + u" ("_s + systemMessage + u')';
}

} // namespace

bool saveTextFile(const QString &path, const QByteArray &bytes, QString *reason)
{
    QSaveFile file(path);
    // Unbuffered: a write that does not reach the file says so at once, and the commit only
    // renames a file that holds every byte.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    ok = ok && file.write(bytes) == bytes.size() && file.flush();
    if (ok && file.commit())
        return true;
    const QString message = file.errorString();
    file.cancelWriting();
    if (reason)
        *reason = saveFailureReason(QFileInfo(path).absolutePath(), bytes.size(), message);
    return false;
}

} // namespace veltrane::config
