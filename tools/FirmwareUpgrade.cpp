#include "tools/FirmwareUpgrade.h"

#include <memory>

#include "framework/core/Exception.h"
#include "resources/StringIds.h"
#include "tools/FirmwareImage.h"

namespace {

// Every failure of a step becomes the one message of that step.
template <class Step>
void Translating(uint32_t message, Step&& step) {
  try {
    step();
  } catch (const CMediaException&) {
    throw CMediaException(message);
  } catch (const CException&) {
    throw CMediaException(message);
  }
}

}  // namespace

void UpgradeFirmware(PlayerConnection& connection, const CText& path,
                     const std::function<void(uint32_t blocksSent)>& afterBlock) {
  // The firmware-mode connection is never used again.
  struct CloseAtEnd {
    PlayerConnection& connection;
    ~CloseAtEnd() { connection.Close(); }
  } closeAtEnd{connection};
  auto image = std::make_unique<FirmwareImage>();
  image->Load(path);
  Translating(StringId::PlayerNotFound, [&] { connection.Open(DeviceInterface::FirmwareMode); });
  uint8_t readBack[2 * FirmwareImage::BlockBytes];  // as large as a device may answer; not compared
  for (uint32_t block = 0; block < FirmwareImage::SentBlockCount; ++block) {
    Translating(StringId::FirmwareUpgradeFailed, [&] {
      connection.WriteFirmwareBlock(block, image->Block(block), 1);
      connection.ReadFirmwareBlock(block, readBack, 1);
    });
    afterBlock(block + 1);
  }
}
