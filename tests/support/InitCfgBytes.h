// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Init.cfg as the settings dialog must write it, from the six values after their keys: nine
// lines ended by CR LF, in the system code page (UTF-8 in the test environment).

#include <QString>

namespace veltrane::testing {

inline QByteArray initCfgBytes(QAnyStringView call, QAnyStringView cat, QAnyStringView rig,
                               QAnyStringView rs232c, QAnyStringView icom, QAnyStringView control)
{
    return QStringLiteral("MYCALL=%1\r\n'CATをコントロールするＣＯＭ番号\r\nCAT=%2\r\n"
                          "'Rig Code   0:Yaesu,  1:Kenwood  2:ICOM 3:FT897 \u3000リグの種類\r\nRIG=%3\r\n"
                          "'CAT コントロール\u3000条件\r\nRS232C=%4\r\nICOM=%5\r\nCONTROL=%6\r\n")
        .arg(call.toString(), cat.toString(), rig.toString(), rs232c.toString(), icom.toString(),
             control.toString())
        .toUtf8();
}

} // namespace veltrane::testing
