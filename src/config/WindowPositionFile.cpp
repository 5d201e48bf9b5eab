#include "config/WindowPositionFile.h"

#include "config/KeyLines.h"
#include "config/TextNumber.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace veltrane::config {

QString windowPositionPath(const QString &workDir)
{
    return QDir(workDir).filePath(u"MyVeltraneData.dat"_s);
}

WindowPosition parseWindowPosition(const QByteArray &content)
{
    WindowPosition pos;
    forEachLine(content, [&](QByteArrayView bytes) {
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QFileInfo::exists(path) ? kWindowPositionUnreadable : kWindowPositionFileMissing;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return kWindowPositionUnreadable;
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
    QSaveFile file(path);
    const QByteArray bytes = formatWindowPosition(topTwips, leftTwips);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString windowPositionErrorTitle()
{
    return u"最初のセット、ファイルなし\u3000"_s;
}

QString windowPositionErrorText(int code)
{
    return u"Error="_s + QString::number(code);
}

} // namespace veltrane::config
