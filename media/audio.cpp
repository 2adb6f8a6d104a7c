// Sounds and channels on SDL_mixer. Short sounds are decoded once into chunks; long ones (music)
// are streamed from their compressed bytes. A channel handle remembers the generation of the mixer
// channel it was given, so a handle whose mixer channel has been reused changes nothing.
#include <SDL.h>
#include <SDL_mixer.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "media/media_local.h"

namespace {

constexpr int MIX_FREQUENCY = 44100;
constexpr int MIX_CHANNELS_START = 32;
constexpr int MIX_CHUNK_BYTES = 1024;
/// Sounds longer than this stream instead of being decoded whole.
constexpr double STREAM_SECONDS = 20.0;

bool audioOpen = false;
bool audioTried = false;
std::uint64_t generationCounter = 0;
std::vector<std::uint64_t> channelGeneration;  // per mixer channel
std::uint64_t musicGeneration = 0;
Mix_Music* currentMusic = nullptr;

// Reading Ogg data from memory for the length query.
struct MemoryReader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};
std::size_t MemRead(void* out, std::size_t size, std::size_t count, void* source) {
  auto* m = static_cast<MemoryReader*>(source);
  const std::size_t want = size * count;
  const std::size_t have = m->size - m->at;
  const std::size_t n = std::min(want, have);
  if (n > 0) std::memcpy(out, m->data + m->at, n);
  m->at += n;
  return size == 0 ? 0 : n / size;
}
int MemSeek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<MemoryReader*>(source);
  ogg_int64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(m->at);
  if (whence == SEEK_END) base = static_cast<ogg_int64_t>(m->size);
  const ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(m->size)) return -1;
  m->at = static_cast<std::size_t>(target);
  return 0;
}
long MemTell(void* source) { return static_cast<long>(static_cast<MemoryReader*>(source)->at); }

/// Length in seconds of Ogg Vorbis bytes; negative when they are not Ogg Vorbis.
double VorbisSeconds(const media_local::TBytes& bytes) {
  MemoryReader reader{bytes.data, bytes.size, 0};
  OggVorbis_File vf;
  const ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
  if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0) return -1;
  const double seconds = ov_time_total(&vf, -1);
  ov_clear(&vf);
  return seconds;
}

/// Sounds already decoded, by path and loop flag, while something still holds them: loading a
/// sound that is in use shares it. Sounds never change once loaded.
std::map<std::pair<std::string, bool>, std::weak_ptr<TSound>>& SoundCache() {
  static auto* cache = new std::map<std::pair<std::string, bool>, std::weak_ptr<TSound>>;
  return *cache;
}

bool IsCurrent(const TChannel& ch) {
  if (!audioOpen || ch.mixerChannel < 0) return false;
  if (ch.streamed) return ch.generation == musicGeneration;
  return ch.mixerChannel < static_cast<int>(channelGeneration.size()) &&
         channelGeneration[static_cast<std::size_t>(ch.mixerChannel)] == ch.generation;
}

}  // namespace

struct TSoundData {
  std::string path;
  media_local::TBytes bytes;  // kept for streaming
  Mix_Chunk* chunk = nullptr;
  bool streamed = false;
  bool loop = false;
  double seconds = 0;
  ~TSoundData() {
    if (chunk != nullptr && audioOpen) Mix_FreeChunk(chunk);
  }
};

TSound::TSound() : data(std::make_unique<TSoundData>()) {}
TSound::~TSound() = default;
const std::string& TSound::Path() const { return data->path; }
bool TSound::IsStreamed() const { return data->streamed; }
double TSound::Seconds() const { return data->seconds; }

namespace media_local {

void OpenAudio() {
  if (audioOpen || audioTried) return;
  audioTried = true;
  if (IsHeadless()) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
      Mix_OpenAudio(MIX_FREQUENCY, AUDIO_S16SYS, 2, MIX_CHUNK_BYTES) != 0) {
    std::fprintf(stderr, "brakkon: no audio device (%s); playing without sound\n", SDL_GetError());
    return;
  }
  Mix_Init(MIX_INIT_OGG);
  Mix_AllocateChannels(MIX_CHANNELS_START);
  channelGeneration.assign(MIX_CHANNELS_START, 0);
  audioOpen = true;
}

void SilenceAudio() {
  if (!audioOpen) return;
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
}

void CloseAudio() {
  SoundCache().clear();  // decoded for this device
  if (audioOpen) {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (currentMusic != nullptr) Mix_FreeMusic(currentMusic);
    currentMusic = nullptr;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  audioOpen = false;
  audioTried = false;
  channelGeneration.clear();
}

}  // namespace media_local

