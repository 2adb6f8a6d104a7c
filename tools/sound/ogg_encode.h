// Ogg Vorbis encoding of generated sounds through libvorbisenc. The stream serial number is
// chosen by the caller and no time-dependent data enters the stream, so equal input gives
// equal bytes on every run.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sound/synth.h"

namespace sound {

/// Encodes equal-length channels (1 or 2, samples in -1..1) at SAMPLE_RATE with the given VBR
/// quality (-0.1 to 1). Returns the complete Ogg file.
std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<TSamples>& channels, float quality,
                                          int serial);

}  // namespace sound
