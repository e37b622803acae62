#include "audio/ks/ks_aud_pin.h"

#include <algorithm>
#include <cstring>

#include "audio/ks/ks_aud_filter.h"
#include "audio/ks/ks_trace.h"
#include "platform/ks/property_reply.h"
#include "riff/wave_format_extensible.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

bool HasStandard(const std::vector<uint8_t>& list, const pks::Guid& set) {
  std::vector<pks::Identifier> items;
  return pks::ItemsOf(list, &items) &&
         std::any_of(items.begin(), items.end(),
                     [&](const pks::Identifier& item) { return item.set == set && item.id == 0; });
}

bool IsNullOr(const pks::Guid& value, const pks::Guid& wanted) {
  return value == pks::kNullGuid || value == wanted;
}

}  // namespace

CKsAudPin::CKsAudPin(CKsAudFilter* filter, uint32_t pinId) : CKsPin(filter, pinId) {
  pks::DataFormat format{};
  format.formatSize = sizeof format + sizeof(riff::WaveFormat);
  format.majorFormat = pks::kFormatTypeAudio;
  format.subFormat = pks::kSubtypePcm;
  format.specifier = pks::kSpecifierWaveFormat;
  connect_.resize(sizeof(pks::PinConnect) + sizeof format + sizeof(riff::WaveFormat), 0);
  std::memcpy(connect_.data() + sizeof(pks::PinConnect), &format, sizeof format);
}

KsResult CKsAudPin::Init() {
  TraceScope trace("CKsAudPin::Init()");
  CKsPin::Init();
  if (!HasStandard(interfaces_, pks::kInterfaceSetStandard)) {
    Trace(kTraceError, "No standard streaming interfaces on the pin");
    return trace.Leave(kResultFail);
  }
  if (!HasStandard(mediums_, pks::kMediumSetStandard)) {
    Trace(kTraceError, "No standard streaming mediums on the pin");
    return trace.Leave(kResultFail);
  }
  KeepAudioRanges();
  if (audioRanges_.empty()) {
    Trace(kTraceError, "No audio dataranges on the pin");
    return trace.Leave(kResultFail);
  }
  return trace.Leave(kResultOk);
}

void CKsAudPin::KeepAudioRanges() {
  audioRanges_.clear();
  pks::MultipleItem head;
  if (dataRanges_.size() < sizeof head) return;
  std::memcpy(&head, dataRanges_.data(), sizeof head);
  const size_t end = std::min<size_t>(head.size, dataRanges_.size());
  size_t offset = sizeof head;
  bool waveRangesBegun = false;
  for (uint32_t i = 0; i < head.count; ++i) {
    pks::DataFormat range;
    if (end < offset + sizeof range) break;
    std::memcpy(&range, dataRanges_.data() + offset, sizeof range);
    // A range that claims less than its head, or more than the list holds, ends the walk.
    if (range.formatSize < sizeof range || range.formatSize > end - offset) break;
    if (!waveRangesBegun) {
      waveRangesBegun = pks::IsTagSubtype(range.subFormat) || range.subFormat == pks::kNullGuid;
    }
    if (waveRangesBegun && range.majorFormat == pks::kFormatTypeAudio &&
        range.formatSize >= sizeof(pks::AudioDataRange)) {
      pks::AudioDataRange audio;
      std::memcpy(&audio, dataRanges_.data() + offset, sizeof audio);
      audioRanges_.push_back(audio);
    }
    offset += range.formatSize;
  }
}

bool CKsAudPin::IsFormatSupported(const riff::WaveFormat* format) const {
  TraceScope trace("CKsAudPin::IsFormatSupported()");
  if (format == nullptr) return false;
  pks::Guid subFormat = pks::SubtypeOfTag(format->formatTag);
  if (format->formatTag == riff::kWaveFormatExtensible) {
    // Without its whole tail an extensible format says nothing about its samples.
    if (format->cbSize < riff::kExtensibleExtraBytes) return false;
    riff::WaveFormatExtensible extensible;
    std::memcpy(&extensible, format, sizeof extensible);
    subFormat = extensible.subFormat;
  }
  return std::any_of(audioRanges_.begin(), audioRanges_.end(), [&](const pks::AudioDataRange& range) {
    return IsNullOr(range.range.majorFormat, pks::kFormatTypeAudio) &&
           IsNullOr(range.range.subFormat, subFormat) &&
           IsNullOr(range.range.specifier, pks::kSpecifierWaveFormat) &&
           range.maximumChannels >= format->channels && range.minimumBitsPerSample <= format->bitsPerSample &&
           format->bitsPerSample <= range.maximumBitsPerSample &&
           range.minimumSampleFrequency <= format->samplesPerSec &&
           format->samplesPerSec <= range.maximumSampleFrequency;
  });
}

KsResult CKsAudPin::SetFormat(const riff::WaveFormat* format) {
  TraceScope trace("CKsAudPin::SetFormat()");
  const size_t head = sizeof(pks::PinConnect) + sizeof(pks::DataFormat);
  if (format == nullptr || connect_.size() < head) {
    Trace(kTraceError, "pwfx or m_pksDataFormatWfx are NULL");
    return trace.Leave(kResultFail);
  }
  const size_t size = sizeof *format + (format->formatTag == riff::kWaveFormatPcm ? 0 : format->cbSize);
  connect_.resize(head + size);
  pks::DataFormat dataFormat;
  std::memcpy(&dataFormat, connect_.data() + sizeof(pks::PinConnect), sizeof dataFormat);
  dataFormat.formatSize = static_cast<uint32_t>(sizeof dataFormat + size);
  dataFormat.sampleSize = format->bitsPerSample * format->channels / 8u;
  std::memcpy(connect_.data() + sizeof(pks::PinConnect), &dataFormat, sizeof dataFormat);
  std::memcpy(connect_.data() + head, format, size);
  format_.assign(connect_.begin() + static_cast<ptrdiff_t>(head), connect_.end());
  return trace.Leave(kResultOk);
}

}  // namespace audio::ks
