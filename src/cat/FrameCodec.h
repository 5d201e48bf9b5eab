// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The CAT frames of the four rig families and the small conversions they are built with.
// Every function here maps text or bytes to text or bytes: none touches the serial port, keeps
// state or knows when a frame is sent. The rig link and the operating aids hand the result to
// the port, one element of Writes per write.
//
// Which family uses which builder is the family table's (RigFamily.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace veltrane::cat {

// The writes of one operation, in order; each element is ONE write to the port.
using Writes = QList<QByteArray>;

// What the frames of a link are built with besides the frequency. CI-V: preamble FE FE, the
// rig's address (one byte), this station's (the controller's) address (one byte) and the end
// byte FD. Yaesu text: the width of the frequency field, as the rig's own answers show it
// (8 digits for the FT-2000/950/450, 9 for the newer rigs; 0 until an answer came: 8).
struct Framing
{
    QByteArray preamble;
    QByteArray rigAddress;
    QByteArray controllerAddress;
    QByteArray end;
    int textDigits = 0;
};

// The usual framing for a rig at rigAddress talked to by a controller at controllerAddress:
//   civFraming(0x74, 0xE0) == {FE FE, 74, E0, FD}
Framing civFraming(quint8 rigAddress, quint8 controllerAddress);

// Reverses the five two-digit groups of the first ten characters of a CI-V digit text, which
// turns the frequency in Hz into the CI-V order (least significant pair first) and back again:
//   "0007026000" -> "0060020700", "0014076000" -> "0060071400"
// Characters after the tenth are dropped; a shorter text yields the groups it has.
QString Frequency_Convert(const QString &catWork);

// Hexadecimal digit pairs to bytes, pair 1 to byte 0, letters in either case:
//   "0060020700" -> 00 60 02 07 00, "0140765201" -> 01 40 76 52 01
// bytes is resized to length/2 (rounded down) and filled. Returns false when a pair is not
// two hexadecimal digits (the bytes before it are filled, the rest are 0) and when the length
// is odd: the lone last digit has no byte of its own and is never written anywhere.
bool Bdata(QStringView text, QByteArray &bytes);

// Two upper-case hexadecimal digits per byte, high nibble first, nothing between them:
//   00 07 02 60 00 -> "0007026000"
QString BytesToHex(QByteArrayView bytes);

// Weighted sum of the two-digit groups of a digit text: group 1 weighs 10^4, group 2 10^2,
// group 3 1, group 4 10^-2, group 5 10^-4 and so on, for the groups that start within the first
// count characters. Each group reads as its leading decimal digits (no digit: 0).
//   SetFrequency(u"0007026000", 10) == 702.6   (a 10-digit Hz text divided by 10 000)
double SetFrequency(QStringView text, int count);

// The frames of each family. Every builder maps a frequency (or nothing) to the writes of
// one operation; the family table (RigFamily.h) says which builder a family uses.
//
// Read-frequency requests, one write:
//   text families "FA;"   CI-V FE FE rig ctl 03 FD   FT-897 00 00 00 00 03   rigctld "f\n"
QByteArray textReadRequest(const Framing &civ);
QByteArray civReadRequest(const Framing &civ);
QByteArray ft897ReadRequest(const Framing &civ);
QByteArray rigctldReadRequest(const Framing &civ);

// Set-frequency frames for a dial frequency in Hz (0 or more); the one builder per family that
// band selection, the reference button, the frequency set from an offset and click-to-tune use.
//   Yaesu:   "FA" + digits zero-padded to the field's width (8, or 9) + ";"          (one write)
//            7 025 477 -> "FA07025477;", 14 076 523 -> "FA14076523;" (9: "FA014076523;")
//   Kenwood: "FA" + digits zero-padded to 11 + ";"                                    (one write)
//            7 026 000 -> "FA00007026000;"
//   CI-V:    FE FE rig ctl 05 | five BCD bytes, least significant pair first | FD (three writes)
//            7 026 000 -> "0007026000" -> 00 60 02 07 00; beyond 10 digits the last 10 are kept
//   FT-897:  Hz/10 as 8 BCD digits (the last 8 kept), then the command 01             (one write)
//            14 076 523 -> "0140765201" -> 01 40 76 52 01
//   rigctld: "F " + whole hertz + "\n"                                                (one write)
//            14 076 523 -> "F 14076523\n"
Writes yaesuSetFrequency(qint64 hz, const Framing &civ);
Writes kenwoodSetFrequency(qint64 hz, const Framing &civ);
Writes civSetFrequency(qint64 hz, const Framing &civ);
Writes ft897SetFrequency(qint64 hz, const Framing &civ);
Writes rigctldSetFrequency(qint64 hz, const Framing &civ);

// Upper-sideband mode frames, one write:
//   Yaesu "MD02;"   Kenwood "MD2;"   CI-V FE FE rig ctl 06 01 FD   FT-897 01 00 00 00 07
//   rigctld "M USB 0\n" (passband 0: the rig's default width)
Writes yaesuModeUsb(const Framing &civ);
Writes kenwoodModeUsb(const Framing &civ);
Writes civModeUsb(const Framing &civ);
Writes ft897ModeUsb(const Framing &civ);
Writes rigctldModeUsb(const Framing &civ);

} // namespace veltrane::cat
