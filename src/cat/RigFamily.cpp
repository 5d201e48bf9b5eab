#include "cat/RigFamily.h"

#include <array>

namespace veltrane::cat {

namespace {

template <typename Reader> std::unique_ptr<AnswerReader> make()
{
    return std::make_unique<Reader>();
}

// The text families' answers are 11 and 14 bytes long: the receive threshold is the answer's
// length (the event itself is ignored; Timer2 reads). CI-V and rigctld raise no receive event.
constexpr std::array<RigCaps, 5> kRigCaps{{
    {RigFamily::YaesuText, u"FT2000", u"Yaesu FT2000/950/450", PortKind::Device, false, 11, false,
     AnswerTiming::RequestThenPoll, 200, false, false, &textReadRequest, &yaesuSetFrequency, &yaesuModeUsb,
     &make<TextAnswerReader>},
    {RigFamily::KenwoodText, u"TS480", u"Kenwood TS480/870/2000", PortKind::Device, false, 14, false,
     AnswerTiming::RequestThenPoll, 200, false, false, &textReadRequest, &kenwoodSetFrequency,
     &kenwoodModeUsb, &make<TextAnswerReader>},
    {RigFamily::Civ, u"ICOM", u"ICOM", PortKind::Device, true, 0, false, AnswerTiming::PollWritesAndReads,
     220, true, false, &civReadRequest, &civSetFrequency, &civModeUsb, &make<CivAnswerReader>},
    {RigFamily::Ft897, u"FT897", u"Yaesu FT897", PortKind::Device, false, 5, true, AnswerTiming::ReceiveEvent,
     0, true, true, &ft897ReadRequest, &ft897SetFrequency, &ft897ModeUsb, &make<Ft897AnswerReader>},
    {RigFamily::Rigctld, u"RIGCTLD", u"Hamlib rigctld (network)", PortKind::RigctldAddress, false, 0, false,
     AnswerTiming::RequestThenPoll, 200, true, false, &rigctldReadRequest, &rigctldSetFrequency,
     &rigctldModeUsb, &make<RigctldLineReader>},
}};

} // namespace

std::span<const RigCaps> allRigCaps()
{
    return kRigCaps;
}

const RigCaps *rigCapsForCode(int code)
{
    for (const RigCaps &caps : kRigCaps) {
        if (caps.code() == code)
            return &caps;
    }
    return nullptr;
}

} // namespace veltrane::cat
