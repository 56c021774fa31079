// The MPEG audio analysis of a PC file: tags, wrappers, frame headers and
// VBR headers of any bytes are read without a crash or a hang.
#include "audio/AudioAnalysis.h"
#include "fuzz/MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzing::MemoryFile file(data, size);
  AudioInfo info{};
  AnalyseAudioFile(file.Descriptor(), "input.mp3", &info);
  return 0;
}
