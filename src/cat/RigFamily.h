// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rig families the station speaks, one row of capabilities each: what the title calls the
// rig, how the link sets up the port and when it asks and reads, which frames the family has
// and which reader takes its answers. Nothing else in the program tells families apart: it asks
// the row. Adding a dialect is adding a row here, its frame builders and its answer reader.
//
// Families by RIG= code: 0 Yaesu text CAT, 1 Kenwood text CAT, 2 ICOM CI-V, 3 Yaesu FT-897
// five-byte CAT, 4 a rigctld daemon's line protocol.

#include "cat/AnswerReaders.h"
#include "cat/FrameCodec.h"

#include <QString>

#include <memory>
#include <span>

namespace veltrane::cat {

enum class RigFamily { YaesuText = 0, KenwoodText = 1, Civ = 2, Ft897 = 3, Rigctld = 4 };

// When the link takes a family's answers.
enum class AnswerTiming {
    // The request goes out at the main tick; answers are read as they arrive, and a poll timer
    // (Timer2) reads whatever is left.
    RequestThenPoll,
    // A poll timer of its own (Timer3) writes the request and reads what waits; answers are
    // read as they arrive too.
    PollWritesAndReads,
    // The request goes out at the main tick after what waits is discarded; the answer (no end
    // mark) is collected as it arrives and judged when the line goes quiet.
    ReceiveEvent,
};

// How the CAT= value names the family's port.
enum class PortKind {
    Device,         // a port number, a device path, or tcp://HOST:PORT of a network serial server
    RigctldAddress, // HOST, HOST:PORT or tcp://HOST[:PORT] of the daemon (port 4532 by default)
};

struct RigCaps
{
    RigFamily family;
    const char16_t *titleName;       // in the window title: "FT2000"
    const char16_t *settingsCaption; // the settings dialog's rig option: "Yaesu FT2000/950/450"
    PortKind port;
    bool civAddresses;    // frames carry the ICOM= and CONTROL= addresses (CI-V framing)
    int receiveThreshold; // waiting bytes that raise the receive event; 0 = none
    bool byteInputMode;   // the port delivers received data as a byte array
    AnswerTiming timing;
    int pollIntervalMs; // of the poll timer the timing uses; 0 when none runs
    // The reference button sends a frame for every band; otherwise only for the bands that
    // have a reference frame in the text dialects (all but 50 MHz).
    bool referenceOnEveryBand;
    // Click-to-tune below 10 MHz takes the click's offset with the opposite sign.
    bool clickMirroredBelow10MHz;
    // The highest dial frequency the set-frequency frame's field carries (8 digits of Hz for the
    // Yaesu text dialect, 11 for Kenwood, 10 BCD digits for CI-V, 8 of 10 Hz for the FT-897,
    // 11 for rigctld, as its answers are read).
    qint64 maxFrequencyHz;
    // The rig's answers tell the width of its frequency field (Yaesu text: 8 or 9 digits); the
    // set frames follow the width of the last accepted answer.
    bool widthFromAnswers;

    QByteArray (*readRequest)(const Framing &civ);
    Writes (*setFrequency)(qint64 hz, const Framing &civ);
    Writes (*modeUsb)(const Framing &civ);
    std::unique_ptr<AnswerReader> (*makeReader)();

    int code() const { return int(family); }
    QString name() const { return QString::fromUtf16(titleName); }
    QString caption() const { return QString::fromUtf16(settingsCaption); }
    // The set-frequency frame for a dial frequency; nothing for one that is not above 0 Hz or
    // does not fit the frame (a frame cut to its field would move the rig elsewhere).
    bool fits(qint64 hz, const Framing &framing) const
    {
        const qint64 max = widthFromAnswers && framing.textDigits == 9 ? 999'999'999 : maxFrequencyHz;
        return hz > 0 && hz <= max;
    }
    Writes setFrequencyWrites(qint64 hz, const Framing &framing) const
    {
        return fits(hz, framing) ? setFrequency(hz, framing) : Writes{};
    }
};

// Every family, in RIG= code order.
std::span<const RigCaps> allRigCaps();

// The row of a RIG= code, or null for a code outside the table.
const RigCaps *rigCapsForCode(int code);

inline const RigCaps &rigCaps(RigFamily family)
{
    return *rigCapsForCode(int(family));
}

} // namespace veltrane::cat
