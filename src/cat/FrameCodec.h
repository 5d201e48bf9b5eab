#pragma once
// The CAT frames of the four rig families and the small conversions they are built with.
// Every function here maps text or bytes to text or bytes: none touches the serial port, keeps
// state or knows when a frame is sent. The rig link and the operating aids hand the result to
// the port, one element of Writes per write.
//
// Families: 0 Yaesu text CAT, 1 Kenwood text CAT, 2 ICOM CI-V, 3 Yaesu FT-897 five-byte CAT,
// 4 the rigctld daemon's line protocol (a command per line, ended by a newline).
// Any other family builds nothing.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace veltrane::cat {

// The writes of one operation, in order; each element is ONE write to the port.
using Writes = QList<QByteArray>;

// CI-V framing bytes: preamble FE FE, the rig's address (one byte), this station's (the
// controller's) address (one byte) and the end byte FD.
struct CivFraming
{
    QByteArray preamble;
    QByteArray rigAddress;
    QByteArray controllerAddress;
    QByteArray end;
};

// The usual framing for a rig at rigAddress talked to by a controller at controllerAddress:
//   civFraming(0x74, 0xE0) == {FE FE, 74, E0, FD}
CivFraming civFraming(quint8 rigAddress, quint8 controllerAddress);

// Family numbers.
inline constexpr int kYaesuText = 0;
inline constexpr int kKenwoodText = 1;
inline constexpr int kCiv = 2;
inline constexpr int kFt897 = 3;
inline constexpr int kRigctld = 4;

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

// The read-frequency request of a family:
//   0, 1: "FA;"   2: FE FE rig ctl 03 FD   3: 00 00 00 00 03   4: "f\n"   other: empty
QByteArray readRequest(int family, const CivFraming &civ);

// The set-frequency frame of a family for a dial frequency in Hz; the one builder used by band
// selection, the reference button, the frequency set from an offset and click-to-tune.
//   0: "FA0" + digits + ";" for 7 digits or fewer, else "FA" + digits + ";"
//        7 025 477 -> "FA07025477;", 14 076 523 -> "FA14076523;"            (one write)
//   1: "FA" + digits zero-padded to 11 + ";"
//        7 026 000 -> "FA00007026000;"                                        (one write)
//   2: FE FE rig ctl 05 | five BCD bytes, least significant pair first | FD (three writes)
//        7 026 000 -> "0007026000" -> 00 60 02 07 00; beyond 10 digits the last 10 are kept
//   3: Hz/10 as 8 BCD digits (the last 8 kept), then the command 01        (one write)
//        14 076 523 -> "0140765201" -> 01 40 76 52 01
//   4: "F " + whole hertz + "\n"                                            (one write)
//        14 076 523 -> "F 14076523\n"
// A negative frequency or another family builds no writes.
Writes setFrequencyWrites(int family, qint64 hz, const CivFraming &civ);

// The upper-sideband mode frame of a family, one write:
//   0: "MD02;"   1: "MD2;"   2: FE FE rig ctl 06 01 FD   3: 01 00 00 00 07
//   4: "M USB 0\n" (passband 0: the rig's default width)                    other: none
Writes modeUsbWrites(int family, const CivFraming &civ);

} // namespace veltrane::cat
