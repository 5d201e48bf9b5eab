#pragma once
// The station's shared values for one run: filled by the start-up steps from Init.cfg and the
// sound-device choice, then read by the rig link, the operating aids and the spectrum display.
// This header only holds the values and the small rules for reading them; it does no I/O.

#include <QByteArray>
#include <QString>

#include <optional>

namespace veltrane::config {

struct StationState
{
    QString workDir;                        // folder of Init.cfg and the position file
    QString myCall;                         // MYCALL=, upper-cased
    std::optional<QString> catPort;         // CAT=, trimmed; unset when absent; a serial port or an address
    std::optional<QString> rigCode;         // RIG=, as read; unset when absent
    QString rigName;                        // "FT2000", "TS480", "ICOM", "FT897", "RIGCTLD" or empty
    bool catEnabled = false;                // CAT= present and not "0"
    std::optional<QString> serialSettings;  // RS232C=, as read, e.g. "9600,N,8,1"
    QString portStatus;                     // "No Work" or "OK"
    QString icomAddressHex;                 // ICOM=, as read, e.g. "74"
    QString controllerAddressHex;           // CONTROL=, as read, e.g. "45"

    // CI-V framing bytes, prepared at start-up for the CI-V family only.
    QByteArray civPreamble;           // FE FE
    QByteArray civRigAddress;         // one byte
    QByteArray civControllerAddress;  // one byte
    QByteArray civEnd;                // FD

    int soundDevice = 0;  // -1 default input, 0.. a listed input, 99 no sound
    int spectrumLowHz = 0;
    int spectrumHighHz = 0;
    int paintPhase = 0;
};

// The highest rig family: 0 Yaesu text, 1 Kenwood text, 2 CI-V, 3 FT-897, 4 a rigctld daemon.
inline constexpr int kHighestFamily = 4;

// The rig family as the link uses it: 0..4, or -1 for a value outside the table (every CAT
// operation then sends nothing). An unset RIG= counts as 0. A text that is not a number
// (which start-up rejects before the link runs) also gives -1.
int rigFamily(const StationState &state);

// True when RIG= is absent or holds a number (leading and trailing blanks allowed).
bool rigCodeIsNumeric(const StationState &state);

// Name shown in the title for a family: "FT2000", "TS480", "ICOM", "FT897", "RIGCTLD", empty
// otherwise.
QString rigNameFor(int family);

}  // namespace veltrane::config
