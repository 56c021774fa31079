#include "audio/Mp3Conversion.h"

#include "audio/CodecModule.h"

bool HoldsOtherAudio(const std::string& systemPath) {
  const CodecFunctions* codecs = Codecs();
  return codecs != nullptr && codecs->holdsOtherAudio(systemPath.c_str());
}

ConversionResult ConvertToMp3(const std::string& systemPath, platform::FileHandle mp3, const Mp3Quality& quality,
                              const ConversionProgress& progress) {
  const CodecFunctions* codecs = Codecs();
  if (codecs == nullptr) return ConversionResult::NoModule;
  const ConversionCallback forward = [](void* context, uint64_t done, uint64_t total) {
    const auto& told = *static_cast<const ConversionProgress*>(context);
    return !told || told(done, total);
  };
  return codecs->convertToMp3(systemPath.c_str(), mp3, &quality, forward,
                              const_cast<void*>(static_cast<const void*>(&progress)));
}
