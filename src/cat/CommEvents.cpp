// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/CommEvents.h"

#include <QCoreApplication>

#include <array>

namespace veltrane::cat {

namespace {

struct CommRow
{
    int code;
    bool isError;
    const char *message;
};

constexpr std::array<CommRow, 16> kCommRows = {{
    {comEvSend, false, ""},
    {comEvReceive, false, ""},
    {comEvCTS, false, ""},
    {comEvDSR, false, ""},
    {comEvCD, false, ""},
    {comEvRing, false, ""},
    {comEvEOF, false, ""},
    {comEventBreak, false, ""},
    {comEventCTSTO, true, QT_TRANSLATE_NOOP("CommEvents", "CTS 時間切れｴﾗｰを検出しました")},
    {comEventDSRTO, true, QT_TRANSLATE_NOOP("CommEvents", "DSR 時間切れｴﾗｰを検出しました")},
    {comEventFrame, false, ""},
    {comEventOverrun, true, QT_TRANSLATE_NOOP("CommEvents", "ﾃﾞｰﾀ喪失ｴﾗｰが発生しました")},
    {comEventCDTO, true, QT_TRANSLATE_NOOP("CommEvents", "ｷｬﾘｱ検出時間切れｴﾗｰを検出しました")},
    {comEventRxOver, true, QT_TRANSLATE_NOOP("CommEvents", "ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました")},
    {comEventRxParity, false, ""},
    {comEventTxFull, true, QT_TRANSLATE_NOOP("CommEvents", "送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました")},
}};

constexpr const char *kUnknownError = QT_TRANSLATE_NOOP("CommEvents", "未知ｴﾗｰが発生しました");
constexpr const char *kErrorTitle =
    QT_TRANSLATE_NOOP("CommEvents", "中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。");

QString translated(const char *text)
{
    return QCoreApplication::translate("CommEvents", text);
}

} // namespace

CommEventInfo commEventInfo(int code)
{
    for (const CommRow &row : kCommRows) {
        if (row.code == code)
            return {row.isError, *row.message ? translated(row.message) : QString()};
    }
    return {true, translated(kUnknownError)};
}

QString commErrorTitle()
{
    return translated(kErrorTitle);
}

} // namespace veltrane::cat
