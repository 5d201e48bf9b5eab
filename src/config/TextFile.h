// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file layer under the station's two small text files (Init.cfg and the window position
// file): a reader that takes only regular files of a bounded size and never blocks, and a save
// that either replaces the whole file or leaves the old one untouched and says why.

#include <QByteArray>
#include <QString>

namespace veltrane::config {

// Larger than any real Init.cfg or position file (a hundred short lines); anything bigger is refused.
inline constexpr qint64 kTextFileLimit = 64 * 1024;

enum class FileRead { Ok, Missing, NotRegular, TooLarge, Unreadable };

// Reads the whole file into content. A link to a regular file is followed; a FIFO, a device, a
// folder or a link to one of them is NotRegular and is never opened for reading in a way that
// could block; more than kTextFileLimit bytes is TooLarge (and at most one byte more is read).
FileRead readTextFile(const QString &path, QByteArray &content);

// Replaces the file at path with bytes, atomically: every write and the flush to the disk are
// checked before the new file takes the old one's place, so a full disk, a read-only folder or a
// refused permission leaves the old file as it was. On failure returns false and, when reason is
// given, the cause in the operator's words (disk full, read-only, no permission) with the
// system's own message after it.
bool saveTextFile(const QString &path, const QByteArray &bytes, QString *reason);

} // namespace veltrane::config
