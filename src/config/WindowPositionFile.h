// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MyVeltraneData.dat, the main window's last top-left corner in twips. The main window saves it
// when it closes and applies it when it opens; this file holds only the text rules and the file
// access, not the window geometry. Same line and key grammar as Init.cfg (KeyLines.h).

#include <QByteArray>
#include <QString>

#include <optional>

namespace veltrane::config {

struct WindowPosition
{
    std::optional<double> top, left; // twips; unset when the file has no such line
};

// Failure codes of readWindowPosition, shown after "Error=" in the message box.
inline constexpr int kWindowPositionOk = 0;
inline constexpr int kWindowPositionFileMissing = 53;
inline constexpr int kWindowPositionUnreadable = 75;

// File name inside workDir: windowPositionPath(u"/home/op") == "/home/op/MyVeltraneData.dat".
QString windowPositionPath(const QString &workDir);

// TOP= and LEFT= lines (any case), the later line winning; each value is the leading number of
// the text after "=": "TOP= 1200" -> 1200, "left=-15" -> -15, "TOP=1200abc" -> 1200,
// "TOP=abc" -> 0. Other lines are skipped; any bytes are accepted.
WindowPosition parseWindowPosition(const QByteArray &content);

// Reads the file into pos. Returns kWindowPositionOk, kWindowPositionFileMissing when there is
// no such file, or kWindowPositionUnreadable when it exists but cannot be opened or read.
int readWindowPosition(const QString &path, WindowPosition &pos);

// The three lines, CR LF each, in the system code page:
//   "============== My Intial Data Setting ================"
//   "TOP=" + signedNumberText(top)     e.g. "TOP= 1200"
//   "LEFT=" + signedNumberText(left)   e.g. "LEFT=-15"
QByteArray formatWindowPosition(double topTwips, double leftTwips);

// Replaces the file atomically; false with a reason in error (when given) on failure.
bool writeWindowPosition(const QString &path, double topTwips, double leftTwips, QString *error);

// Title and text of the box shown when the file cannot be read.
QString windowPositionErrorTitle();        // "最初のセット、ファイルなし　" (ends with U+3000)
QString windowPositionErrorText(int code); // "Error=53"

} // namespace veltrane::config
