#include "platform/ks/described_filter.h"

#include <algorithm>
#include <cstring>

#include "platform/ks/property_reply.h"
#include "platform/ks/results.h"
#include "riff/wave_format_extensible.h"

namespace platform::ks {
namespace {

bool Lists(const std::vector<Identifier>& list, const Identifier& wanted) {
  return std::any_of(list.begin(), list.end(),
                     [&](const Identifier& item) { return item.set == wanted.set && item.id == wanted.id; });
}

}  // namespace

int32_t DescribedFilter::Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                                  uint32_t* returned) {
  *returned = 0;
  ks::Property property;
  if (request == nullptr || requestSize < sizeof property) return kErrorInvalidParameter;
  std::memcpy(&property, request, sizeof property);
  // Everything a filter describes is read-only.
  if (property.flags != kPropertyGet) return kErrorNotSupported;
  std::vector<uint8_t> answer;
  const int32_t result = Answer(property, request, requestSize, &answer);
  return result == kOk ? Reply(answer, value, valueSize, returned) : result;
}

int32_t DescribedFilter::Answer(const ks::Property& property, const void* request, uint32_t requestSize,
                                std::vector<uint8_t>* answer) const {
  if (property.set == kPropertySetTopology) {
    if (property.id != kTopologyNodes) return kErrorNotFound;
    *answer = MultipleOf(description_.nodes);
    return kOk;
  }
  if (!(property.set == kPropertySetPin)) return kErrorSetNotFound;
  if (property.id == kPinTypes) {
    *answer = BytesOf(static_cast<uint32_t>(description_.pins.size()));
    return kOk;
  }
  PinProperty pinProperty;
  if (requestSize < sizeof pinProperty) return kErrorInvalidParameter;
  std::memcpy(&pinProperty, request, sizeof pinProperty);
  if (pinProperty.pinId >= description_.pins.size()) return kErrorInvalidParameter;
  const PinDescription& pin = description_.pins[pinProperty.pinId];
  switch (property.id) {
    case kPinCommunication:
      *answer = BytesOf(pin.communication);
      return kOk;
    case kPinDataFlow:
      *answer = BytesOf(pin.dataFlow);
      return kOk;
    case kPinInterfaces:
      *answer = MultipleOf(pin.interfaces);
      return kOk;
    case kPinMediums:
      *answer = MultipleOf(pin.mediums);
      return kOk;
    case kPinDataRanges:
      *answer = MultipleOf(pin.dataRanges);
      return kOk;
    case kPinInstances:
      *answer = BytesOf(pin.instances);
      return kOk;
    case kPinGlobalInstances:
      *answer = BytesOf(pin.globalInstances);
      return kOk;
    case kPinCategory:
      *answer = BytesOf(pin.category);
      return kOk;
    case kPinName:
      answer->assign(pin.name.begin(), pin.name.end());
      answer->push_back(0);
      return kOk;
    default:
      return kErrorNotFound;
  }
}

std::unique_ptr<Pin> DescribedFilter::CreatePin(const void* connect, uint32_t size, int32_t* error) {
  PinConnect head;
  DataFormat format;
  *error = kErrorInvalidParameter;
  if (connect == nullptr || size < sizeof head + sizeof format + sizeof(riff::WaveFormat)) return nullptr;
  const auto* bytes = static_cast<const uint8_t*>(connect);
  std::memcpy(&head, bytes, sizeof head);
  std::memcpy(&format, bytes + sizeof head, sizeof format);
  if (head.pinId >= description_.pins.size()) return nullptr;
  if (format.formatSize < sizeof format + sizeof(riff::WaveFormat) ||
      format.formatSize > size - sizeof head) {
    return nullptr;
  }
  const uint32_t waveBytes = format.formatSize - static_cast<uint32_t>(sizeof format);

  const PinDescription& pin = description_.pins[head.pinId];
  *error = kErrorNotSupported;
  // Only render sinks stream here, each on its own device.
  if (pin.dataFlow != kDataFlowIn ||
      (pin.communication != kCommunicationSink && pin.communication != kCommunicationBoth) ||
      head.pinToHandle != 0) {
    return nullptr;
  }
  *error = kErrorNoMatch;
  if (!Lists(pin.interfaces, head.streamInterface) || !Lists(pin.mediums, head.medium)) return nullptr;
  if (!(format.majorFormat == kFormatTypeAudio) || !(format.subFormat == kSubtypePcm) ||
      !(format.specifier == kSpecifierWaveFormat)) {
    return nullptr;
  }
  riff::WaveFormatExtensible wave{};
  std::memcpy(&wave, bytes + sizeof head + sizeof format, std::min<size_t>(waveBytes, sizeof wave));
  // An extensible description must carry its whole tail.
  if (wave.format.formatTag == riff::kWaveFormatExtensible && waveBytes < sizeof wave) return nullptr;
  waveout::PcmLayout layout;
  if (!waveout::ReadPcmLayout(&wave.format, &layout)) return nullptr;
  return OpenPin(head.pinId, layout, error);
}

}  // namespace platform::ks
