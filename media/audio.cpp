// Sounds and channels on SDL_mixer. Short sounds are decoded once into chunks; long ones (music)
// are streamed from their compressed bytes. A channel handle remembers the generation of the mixer
// channel it was given, so a handle whose mixer channel has been reused changes nothing.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <future>
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

/// Takes the place of the ALSA library's error printer.
extern "C" void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

/// Without a sound card the ALSA library prints several lines of its own on standard error
/// while SDL tries it; the game's one line already says there is no audio device. The library
/// is the one SDL loads itself, so its printer is replaced there; without it nothing happens.
void QuietAlsaLibrary() {
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
  if (alsa == nullptr) return;
  using Printer = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetPrinter = int (*)(Printer);
  if (auto set = reinterpret_cast<SetPrinter>(dlsym(alsa, "snd_lib_error_set_handler")))
    set(&IgnoreAlsaMessage);
  // Kept loaded: the printer must stay in place for SDL's use of the library.
}

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

using TSoundKey = std::pair<std::string, bool>;  // path, looping

/// Sounds already decoded, by path and loop flag, while something still holds them: loading a
/// sound that is in use shares it. Sounds never change once loaded.
std::map<TSoundKey, std::weak_ptr<TSound>>& SoundCache() {
  static auto* cache = new std::map<TSoundKey, std::weak_ptr<TSound>>;
  return *cache;
}

/// Sounds in use when they were asked to be prepared, held until the preparation is forgotten.
std::map<TSoundKey, SoundPtr>& PinnedSounds() {
  static auto* pinned = new std::map<TSoundKey, SoundPtr>;
  return *pinned;
}

/// Samples in the device's format, in a buffer from SDL_malloc that a chunk can take over.
struct TPcm {
  Uint8* samples = nullptr;
  Uint32 length = 0;
  TPcm() = default;
  TPcm(const TPcm&) = delete;
  TPcm& operator=(const TPcm&) = delete;
  ~TPcm() { SDL_free(samples); }
  Uint8* Release() {
    Uint8* taken = samples;
    samples = nullptr;
    return taken;
  }
};

struct TDeviceFormat {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
};

/// Decodes Ogg Vorbis bytes whole and converts them to the device's format; null when they do
/// not decode. Safe on the background worker: it touches only its arguments.
std::shared_ptr<TPcm> DecodeToDevice(const media_local::TBytes& bytes,
                                     const TDeviceFormat& device) {
  MemoryReader reader{bytes.data, bytes.size, 0};
  OggVorbis_File vf;
  const ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
  if (ov_open_callbacks(&reader, &vf, nullptr, 0, callbacks) != 0) return nullptr;
  const vorbis_info* info = ov_info(&vf, -1);
  const int channels = info != nullptr ? info->channels : 0;
  const int rate = info != nullptr ? static_cast<int>(info->rate) : 0;
  std::vector<Uint8> decoded;
  const ogg_int64_t frames = ov_pcm_total(&vf, -1);
  if (frames > 0 && channels > 0) decoded.reserve(static_cast<std::size_t>(frames) * channels * 2);
  char block[4096];
  int section = 0;
  const int bigEndian = SDL_BYTEORDER == SDL_BIG_ENDIAN ? 1 : 0;
  for (;;) {
    const long got = ov_read(&vf, block, sizeof block, bigEndian, 2, 1, &section);
    if (got == OV_HOLE) continue;  // a gap in the data: go on after it
    if (got <= 0) break;
    decoded.insert(decoded.end(), block, block + got);
  }
  ov_clear(&vf);
  if (channels <= 0 || rate <= 0 || decoded.empty()) return nullptr;
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, static_cast<Uint8>(channels), rate, device.format,
                        static_cast<Uint8>(device.channels), device.frequency) < 0) {
    return nullptr;
  }
  auto pcm = std::make_shared<TPcm>();
  cvt.len = static_cast<int>(decoded.size());
  pcm->samples = static_cast<Uint8*>(SDL_malloc(static_cast<std::size_t>(cvt.len) * cvt.len_mult));
  if (pcm->samples == nullptr) return nullptr;
  std::memcpy(pcm->samples, decoded.data(), decoded.size());
  cvt.buf = pcm->samples;
  if (cvt.needed != 0 && SDL_ConvertAudio(&cvt) != 0) return nullptr;
  pcm->length = static_cast<Uint32>(cvt.needed != 0 ? cvt.len_cvt : cvt.len);
  return pcm;
}

TDeviceFormat DeviceFormat() {
  TDeviceFormat device;
  Mix_QuerySpec(&device.frequency, &device.format, &device.channels);
  return device;
}

/// Sounds the worker is decoding (or has decoded) ahead of their load.
using PreparedSound = std::shared_future<std::shared_ptr<TPcm>>;
std::map<TSoundKey, PreparedSound>& PreparedSounds() {
  static auto* prepared = new std::map<TSoundKey, PreparedSound>;
  return *prepared;
}

