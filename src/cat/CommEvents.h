// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial port's comm codes: which are plain events and which are errors that the operator
// is asked about, with the message shown for each error. The link shows the box; this file
// only holds the table.

#include <QString>

namespace veltrane::cat {

// Comm codes as the port reports them.
inline constexpr int comEvSend = 1;           // send buffer fell below its threshold
inline constexpr int comEvReceive = 2;        // receive threshold reached
inline constexpr int comEvCTS = 3;            // CTS line changed
inline constexpr int comEvDSR = 4;            // DSR line changed
inline constexpr int comEvCD = 5;             // CD line changed
inline constexpr int comEvRing = 6;           // ring signal detected
inline constexpr int comEvEOF = 7;            // end-of-file character received
inline constexpr int comEventBreak = 1001;    // break signal received
inline constexpr int comEventCTSTO = 1002;    // CTS time-out
inline constexpr int comEventDSRTO = 1003;    // DSR time-out
inline constexpr int comEventFrame = 1004;    // framing error
inline constexpr int comEventOverrun = 1006;  // received data lost
inline constexpr int comEventCDTO = 1007;     // carrier-detect time-out
inline constexpr int comEventRxOver = 1008;   // receive buffer overflow
inline constexpr int comEventRxParity = 1009; // parity error
inline constexpr int comEventTxFull = 1010;   // transmit buffer full

struct CommEventInfo
{
    bool isError;    // true: beep and ask the operator (OK ignores, Cancel closes the port)
    QString message; // the box's message for an error; empty for an event
};

// The row of a code; every code outside the table is an error of no known kind:
//   commEventInfo(1008) == {true, "ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"}
//   commEventInfo(1004) == {false, ""}   (framing error: handled as an event)
//   commEventInfo(1005) == {true, "未知ｴﾗｰが発生しました"}
CommEventInfo commEventInfo(int code);

// Title of the error box.
QString commErrorTitle();

} // namespace veltrane::cat
