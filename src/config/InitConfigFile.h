// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Init.cfg, the station configuration: the reader that fills the station state at start-up and
// the writer behind the settings dialog's Save. Pure text rules plus two small file functions;
// no widgets. Line and key grammar: KeyLines.h. The file is in the system's 8-bit code page
// with CR LF line ends.

#include "config/StationConfig.h"

#include <QByteArray>
#include <QString>

namespace veltrane::config {

enum class ReadResult {
    Ok,
    Unreadable,   // missing, or it cannot be read
    TooManyLines, // more than kInitConfigMaxLines lines
    NotRegular,   // a folder, a FIFO, a device (or a link to one)
    TooLarge,     // more than kTextFileLimit bytes
};

// Most lines a readable Init.cfg may hold; one more fails the whole read.
inline constexpr int kInitConfigMaxLines = 100;

// File name of the configuration inside workDir: initConfigPath(u"/home/op") == "/home/op/Init.cfg".
QString initConfigPath(const QString &workDir);

// Reads the six keys into config, later lines winning, and parses RIG= (config.rig):
//   MYCALL  -> myCall, upper-cased ("mycall=ja1abc" gives "JA1ABC")
//   CAT     -> catPort, blanks around it removed ("CAT= 3 " gives "3")
//   RIG     -> rigCode, as read (" 2 ")
//   RS232C  -> serialSettings, as read ("9600,N,8,1")
//   ICOM    -> icomAddressHex, as read ("74")
//   CONTROL -> controllerAddressHex, as read ("45")
// Other keys and lines without "=" are skipped. More than kInitConfigMaxLines lines gives
// TooManyLines; the values of the first 100 lines are stored all the same. A file in UTF-16 or
// UTF-8 with a byte-order mark is read as its text. Never fails otherwise, whatever the bytes.
ReadResult parseInitConfig(const QByteArray &content, StationConfig &config);

// parseInitConfig on the file's content (readTextFile: a regular file of at most 64 KiB);
// Unreadable when it is missing or cannot be read, NotRegular or TooLarge as readTextFile says.
ReadResult readInitConfig(const QString &path, StationConfig &config);

// The settings dialog's values as the text that follows each key ("" for a value never chosen).
// Numbers come already printed (printedNumber), so port 3 is " 3 ".
struct InitConfig
{
    QString call, port, rig, baud, parity, dataBits, stopBits, icom, control;
    ExtensionSettings extensions; // lines after the nine, only those not at their defaults
};

// The whole file: always these nine lines, each ended by CR LF, in the system code page:
//   MYCALL=<call>
//   'CATをコントロールするＣＯＭ番号
//   CAT=<port>
//   'Rig Code   0:Yaesu,  1:Kenwood  2:ICOM 3:FT897 　リグの種類     (U+3000 before the kana)
//   RIG=<rig>
//   'CAT コントロール　条件                                          (U+3000 before 条件)
//   RS232C=<baud>,<parity>,<dataBits>,<stopBits>
//   ICOM=<icom>
//   CONTROL=<control>
// then the extension settings that differ from their defaults ("DTR=OFF", ExtensionSettings.h).
// e.g. {call "JA1ABC", port " 1 ", rig " 0 ", 9600 N 8 1, 74, 45} gives "MYCALL=JA1ABC\r\n..."
// with "CAT= 1 \r\n", "RIG= 0 \r\n", "RS232C=9600,N,8,1\r\n", "ICOM=74\r\n", "CONTROL=45\r\n".
QByteArray formatInitConfig(const InitConfig &cfg);

// Replaces the file at path with formatInitConfig(cfg) (saveTextFile): a failed save leaves any
// old file as it was. On failure returns false and, when error is given, the reason.
bool writeInitConfig(const QString &path, const InitConfig &cfg, QString *error);

// A number as the dialog prints it into the file: sign position (blank or "-"), the digits,
// one trailing blank. printedNumber(3) == " 3 ", printedNumber(0) == " 0 ", printedNumber(-1) == "-1 "
QString printedNumber(int n);

} // namespace veltrane::config
