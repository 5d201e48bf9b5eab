// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/WindowPositionFile.h"

#include "config/KeyLines.h"
#include "config/TextFile.h"
#include "config/TextNumber.h"

#include <QCoreApplication>

#include <QDir>

using namespace Qt::StringLiterals;

namespace veltrane::config {

QString windowPositionPath(const QString &workDir)
{
    return QDir(workDir).filePath(u"MyVeltraneData.dat"_s);
}

WindowPosition parseWindowPosition(const QByteArray &content)
{
    WindowPosition pos;
    forEachLine(withoutByteOrderMark(content), [&](QByteArrayView bytes) {
        if (!bytes.contains('='))
            return true;
        const auto keyLine = splitKeyLine(decodeSystemText(bytes));
        if (!keyLine)
            return true;
        if (keyLine->key == u"TOP")
            pos.top = leadingNumber(keyLine->value);
        else if (keyLine->key == u"LEFT")
            pos.left = leadingNumber(keyLine->value);
        return true;
    });
    return pos;
}

int readWindowPosition(const QString &path, WindowPosition &pos)
{
    QByteArray content;
    switch (readTextFile(path, content)) {
    case FileRead::Ok:
        break;
    case FileRead::Missing:
        return kWindowPositionFileMissing;
    case FileRead::NotRegular:
    case FileRead::TooLarge:
    case FileRead::Unreadable:
        return kWindowPositionUnreadable;
    }
    const WindowPosition read = parseWindowPosition(content);
    if (read.top)
        pos.top = read.top;
    if (read.left)
        pos.left = read.left;
    return kWindowPositionOk;
}

QByteArray formatWindowPosition(double topTwips, double leftTwips)
{
    const QString text = u"============== My Intial Data Setting ================\r\n"_s + u"TOP="_s +
                         signedNumberText(topTwips) + u"\r\n"_s + u"LEFT="_s + signedNumberText(leftTwips) +
                         u"\r\n"_s;
    return encodeSystemText(text);
}

bool writeWindowPosition(const QString &path, double topTwips, double leftTwips, QString *error)
{
    return saveTextFile(path, formatWindowPosition(topTwips, leftTwips), error);
}

QString windowPositionErrorTitle()
{
    return QCoreApplication::translate("WindowPosition", "最初のセット、ファイルなし　");
}

QString windowPositionErrorText(int code)
{
    return u"Error="_s + QString::number(code);
}

} // namespace veltrane::config
