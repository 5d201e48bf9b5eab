// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line and key grammar shared by the station's two text files (Init.cfg and the window
// position file), and their conversion between bytes and text. Pure functions: no file I/O.
//
// Lines: a line ends at CR LF, LF CR, a lone CR or a lone LF (the files are written with CR LF;
// the others are left by editors on other systems), each one line end. The text after the last
// line end is one more line only when it is not empty, so "A\r\nB\r\n", "A\n\rB" and "A\r\nB"
// all hold two lines and "A\r\n\r\n" holds two (the second empty).
//
// Text: a file that begins with a byte-order mark is taken in that encoding (UTF-8, UTF-16 in
// either byte order, as Windows editors save it); without one it is in the system code page.
//
// Key lines: the key is everything before the first "=", upper-cased but not trimmed; the value
// is everything after it, further "=" included. A line without "=" is no key line.
//   "rs232c=9600,N,8,1" -> key "RS232C", value "9600,N,8,1"
//   "CAT =3"            -> key "CAT " (matches nothing)
//   "'note a=b"         -> key "'NOTE A", value "b"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace veltrane::config {

struct KeyLine
{
    QString key;   // upper-cased, untrimmed
    QString value; // as written
};

// Calls visit(lineBytes) for each line of content in order; visit returns false to stop early.
// Returns the number of lines visited.
template <typename Visit> qsizetype forEachLine(QByteArrayView content, Visit &&visit)
{
    qsizetype count = 0;
    qsizetype pos = 0;
    const qsizetype n = content.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && content[end] != '\r' && content[end] != '\n')
            ++end;
        ++count;
        if (!visit(content.sliced(pos, end - pos)))
            return count;
        if (end >= n)
            break;
        const bool pair = end + 1 < n && (content[end + 1] == '\r' || content[end + 1] == '\n') &&
                          content[end + 1] != content[end];
        pos = pair ? end + 2 : end + 1;
    }
    return count;
}

// The content in the system code page: a UTF-8 byte-order mark is dropped, a UTF-16 file (with
// its mark) is turned into the system code page's bytes; anything else is returned as it is.
//   EF BB BF "CAT=3" -> "CAT=3";  FF FE 43 00 41 00 -> "CA"
QByteArray withoutByteOrderMark(const QByteArray &content);

// Text of one line's bytes in the system's 8-bit code page (UTF-8 on Linux and macOS);
// bytes the code page cannot map become replacement characters.
QString decodeSystemText(QByteArrayView bytes);
// Bytes of a text in the system's code page; characters it cannot hold become substitutes.
QByteArray encodeSystemText(const QString &text);

// The key line of a line's text, or nothing when it holds no "=".
std::optional<KeyLine> splitKeyLine(const QString &line);

// Removes leading and trailing blanks (U+0020 only; tabs and other spaces stay).
QString trimBlanks(const QString &text);

} // namespace veltrane::config