int soundsDecoded = 0;
int soundsPrepared = 0;
int soundsHeld = 0;

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
  QuietAlsaLibrary();
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
  // Decoded for this device: what the worker is still decoding is waited for and dropped too.
  WaitForBackground();
  SoundCache().clear();
  ForgetPreparedSounds();
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

void ForgetPreparedSounds() {
  PinnedSounds().clear();
  PreparedSounds().clear();
}

void AddSoundLoadCounts(TAssetLoadCounts& counts) {
  counts.soundsDecoded = soundsDecoded;
  counts.soundsPrepared = soundsPrepared;
  counts.soundsHeld = soundsHeld;
}

}  // namespace media_local

using namespace media_local;

bool AudioAvailable() { return audioOpen; }

namespace {

/// A sound of `key` and its length, with nothing to play yet.
SoundPtr NewSound(const TSoundKey& key, double seconds) {
  auto sound = std::make_shared<TSound>();
  TSoundData& d = *sound->data;
  d.path = key.first;
  d.seconds = seconds;
  d.loop = key.second;
  return sound;
}

/// A decoded sound on the samples of `pcm`, which its chunk takes over; null without them.
SoundPtr MakeDecodedSound(const TSoundKey& key, double seconds, TPcm& pcm) {
  SoundPtr sound = NewSound(key, seconds);
  TSoundData& d = *sound->data;
  d.chunk = Mix_QuickLoad_RAW(pcm.samples, pcm.length);
  if (d.chunk == nullptr) return nullptr;
  d.chunk->allocated = 1;  // the chunk owns the samples now: Mix_FreeChunk frees them
  pcm.Release();
  return sound;
}

}  // namespace

SoundPtr LoadSound(const std::string& path, int flags) {
  const TSoundKey key(path, (flags & SOUND_LOOP) != 0);
  if (SoundPtr sound = LockCached(SoundCache(), key)) {
    ++soundsHeld;
    return sound;
  }
  std::shared_ptr<TPcm> prepared;
  if (const auto found = PreparedSounds().find(key); found != PreparedSounds().end()) {
    prepared = media_local::Collect(found->second);
    PreparedSounds().erase(found);
  }
  media_local::TBytes bytes;
  if (!media_local::ReadAssetBytes(path, bytes)) return nullptr;
  const double seconds = VorbisSeconds(bytes);
  if (seconds < 0) return nullptr;
  OpenAudio();
  SoundPtr sound;
  if (seconds > STREAM_SECONDS) {
    sound = NewSound(key, seconds);
    sound->data->streamed = true;
    sound->data->bytes = std::move(bytes);
  } else if (audioOpen) {
    if (prepared) {
      ++soundsPrepared;
    } else {
      prepared = DecodeToDevice(bytes, DeviceFormat());
      if (!prepared) return nullptr;
      ++soundsDecoded;
    }
    sound = MakeDecodedSound(key, seconds, *prepared);
    if (!sound) return nullptr;
  } else {  // no device: a sound that plays nothing
    sound = NewSound(key, seconds);
  }
  SoundCache()[key] = sound;
  return sound;
}

void PrepareSound(const std::string& path, int flags) {
  const TSoundKey key(path, (flags & SOUND_LOOP) != 0);
  OpenAudio();
  if (!audioOpen) return;
  if (SoundPtr sound = LockCached(SoundCache(), key)) {
    PinnedSounds()[key] = std::move(sound);
    return;
  }
  if (!IsEmbeddedAsset(path) || PreparedSounds().count(key) != 0) return;
  auto bytes = std::make_shared<media_local::TBytes>();
  if (!media_local::ReadAssetBytes(path, *bytes)) return;
  const double seconds = VorbisSeconds(*bytes);
  if (seconds < 0 || seconds > STREAM_SECONDS) return;  // streamed sounds decode as they play
  PreparedSounds()[key] = media_local::DecodeInBackground<TPcm>(
      [bytes, device = DeviceFormat()] { return DecodeToDevice(*bytes, device); });
}

namespace {

float effectsVolume = 1.0f;

int MixerVolume(float volume) {
  return static_cast<int>(std::lround(std::clamp(volume, 0.0f, 1.0f) * MIX_MAX_VOLUME));
}

}  // namespace

void SetEffectsVolume(float volume) { effectsVolume = std::clamp(volume, 0.0f, 1.0f); }
float EffectsVolume() { return effectsVolume; }

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
  Mix_Volume(used, MixerVolume(effectsVolume));
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
  if (channel->streamed) {
    Mix_VolumeMusic(MixerVolume(volume));
  } else {
    Mix_Volume(channel->mixerChannel, MixerVolume(volume * effectsVolume));
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
