// Internals shared by the media layer's source files: the window, renderer and drawing state,
// and the hooks between drawing, images, fonts, audio and input. Nothing outside media/ includes
// it.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/media.h"

/// One picture as the media layer holds it: the decoded sheet, the cells cut from it, the
/// texture made from it once a renderer exists, and the hit masks built on first use.
struct TImageData {
  std::string path;
  int sheetWidth = 0;
  int sheetHeight = 0;
  std::vector<std::uint32_t> pixels;  ///< 0xAARRGGBB, masking already applied
  std::vector<SDL_Rect> cells;
  SDL_Texture* texture = nullptr;
  bool textureDirty = true;
  int textureRows = 0;  ///< rows of the texture holding the pixels, when not dirty (made in steps)
  std::vector<std::vector<std::uint8_t>> masks;  ///< per cell, 1 = solid; empty until needed
  std::vector<PixmapPtr> locked;                 ///< per cell, while locked
  bool shared = false;  ///< held by the picture cache: copy before changing the pixels

  TImageData();
  ~TImageData();
  TImageData(const TImageData&) = delete;
  TImageData& operator=(const TImageData&) = delete;
};

namespace media_local {

/// The bytes of an asset or file. Embedded bytes are used where they lie (they live for the
/// whole run); a file's bytes are read into `owned`, which `data` then points into.
struct TBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::vector<std::uint8_t> owned;

  TBytes() = default;
  TBytes(TBytes&&) = default;  // a moved vector keeps its buffer, so `data` stays valid
  TBytes& operator=(TBytes&&) = default;
  TBytes(const TBytes&) = delete;
  TBytes& operator=(const TBytes&) = delete;
};
/// As ReadAssetOrFile, without copying embedded bytes; false when neither exists.
bool ReadAssetBytes(const std::string& path, TBytes& out);

/// The worker that decodes pictures and sounds ahead of time. Jobs run one at a time in the
/// order given, on a thread of their own: they may only touch what they were handed.
void RunInBackground(std::function<void()> job);
/// Returns once every job given so far has finished.
void WaitForBackground();
/// Drops the jobs that have not started yet.
void DropWaitingBackground();

/// Runs `work` in the background; its result, or an empty one when it failed (out of memory).
template <typename T>
std::shared_future<std::shared_ptr<T>> DecodeInBackground(
    std::function<std::shared_ptr<T>()> work) {
  auto promise = std::make_shared<std::promise<std::shared_ptr<T>>>();
  std::shared_future<std::shared_ptr<T>> result = promise->get_future().share();
  RunInBackground([promise, work = std::move(work)] {
    std::shared_ptr<T> value;
    try {
      value = work();
    } catch (const std::exception&) {
      value = nullptr;  // the load decodes it again itself
    }
    promise->set_value(std::move(value));
  });
  return result;
}

/// The value a cache of weak pointers holds for `key` while something else keeps it alive; an
/// expired entry is removed.
template <typename Key, typename Value>
std::shared_ptr<Value> LockCached(std::map<Key, std::weak_ptr<Value>>& cache, const Key& key) {
  const auto found = cache.find(key);
  if (found == cache.end()) return nullptr;
  std::shared_ptr<Value> value = found->second.lock();
  if (!value) cache.erase(found);
  return value;
}

/// What a background decoding handed over, waiting for it if it is still at work; empty when
/// it failed or was dropped before it started.
template <typename T>
std::shared_ptr<T> Collect(const std::shared_future<std::shared_ptr<T>>& result) {
  try {
    return result.get();
  } catch (const std::future_error&) {
    return nullptr;
  }
}
/// Ends the worker after the job at hand, dropping the ones still waiting (the window is
/// closing); a later job starts it again.
void StopBackground();

struct Window {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  bool headless = false;
  bool pacing = true;
  int hertz = 60;
  int width = SCREEN_WIDTH;
  int height = SCREEN_HEIGHT;
  // Flip's software pacing.
  int tick = 16;
  int remainder = 40;
  int fraction = 0;
  int next = 0;
  // Automation.
  int frameCount = 0;
  int frameLimit = 0;
  std::string screenshotFile;
  std::string title = "Brakkon";
  bool mouseHidden = false;
};

Window& Win();
TDrawState& State();

/// The renderer, or null before Graphics.
SDL_Renderer* Renderer();
/// Texture of an image's sheet, created or refreshed on demand; null without a renderer.
SDL_Texture* ImageTexture(TImageData& data, int flags);
/// The same, made in steps: up to `rows` more rows of the pixels brought in per call.
SDL_Texture* TextureBand(TImageData& data, int rows);
/// True when the texture holds every row of the current pixels.
bool TextureUpToDate(const TImageData& data);
/// Releases every texture made by the renderer about to be destroyed.
void ReleaseAllTextures();
void ReleaseFontTextures();

/// Applies the viewport of the drawing state as the renderer's clip rectangle.
void ApplyClip();
/// SDL blend mode and vertex alpha for the drawing state.
SDL_BlendMode BlendFor(int blend);
std::uint8_t VertexAlpha();

/// Transform of the drawing state: (u, v) from the handle lands at (x + u*ix + v*iy, y + u*jx +
/// v*jy).
struct Transform {
  float ix, iy, jx, jy;
};
Transform CurrentTransform();

/// Draws a textured quad whose image-space corners (u0,v0)-(u1,v1) are measured from the anchor
/// (ax, ay) in screen space, using the drawing state's transform, colour and blend.
void DrawTexturedQuad(SDL_Texture* texture, const SDL_FRect& source, int texWidth, int texHeight,
                      float ax, float ay, float u0, float v0, float u1, float v1);
/// Untextured triangles in the drawing state's colour and blend (screen-space points).
void DrawTriangles(const std::vector<SDL_FPoint>& points, const std::vector<int>& indices);

void Trace(const TDrawTraceEntry& entry);
bool TraceOn();

/// The sounds' part of ForgetPreparation, and of the load counts.
void ForgetPreparedSounds();
void AddSoundLoadCounts(TAssetLoadCounts& counts);
/// Video and audio subsystems.
void OpenAudio();
void CloseAudio();
/// Stops every sound at once, leaving the device open (the program is ending).
void SilenceAudio();
/// Closes the window; the audio device too when asked.
void CloseGraphics(bool closeAudio);

/// Input: pumps SDL events into the input state; resets the state when the window closes.
void PumpEvents();
void ResetInput();
void InstallSignalHandlers();

/// Reads back the whole logical screen (800x600) before it is presented.
PixmapPtr ReadScreen(int x, int y, int w, int h);

}  // namespace media_local
