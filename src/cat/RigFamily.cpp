// SPDX-License-Identifier: GPL-3.0-or-later
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
// clang-format off
constexpr std::array<RigCaps, 5> kRigCaps{{
    {.family = RigFamily::YaesuText, .titleName = u"FT2000", .settingsCaption = u"Yaesu FT2000/950/450",
     .port = PortKind::Device, .civAddresses = false, .receiveThreshold = 11, .byteInputMode = false,
     .timing = AnswerTiming::RequestThenPoll, .pollIntervalMs = 200, .referenceOnEveryBand = false,
     .clickMirroredBelow10MHz = false, .maxFrequencyHz = 99'999'999, .widthFromAnswers = true,
     .readRequest = &textReadRequest, .setFrequency = &yaesuSetFrequency, .modeUsb = &yaesuModeUsb,
     .makeReader = &make<TextAnswerReader>},
    {.family = RigFamily::KenwoodText, .titleName = u"TS480", .settingsCaption = u"Kenwood TS480/870/2000",
     .port = PortKind::Device, .civAddresses = false, .receiveThreshold = 14, .byteInputMode = false,
     .timing = AnswerTiming::RequestThenPoll, .pollIntervalMs = 200, .referenceOnEveryBand = false,
     .clickMirroredBelow10MHz = false, .maxFrequencyHz = 99'999'999'999, .widthFromAnswers = false,
     .readRequest = &textReadRequest, .setFrequency = &kenwoodSetFrequency, .modeUsb = &kenwoodModeUsb,
     .makeReader = &make<TextAnswerReader>},
    {.family = RigFamily::Civ, .titleName = u"ICOM", .settingsCaption = u"ICOM",
     .port = PortKind::Device, .civAddresses = true, .receiveThreshold = 0, .byteInputMode = false,
     .timing = AnswerTiming::PollWritesAndReads, .pollIntervalMs = 220, .referenceOnEveryBand = true,
     .clickMirroredBelow10MHz = false, .maxFrequencyHz = 9'999'999'999, .widthFromAnswers = false,
     .readRequest = &civReadRequest, .setFrequency = &civSetFrequency, .modeUsb = &civModeUsb,
     .makeReader = &make<CivAnswerReader>},
    {.family = RigFamily::Ft897, .titleName = u"FT897", .settingsCaption = u"Yaesu FT897",
     .port = PortKind::Device, .civAddresses = false, .receiveThreshold = 5, .byteInputMode = true,
     .timing = AnswerTiming::ReceiveEvent, .pollIntervalMs = 0, .referenceOnEveryBand = true,
     .clickMirroredBelow10MHz = true, .maxFrequencyHz = 999'999'999, .widthFromAnswers = false,
     .readRequest = &ft897ReadRequest, .setFrequency = &ft897SetFrequency, .modeUsb = &ft897ModeUsb,
     .makeReader = &make<Ft897AnswerReader>},
    {.family = RigFamily::Rigctld, .titleName = u"RIGCTLD", .settingsCaption = u"Hamlib rigctld (network)",
     .port = PortKind::RigctldAddress, .civAddresses = false, .receiveThreshold = 0, .byteInputMode = false,
     .timing = AnswerTiming::RequestThenPoll, .pollIntervalMs = 200, .referenceOnEveryBand = true,
     .clickMirroredBelow10MHz = false, .maxFrequencyHz = 99'999'999'999, .widthFromAnswers = false,
     .readRequest = &rigctldReadRequest, .setFrequency = &rigctldSetFrequency, .modeUsb = &rigctldModeUsb,
     .makeReader = &make<RigctldLineReader>},
}};
// clang-format on

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
