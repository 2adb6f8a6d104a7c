// Ogg Vorbis encoder loop (see ogg_encode.h): headers, analysis blocks, pages.
#include "tools/sound/ogg_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace sound {

std::vector<std::uint8_t> EncodeOggVorbis(const std::vector<TSamples>& channels, float quality,
                                          int serial) {
  std::vector<std::uint8_t> out;
  const int channelCount = static_cast<int>(channels.size());
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channelCount, SAMPLE_RATE, quality) != 0) {
    vorbis_info_clear(&info);
    throw std::runtime_error("vorbis encoder refused the settings");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);

  auto appendPage = [&out](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) appendPage(page);

  auto drain = [&] {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) appendPage(page);
      }
    }
  };

  const std::size_t frames = channels.empty() ? 0 : channels[0].size();
  const std::size_t chunk = 4096;
  for (std::size_t at = 0; at < frames; at += chunk) {
    const std::size_t n = std::min(chunk, frames - at);
    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
    for (int c = 0; c < channelCount; ++c)
      std::copy(channels[static_cast<std::size_t>(c)].begin() + static_cast<std::ptrdiff_t>(at),
                channels[static_cast<std::size_t>(c)].begin() + static_cast<std::ptrdiff_t>(at + n),
                buffer[c]);
    vorbis_analysis_wrote(&dsp, static_cast<int>(n));
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  while (ogg_stream_flush(&stream, &page) != 0) appendPage(page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace sound
