// Image fonts: TrueType fonts rendered at a fixed size, with rendered text cached as textures.
// The built-in default font is embedded as fonts/default.ttf.
#include <SDL.h>
#include <SDL_ttf.h>

#include <list>
#include <map>
#include <set>

#include "media/media_local.h"

namespace {

constexpr int DEFAULT_FONT_SIZE = 14;
constexpr const char* DEFAULT_FONT_ASSET = "fonts/default.ttf";
/// Used when the executable carries no asset pack (tests): the same font from the system.
constexpr const char* DEFAULT_FONT_FALLBACK = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr std::size_t TEXT_CACHE_LIMIT = 512;

struct CachedText {
  SDL_Texture* texture = nullptr;
  int width = 0;
  int height = 0;
};

// Never destroyed: fonts held by static objects may outlive any static registry.
std::set<TImageFontData*>& LiveFonts() {
  static auto* live = new std::set<TImageFontData*>;
  return *live;
}

bool EnsureTtf() {
  if (TTF_WasInit() != 0) return true;
  return TTF_Init() == 0;
}

}  // namespace

struct TImageFontData {
  std::vector<std::uint8_t> bytes;  // TTF_Font reads from these for its whole life
  TTF_Font* font = nullptr;
  int size = 0;
  // Least recently used text first.
  std::list<std::string> order;
  std::map<std::string, std::pair<CachedText, std::list<std::string>::iterator>> cache;

  TImageFontData() { LiveFonts().insert(this); }
  ~TImageFontData() {
    LiveFonts().erase(this);
    ReleaseTextures();
    if (font != nullptr && TTF_WasInit() != 0) TTF_CloseFont(font);
  }
  TImageFontData(const TImageFontData&) = delete;
  TImageFontData& operator=(const TImageFontData&) = delete;

  void ReleaseTextures() {
    for (auto& [text, entry] : cache) {
      if (entry.first.texture != nullptr) SDL_DestroyTexture(entry.first.texture);
    }
    cache.clear();
    order.clear();
  }

  /// Rendered text in white (the drawing colour modulates it); null texture for empty text.
  const CachedText* Render(const std::string& text) {
    SDL_Renderer* r = media_local::Renderer();
    if (r == nullptr || text.empty() || font == nullptr) return nullptr;
    auto found = cache.find(text);
    if (found != cache.end()) {
      order.splice(order.end(), order, found->second.second);
      return &found->second.first;
    }
    SDL_Surface* surface =
        TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (surface == nullptr) return nullptr;
    CachedText entry{SDL_CreateTextureFromSurface(r, surface), surface->w, surface->h};
    SDL_FreeSurface(surface);
    if (entry.texture == nullptr) return nullptr;
    SDL_SetTextureScaleMode(entry.texture, SDL_ScaleModeLinear);
    if (cache.size() >= TEXT_CACHE_LIMIT) {
      auto oldest = cache.find(order.front());
      SDL_DestroyTexture(oldest->second.first.texture);
      cache.erase(oldest);
      order.pop_front();
    }
    order.push_back(text);
    auto inserted = cache.emplace(text, std::make_pair(entry, std::prev(order.end())));
    return &inserted.first->second.first;
  }
};

TImageFont::TImageFont() : data(std::make_unique<TImageFontData>()) {}
TImageFont::~TImageFont() = default;
int TImageFont::Size() const { return data->size; }

namespace media_local {
void ReleaseFontTextures() {
  for (TImageFontData* f : LiveFonts()) f->ReleaseTextures();
}
}  // namespace media_local

void ForgetRenderedText() { media_local::ReleaseFontTextures(); }

using namespace media_local;

FontPtr LoadImageFont(const std::string& path, int size, int style) {
  if (size <= 0 || !EnsureTtf()) return nullptr;
  auto bytes = ReadAssetOrFile(path);
  if (!bytes || bytes->empty()) return nullptr;
  auto font = std::make_shared<TImageFont>();
  TImageFontData& d = *font->data;
  d.bytes = std::move(*bytes);
  d.size = size;
  SDL_RWops* rw = SDL_RWFromConstMem(d.bytes.data(), static_cast<int>(d.bytes.size()));
  d.font = rw != nullptr ? TTF_OpenFontRW(rw, 1, size) : nullptr;
  if (d.font == nullptr) return nullptr;
  int ttfStyle = TTF_STYLE_NORMAL;
  if ((style & BOLDFONT) != 0) ttfStyle |= TTF_STYLE_BOLD;
  if ((style & ITALICFONT) != 0) ttfStyle |= TTF_STYLE_ITALIC;
  TTF_SetFontStyle(d.font, ttfStyle);
  TTF_SetFontHinting(d.font, (style & SMOOTHFONT) != 0 ? TTF_HINTING_LIGHT : TTF_HINTING_MONO);
  return font;
}

namespace {

TImageFontData* DefaultFont() {
  static FontPtr builtIn;
  static bool tried = false;
  if (!tried) {
    tried = true;
    builtIn = LoadImageFont(DEFAULT_FONT_ASSET, DEFAULT_FONT_SIZE, SMOOTHFONT);
    if (!builtIn) builtIn = LoadImageFont(DEFAULT_FONT_FALLBACK, DEFAULT_FONT_SIZE, SMOOTHFONT);
  }
  return builtIn ? builtIn->data.get() : nullptr;
}

TImageFontData* CurrentFont() {
  const FontPtr& f = State().font;
  return f ? f->data.get() : DefaultFont();
}

}  // namespace

void SetImageFont(const FontPtr& font) { State().font = font; }
FontPtr GetImageFont() { return State().font; }

int TextWidth(const std::string& text) {
  TImageFontData* f = CurrentFont();
  if (f == nullptr || f->font == nullptr || text.empty()) return 0;
  int w = 0;
  int h = 0;
  if (TTF_SizeUTF8(f->font, text.c_str(), &w, &h) != 0) return 0;
  return w;
}

int TextHeight(const std::string& /*text*/) {
  TImageFontData* f = CurrentFont();
  if (f == nullptr || f->font == nullptr) return 0;
  return TTF_FontHeight(f->font);
}

void DrawText(const std::string& text, float x, float y) {
  const TDrawState& s = State();
  Trace(TDrawTraceEntry{"text", text, x, y, 0, 0, 0, s.rotation, s.colorR, s.colorG, s.colorB,
                        s.alpha, s.blend});
  TImageFontData* f = CurrentFont();
  if (f == nullptr) return;
  const CachedText* t = f->Render(text);
  if (t == nullptr) return;
  const SDL_FRect source{0, 0, static_cast<float>(t->width), static_cast<float>(t->height)};
  DrawTexturedQuad(t->texture, source, t->width, t->height, x + s.originX, y + s.originY, 0, 0,
                   static_cast<float>(t->width), static_cast<float>(t->height));
}