using namespace media_local;

bool AudioAvailable() { return audioOpen; }

SoundPtr LoadSound(const std::string& path, int flags) {
  const auto key = std::make_pair(path, (flags & SOUND_LOOP) != 0);
  if (const auto found = SoundCache().find(key); found != SoundCache().end()) {
    if (SoundPtr sound = found->second.lock()) return sound;
    SoundCache().erase(found);
  }
  media_local::TBytes bytes;
  if (!media_local::ReadAssetBytes(path, bytes)) return nullptr;
  const double seconds = VorbisSeconds(bytes);
  if (seconds < 0) return nullptr;
  OpenAudio();
  auto sound = std::make_shared<TSound>();
  TSoundData& d = *sound->data;
  d.path = path;
  d.seconds = seconds;
  d.loop = (flags & SOUND_LOOP) != 0;
  d.streamed = seconds > STREAM_SECONDS;
  if (d.streamed) {
    d.bytes = std::move(bytes);
  } else if (audioOpen) {
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data, static_cast<int>(bytes.size));
    d.chunk = rw != nullptr ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (d.chunk == nullptr) return nullptr;
  }
  SoundCache()[key] = sound;
  return sound;
}

ChannelPtr PlaySound(const SoundPtr& sound, const ChannelPtr& channel) {
  if (!sound) return nullptr;
  ChannelPtr ch = channel ? channel : std::make_shared<TChannel>();
  if (!audioOpen) return ch;
  const TSoundData& d = *sound->data;
  if (d.streamed) {
    // One stream at a time: the game plays a single music track.
    Mix_HaltMusic();
    if (currentMusic != nullptr) Mix_FreeMusic(currentMusic);
    SDL_RWops* rw = SDL_RWFromConstMem(d.bytes.data, static_cast<int>(d.bytes.size));
    currentMusic = rw != nullptr ? Mix_LoadMUS_RW(rw, 1) : nullptr;
    if (currentMusic == nullptr || Mix_PlayMusic(currentMusic, d.loop ? -1 : 0) != 0) return ch;
    Mix_VolumeMusic(MIX_MAX_VOLUME);
    musicGeneration = ++generationCounter;
    ch->mixerChannel = 0;
    ch->generation = musicGeneration;
    ch->streamed = true;
    return ch;
  }
  if (d.chunk == nullptr) return ch;
  // Reuse the handle's own mixer channel when it still owns it, else take a free one.
  int target = (channel && IsCurrent(*channel) && !channel->streamed) ? channel->mixerChannel : -1;
  int used = Mix_PlayChannel(target, d.chunk, d.loop ? -1 : 0);
  if (used < 0 && target < 0) {
    const int count = static_cast<int>(channelGeneration.size());
    Mix_AllocateChannels(count * 2);
    channelGeneration.resize(static_cast<std::size_t>(count) * 2, 0);
    used = Mix_PlayChannel(-1, d.chunk, d.loop ? -1 : 0);
  }
  if (used < 0) return ch;
  Mix_Volume(used, MIX_MAX_VOLUME);
  ch->mixerChannel = used;
  ch->generation = ++generationCounter;
  ch->streamed = false;
  channelGeneration[static_cast<std::size_t>(used)] = ch->generation;
  return ch;
}

bool ChannelPlaying(const ChannelPtr& channel) {
  if (!channel || !IsCurrent(*channel)) return false;
  if (channel->streamed) return Mix_PlayingMusic() != 0;
  return Mix_Playing(channel->mixerChannel) != 0;
}

void SetChannelVolume(const ChannelPtr& channel, float volume) {
  if (!channel || !IsCurrent(*channel)) return;
  const int v = static_cast<int>(std::lround(std::clamp(volume, 0.0f, 1.0f) * MIX_MAX_VOLUME));
  if (channel->streamed) {
    Mix_VolumeMusic(v);
  } else {
    Mix_Volume(channel->mixerChannel, v);
  }
}

void StopChannel(const ChannelPtr& channel) {
  if (!channel || !IsCurrent(*channel)) return;
  if (channel->streamed) {
    Mix_HaltMusic();
    musicGeneration = ++generationCounter;  // the stream is over for this handle
  } else {
    Mix_HaltChannel(channel->mixerChannel);
    channelGeneration[static_cast<std::size_t>(channel->mixerChannel)] = ++generationCounter;
  }
}
