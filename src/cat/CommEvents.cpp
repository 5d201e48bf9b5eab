#include "cat/CommEvents.h"

#include <array>

namespace veltrane::cat {

namespace {

struct CommRow
{
    int code;
    bool isError;
    const char16_t *message;
};

constexpr std::array<CommRow, 16> kCommRows = {{
    {comEvSend, false, u""},
    {comEvReceive, false, u""},
    {comEvCTS, false, u""},
    {comEvDSR, false, u""},
    {comEvCD, false, u""},
    {comEvRing, false, u""},
    {comEvEOF, false, u""},
    {comEventBreak, false, u""},
    {comEventCTSTO, true, u"CTS 時間切れｴﾗｰを検出しました"},
    {comEventDSRTO, true, u"DSR 時間切れｴﾗｰを検出しました"},
    {comEventFrame, false, u""},
    {comEventOverrun, true, u"ﾃﾞｰﾀ喪失ｴﾗｰが発生しました"},
    {comEventCDTO, true, u"ｷｬﾘｱ検出時間切れｴﾗｰを検出しました"},
    {comEventRxOver, true, u"ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"},
    {comEventRxParity, false, u""},
    {comEventTxFull, true, u"送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました"},
}};

constexpr const char16_t *kUnknownError = u"未知ｴﾗｰが発生しました";
constexpr const char16_t *kErrorTitle =
    u"中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。";

} // namespace

CommEventInfo commEventInfo(int code)
{
    for (const CommRow &row : kCommRows) {
        if (row.code == code)
            return {row.isError, QString::fromUtf16(row.message)};
    }
    return {true, QString::fromUtf16(kUnknownError)};
}

QString commErrorTitle()
{
    return QString::fromUtf16(kErrorTitle);
}

} // namespace veltrane::cat
