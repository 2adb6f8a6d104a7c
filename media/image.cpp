// Images with cells and handles, pixel maps, pixel-exact collision and reading back the screen.
// A picture is decoded once into 32-bit pixels (mask colour already made transparent); its
// texture is made once a renderer exists, and its hit masks the first time a collision asks.
#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <tuple>

#include "media/media_local.h"

namespace {

// Never destroyed: images held by globals (the shared pictures) outlive any static registry.
std::set<TImageData*>& LiveImages() {
  static auto* live = new std::set<TImageData*>;
  return *live;
}

void EnsureImageCodecs() {
  static std::once_flag once;  // the background worker decodes too
  std::call_once(once, [] { IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG); });
}

/// Copies a decoded surface into 0xAARRGGBB pixels. The formats the decoders give for PNG and
/// JPEG are swizzled here directly; SDL's general converter (an extra surface and a slow blit)
/// is kept for the rest.
bool CopyPixels(SDL_Surface* surface, std::vector<std::uint32_t>& pixels) {
  const int w = surface->w;
  const int h = surface->h;
  const Uint32 format = surface->format->format;
  // A colour key (a PNG's transparent colour) becomes alpha only through the converter.
  const bool direct = SDL_HasColorKey(surface) == SDL_FALSE &&
                      (format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_ABGR8888 ||
                       format == SDL_PIXELFORMAT_RGB24 || format == SDL_PIXELFORMAT_BGR24);
  if (!direct) {
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
    if (argb == nullptr) return false;
    const bool ok = CopyPixels(argb, pixels);
    SDL_FreeSurface(argb);
    return ok;
  }
  pixels.resize(static_cast<std::size_t>(w) * h);
  SDL_LockSurface(surface);
  for (int y = 0; y < h; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(surface->pixels) +
                      static_cast<std::ptrdiff_t>(y) * surface->pitch;
    std::uint32_t* out = pixels.data() + static_cast<std::ptrdiff_t>(y) * w;
    if (format == SDL_PIXELFORMAT_ARGB8888) {
      std::memcpy(out, row, static_cast<std::size_t>(w) * 4);
    } else if (format == SDL_PIXELFORMAT_ABGR8888) {  // a 32-bit word 0xAABBGGRR
      for (int x = 0; x < w; ++x) {
        std::uint32_t p;
        std::memcpy(&p, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
        out[x] = (p & 0xFF00FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu);
      }
    } else {  // three bytes per pixel, in memory order R G B (RGB24) or B G R (BGR24)
      const bool rgb = format == SDL_PIXELFORMAT_RGB24;
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* q = row + static_cast<std::ptrdiff_t>(x) * 3;
        const std::uint32_t r = rgb ? q[0] : q[2];
        const std::uint32_t b = rgb ? q[2] : q[0];
        out[x] = 0xFF000000u | (r << 16) | (static_cast<std::uint32_t>(q[1]) << 8) | b;
      }
    }
  }
  SDL_UnlockSurface(surface);
  return true;
}

enum class TPictureFormat { unknown, png, jpeg };

/// The format the first bytes announce and the size the header claims (0 x 0 when it says none).
struct TPictureHeader {
  TPictureFormat format = TPictureFormat::unknown;
  long long width = 0;
  long long height = 0;
};

unsigned BigEndian16(const std::uint8_t* p) { return (static_cast<unsigned>(p[0]) << 8) | p[1]; }
std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

/// Reads the signature and the size: a PNG's IHDR chunk, which must come first, or a JPEG's first
/// start-of-frame segment, found by walking the segments before it.
TPictureHeader ReadPictureHeader(const std::uint8_t* data, std::size_t size) {
  static constexpr std::uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  TPictureHeader header;
  if (size >= 8 && std::memcmp(data, PNG_SIGNATURE, 8) == 0) {
    header.format = TPictureFormat::png;
    if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0) {
      header.width = BigEndian32(data + 16);
      header.height = BigEndian32(data + 20);
    }
    return header;
  }
  if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return header;
  header.format = TPictureFormat::jpeg;
  std::size_t at = 2;
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return header;
    const std::uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // segments without a length
      at += 2;
      continue;
    }
    const unsigned length = BigEndian16(data + at + 2);
    const bool startOfFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (length >= 7 && at + 9 <= size) {
        header.height = BigEndian16(data + at + 5);
        header.width = BigEndian16(data + at + 7);
      }
      return header;
    }
    if (marker == 0xDA || marker == 0xD9 || length < 2)
      return header;  // image data before any frame
    at += 2 + length;
  }
  return header;
}

/// Why the bytes are not decoded, or "" when they may be.
std::string RefusalOf(const TPictureHeader& header) {
  if (header.format == TPictureFormat::unknown) return "is neither PNG nor JPEG";
  if (header.width <= 0 || header.height <= 0) return "has a header that gives no size";
  if (header.width > MAX_PICTURE_SIDE || header.height > MAX_PICTURE_SIDE ||
      header.width * header.height > MAX_PICTURE_PIXELS) {
    return "claims " + std::to_string(header.width) + " x " + std::to_string(header.height) +
           " pixels, more than " + std::to_string(MAX_PICTURE_SIDE) + " on a side or " +
           std::to_string(MAX_PICTURE_PIXELS) + " in all";
  }
  return "";
}

/// Decodes PNG or JPEG bytes to 0xAARRGGBB pixels. Bytes of another format, or whose header
/// claims too large a picture, are not handed to a decoder: `refusal` says why.
bool Decode(const media_local::TBytes& bytes, int& width, int& height,
            std::vector<std::uint32_t>& pixels, std::string* refusal = nullptr) {
  // An empty asset is a missing picture, not a foreign one (the level tools empty the pictures
  // they never draw).
  if (bytes.size == 0) return false;
  const TPictureHeader header = ReadPictureHeader(bytes.data, bytes.size);
  if (std::string why = RefusalOf(header); !why.empty()) {
    if (refusal != nullptr) *refusal = std::move(why);
    return false;
  }
  EnsureImageCodecs();
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data, static_cast<int>(bytes.size));
  if (rw == nullptr) return false;
  SDL_Surface* loaded =
      header.format == TPictureFormat::png ? IMG_LoadPNG_RW(rw) : IMG_LoadJPG_RW(rw);
  SDL_RWclose(rw);
  if (loaded == nullptr) return false;
  // NOTE: the decoder's own size is what counts: a header may lie about it.
  if (RefusalOf({header.format, loaded->w, loaded->h}).empty()) {
    width = loaded->w;
    height = loaded->h;
    const bool ok = CopyPixels(loaded, pixels);
    SDL_FreeSurface(loaded);
    return ok;
  }
  SDL_FreeSurface(loaded);
  return false;
}

/// Paths of the pictures refused so far: each is reported once.
std::set<std::string>& RefusedPictures() {
  static auto* refused = new std::set<std::string>;
  return *refused;
}

/// Reads a picture's bytes; a file on disk larger than any picture the game takes is not read.
bool ReadPictureBytes(const std::string& path, media_local::TBytes& bytes, std::string& refusal) {
  constexpr std::uintmax_t MAX_PICTURE_FILE_BYTES = 256u << 20;
  if (!IsEmbeddedAsset(path)) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > MAX_PICTURE_FILE_BYTES) {
      refusal = "has " + std::to_string(size) + " bytes, more than the " +
                std::to_string(MAX_PICTURE_FILE_BYTES) + " a picture file may have";
      return false;
    }
  }
  return media_local::ReadAssetBytes(path, bytes);
}

void ReportRefusal(const std::string& path, const std::string& why) {
  if (why.empty() || !RefusedPictures().insert(path).second) return;
  std::fprintf(stderr, "brakkon: the picture %s %s; it is not decoded\n", path.c_str(),
               why.c_str());
}

/// Gives fully transparent pixels the colour of an opaque neighbour, so that filtered drawing
/// does not pull dark fringes in from the transparent surroundings. Two passes: the first takes
/// the first opaque neighbour (left, right, up, down), the second also a transparent neighbour
/// that has a colour. Each pass reads the picture as the previous one left it; only the few
/// pixels that change are written, so large pictures cost two quick scans.
void BleedTransparentColour(std::vector<std::uint32_t>& px, int w, int h) {
  std::vector<std::pair<std::size_t, std::uint32_t>> changes;
  for (int pass = 0; pass < 2; ++pass) {
    // The bits that make a neighbour count: alpha in the first pass, alpha or colour in the second.
    const std::uint32_t counts = pass == 0 ? 0xFF000000u : 0xFFFFFFFFu;
    changes.clear();
    for (int y = 0; y < h; ++y) {
      const std::uint32_t* row = px.data() + static_cast<std::ptrdiff_t>(y) * w;
      const std::uint32_t* up = y > 0 ? row - w : nullptr;
      const std::uint32_t* down = y + 1 < h ? row + w : nullptr;
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = row[x];
        if ((p >> 24) != 0) continue;
        std::uint32_t n = 0;
        if (x > 0 && (row[x - 1] & counts) != 0)
          n = row[x - 1];
        else if (x + 1 < w && (row[x + 1] & counts) != 0)
          n = row[x + 1];
        else if (up != nullptr && (up[x] & counts) != 0)
          n = up[x];
        else if (down != nullptr && (down[x] & counts) != 0)
          n = down[x];
        else
          continue;
        if ((n & 0x00FFFFFF) != p)
          changes.emplace_back(static_cast<std::size_t>(y) * w + x, n & 0x00FFFFFF);
      }
    }
    for (const auto& [i, colour] : changes) px[i] = colour;
  }
}

/// Makes the mask colour transparent (masked pictures) and bleeds colour into the clear pixels.
void FinishPixels(std::vector<std::uint32_t>& pixels, int w, int h, int flags,
                  std::uint32_t maskColor) {
  if ((flags & MASKEDIMAGE) != 0) {
    const std::uint32_t mask = maskColor & 0xFFFFFF;
    for (std::uint32_t& p : pixels) {
      if ((p & 0xFFFFFF) == mask) p = 0;
    }
  }
  BleedTransparentColour(pixels, w, h);
}

int NormaliseFlags(int flags) { return flags < 0 ? (MASKEDIMAGE | FILTEREDIMAGE) : flags; }

ImagePtr MakeImage(const std::string& path, int sheetWidth, int sheetHeight,
                   std::vector<std::uint32_t> pixels, int flags) {
  auto image = std::make_shared<TImage>();
  image->flags = NormaliseFlags(flags);
  TImageData& d = *image->data;
  d.path = path;
  d.sheetWidth = sheetWidth;
  d.sheetHeight = sheetHeight;
  d.pixels = std::move(pixels);
  FinishPixels(d.pixels, sheetWidth, sheetHeight, image->flags, image->maskColor);
  return image;
}

/// A picture file and how it is loaded: flags and cells (cell width 0: the whole picture).
struct TPictureKey {
  std::string path;
  int flags, cellWidth, cellHeight, firstCell, cellCount;
  bool operator<(const TPictureKey& o) const {
    return std::tie(path, flags, cellWidth, cellHeight, firstCell, cellCount) <
           std::tie(o.path, o.flags, o.cellWidth, o.cellHeight, o.firstCell, o.cellCount);
  }
};

/// Decoded pictures by key while some image still uses them: the images of one level that show
/// the same picture share it.
std::map<TPictureKey, std::weak_ptr<TImageData>>& PictureCache() {
  static auto* cache = new std::map<TPictureKey, std::weak_ptr<TImageData>>;
  return *cache;
}

/// Pictures in use when they were asked to be prepared: held here until the preparation is
/// forgotten, so that a level which shows them again finds them even if the level showing them
/// now ends first.
std::map<TPictureKey, std::shared_ptr<TImageData>>& PinnedPictures() {
  static auto* pinned = new std::map<TPictureKey, std::shared_ptr<TImageData>>;
  return *pinned;
}

/// A picture decoded by the background worker: pixels finished, no cells, no texture yet.
struct TDecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};
using PreparedPicture = std::shared_future<std::shared_ptr<TDecodedPicture>>;
std::map<TPictureKey, PreparedPicture>& PreparedPictures() {
  static auto* prepared = new std::map<TPictureKey, PreparedPicture>;
  return *prepared;
}

TAssetLoadCounts loadCounts;

/// Decodes and finishes a picture loaded from a file (mask colour black, as a new image has it);
/// null when it does not decode. Safe on the worker: it touches only its arguments.
std::shared_ptr<TDecodedPicture> DecodePicture(const media_local::TBytes& bytes, int flags,
                                               std::string* refusal = nullptr) {
  auto decoded = std::make_shared<TDecodedPicture>();
  if (!Decode(bytes, decoded->width, decoded->height, decoded->pixels, refusal) ||
      decoded->width <= 0 || decoded->height <= 0) {
    return nullptr;
  }
  FinishPixels(decoded->pixels, decoded->width, decoded->height, flags, 0x000000);
  return decoded;
}

/// The picture of `decoded` cut into the cells of `key`; null when the cells do not fit.
std::shared_ptr<TImageData> MakeData(const TPictureKey& key, TDecodedPicture& decoded) {
  const int columns = key.cellWidth > 0 ? decoded.width / key.cellWidth : 1;
  const int rows = key.cellWidth > 0 ? decoded.height / key.cellHeight : 1;
  if (columns <= 0 || rows <= 0) return nullptr;
  auto data = std::make_shared<TImageData>();
  data->path = key.path;
  data->sheetWidth = decoded.width;
  data->sheetHeight = decoded.height;
  data->pixels = std::move(decoded.pixels);
  if (key.cellWidth == 0) {
    data->cells.push_back(SDL_Rect{0, 0, data->sheetWidth, data->sheetHeight});
  } else {
    for (int k = 0; k < key.cellCount; ++k) {
      const int cell = key.firstCell + k;
      if (cell >= columns * rows) break;  // a sheet with fewer cells keeps the ones it has
      data->cells.push_back(SDL_Rect{(cell % columns) * key.cellWidth,
                                     (cell / columns) * key.cellHeight, key.cellWidth,
                                     key.cellHeight});
    }
    if (data->cells.empty()) return nullptr;
  }
  data->shared = true;
  return data;
}

/// The picture of `key`: shared while in use (or pinned), prepared by the worker (waiting for it
/// if it is still at work), or decoded now. Null when it cannot be had.
std::shared_ptr<TImageData> FindOrDecode(const TPictureKey& key) {
  if (std::shared_ptr<TImageData> data = media_local::LockCached(PictureCache(), key)) {
    ++loadCounts.picturesHeld;
    return data;
  }
  std::shared_ptr<TDecodedPicture> decoded;
  if (const auto found = PreparedPictures().find(key); found != PreparedPictures().end()) {
    decoded = media_local::Collect(found->second);
    PreparedPictures().erase(found);
    if (decoded) ++loadCounts.picturesPrepared;
  }
  if (!decoded) {
    media_local::TBytes bytes;
    std::string refusal;
    if (!ReadPictureBytes(key.path, bytes, refusal)) {
      ReportRefusal(key.path, refusal);
      return nullptr;
    }
    decoded = DecodePicture(bytes, key.flags, &refusal);
    ReportRefusal(key.path, refusal);
    if (!decoded) return nullptr;
    ++loadCounts.picturesDecoded;
  }
  std::shared_ptr<TImageData> data = MakeData(key, *decoded);
  if (!data) return nullptr;
  PictureCache()[key] = data;
  return data;
}

/// A new image on the picture of `key`, its texture made when a renderer exists.
ImagePtr LoadPicture(const TPictureKey& key) {
  std::shared_ptr<TImageData> data = FindOrDecode(key);
  if (!data) return nullptr;
  auto image = std::make_shared<TImage>();
  image->data = std::move(data);
  image->flags = key.flags;
  image->width = image->data->cells.front().w;
  image->height = image->data->cells.front().h;
  if (media_local::Renderer() != nullptr) media_local::ImageTexture(*image->data, image->flags);
  return image;
}

/// Pins the picture of `key` when it is in use, else asks the worker to decode it (embedded
/// pictures only, once).
void PreparePicture(const TPictureKey& key) {
  if (std::shared_ptr<TImageData> data = media_local::LockCached(PictureCache(), key)) {
    PinnedPictures()[key] = std::move(data);
    return;
  }
  if (!IsEmbeddedAsset(key.path) || PreparedPictures().count(key) != 0) return;
  auto bytes = std::make_shared<media_local::TBytes>();
  if (!media_local::ReadAssetBytes(key.path, *bytes)) return;
  PreparedPictures()[key] = media_local::DecodeInBackground<TDecodedPicture>(
      [bytes, flags = key.flags] { return DecodePicture(*bytes, flags); });
}

/// The key of a sheet cut into cells; none when the cells make no sense.
std::optional<TPictureKey> SheetKey(const std::string& path, int cellWidth, int cellHeight,
                                    int firstCell, int cellCount, int flags) {
  if (cellWidth <= 0 || cellHeight <= 0 || cellCount <= 0 || firstCell < 0) return std::nullopt;
  return TPictureKey{path, NormaliseFlags(flags), cellWidth, cellHeight, firstCell, cellCount};
}

/// Gives an image a picture of its own before its pixels change.
void MakePrivate(TImage& image) {
  if (!image.data->shared) return;
  auto copy = std::make_shared<TImageData>();
  const TImageData& d = *image.data;
  copy->path = d.path;
  copy->sheetWidth = d.sheetWidth;
  copy->sheetHeight = d.sheetHeight;
  copy->pixels = d.pixels;
  copy->cells = d.cells;
  copy->masks = d.masks;
  image.data = std::move(copy);
}

bool ValidFrame(const ImagePtr& image, int frame) {
  return image && frame >= 0 && frame < static_cast<int>(image->data->cells.size());
}

const std::vector<std::uint8_t>& CellMask(TImage& image, int frame) {
  TImageData& d = *image.data;
  if (d.masks.size() != d.cells.size()) d.masks.assign(d.cells.size(), {});
  std::vector<std::uint8_t>& mask = d.masks[static_cast<std::size_t>(frame)];
  if (mask.empty()) {
    const SDL_Rect& c = d.cells[static_cast<std::size_t>(frame)];
    mask.resize(static_cast<std::size_t>(c.w) * c.h);
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        const std::uint32_t p =
            d.pixels[static_cast<std::size_t>(c.y + y) * d.sheetWidth + c.x + x];
        mask[static_cast<std::size_t>(y) * c.w + x] = (p >> 24) != 0 ? 1 : 0;
      }
    }
  }
  return mask;
}

SDL_Surface* SurfaceOf(const TPixmap& pixmap) {
  return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixmap.pixels.data()),
                                            pixmap.width, pixmap.height, 32, pixmap.width * 4,
                                            SDL_PIXELFORMAT_ARGB8888);
}

bool SaveWith(const PixmapPtr& pixmap, const std::string& fileName,
              int (*writer)(SDL_Surface*, SDL_RWops*, int), int quality) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0 || fileName.empty()) return false;
  // The picture goes to a temporary file of its own beside the target (WriteFileAtomic's rules).
  const std::string target = FollowedPath(fileName);
  if (target.empty()) return false;
  EnsureImageCodecs();
  SDL_Surface* surface = SurfaceOf(*pixmap);
  if (surface == nullptr) return false;
  std::string tmp;
  const int fd = CreateTemporaryBeside(target, tmp);
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
  if (file == nullptr && fd >= 0) ::close(fd);
  SDL_RWops* out = file == nullptr ? nullptr : SDL_RWFromFP(file, SDL_FALSE);
  bool ok = out != nullptr && writer(surface, out, quality) == 0;
  if (out != nullptr) SDL_RWclose(out);
  if (file != nullptr)
    ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0 && std::fclose(file) == 0 && ok;
  SDL_FreeSurface(surface);
  if (tmp.empty()) return false;
  if (!ok || std::rename(tmp.c_str(), target.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

int WritePng(SDL_Surface* s, SDL_RWops* out, int /*quality*/) { return IMG_SavePNG_RW(s, out, 0); }
int WriteJpeg(SDL_Surface* s, SDL_RWops* out, int quality) {
  return IMG_SaveJPG_RW(s, out, 0, quality);
}

}  // namespace

// [SECTION] Image objects ----------------------------------------------------------------------

TImageData::TImageData() { LiveImages().insert(this); }
TImageData::~TImageData() {
  LiveImages().erase(this);
  if (texture != nullptr) SDL_DestroyTexture(texture);
}

TImage::TImage() : data(std::make_shared<TImageData>()) {}
TImage::~TImage() = default;
const std::string& TImage::Path() const { return data->path; }
int TImage::CellCount() const { return static_cast<int>(data->cells.size()); }
int TImage::CellWidth() const { return data->cells.empty() ? 0 : data->cells[0].w; }
int TImage::CellHeight() const { return data->cells.empty() ? 0 : data->cells[0].h; }

namespace media_local {

bool TextureUpToDate(const TImageData& d) {
  return d.texture != nullptr && !d.textureDirty && d.textureRows >= d.sheetHeight;
}

/// The texture of `d`, made if there is none, with up to `rows` more rows of its pixels brought
/// in (from the top again when the pixels changed).
SDL_Texture* TextureBand(TImageData& d, int rows) {
  SDL_Renderer* r = Renderer();
  if (r == nullptr || d.sheetWidth <= 0 || d.sheetHeight <= 0) return nullptr;
  if (d.texture == nullptr) {
    d.texture = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                  d.sheetWidth, d.sheetHeight);
    if (d.texture == nullptr) return nullptr;
    d.textureDirty = true;
  }
  if (d.textureDirty) {
    d.textureRows = 0;
    d.textureDirty = false;
  }
  const int end = std::min(d.textureRows + std::max(rows, 0), d.sheetHeight);
  if (end > d.textureRows) {
    const SDL_Rect band{0, d.textureRows, d.sheetWidth, end - d.textureRows};
    SDL_UpdateTexture(d.texture, &band,
                      d.pixels.data() + static_cast<std::size_t>(d.textureRows) * d.sheetWidth,
                      d.sheetWidth * 4);
    d.textureRows = end;
  }
  return d.texture;
}

SDL_Texture* ImageTexture(TImageData& d, int flags) {
  SDL_Texture* texture = TextureBand(d, d.sheetHeight);
  if (texture != nullptr) {
    SDL_SetTextureScaleMode(
        texture, (flags & FILTEREDIMAGE) != 0 ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  }
  return texture;
}

void ReleaseAllTextures() {
  for (TImageData* d : LiveImages()) {
    if (d->texture != nullptr) SDL_DestroyTexture(d->texture);
    d->texture = nullptr;
    d->textureDirty = true;
  }
}

PixmapPtr ReadScreen(int x, int y, int w, int h) {
  SDL_Renderer* r = Renderer();
  if (r == nullptr || w <= 0 || h <= 0) return nullptr;
  // The renderer draws at the window's resolution: read the letterboxed picture, then bring it
  // back to logical pixels.
  float sx = 1;
  float sy = 1;
  SDL_RenderGetScale(r, &sx, &sy);
  SDL_Rect viewport;
  SDL_RenderGetViewport(r, &viewport);
  const int outW = std::max(1, static_cast<int>(std::lround(viewport.w * sx)));
  const int outH = std::max(1, static_cast<int>(std::lround(viewport.h * sy)));
  auto full = std::make_shared<TPixmap>();
  full->width = outW;
  full->height = outH;
  full->pixels.assign(static_cast<std::size_t>(outW) * outH, 0);
  SDL_RenderSetClipRect(r, nullptr);
  if (SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, full->pixels.data(), outW * 4) !=
      0) {
    return nullptr;
  }
  for (std::uint32_t& p : full->pixels) p |= 0xFF000000;
  const int logicalW = Win().width;
  const int logicalH = Win().height;
  PixmapPtr logical =
      (outW == logicalW && outH == logicalH) ? full : ResizePixmap(full, logicalW, logicalH);
  if (x == 0 && y == 0 && w == logicalW && h == logicalH) return logical;
  auto part = CreatePixmap(w, h);
  for (int yy = 0; yy < h; ++yy) {
    for (int xx = 0; xx < w; ++xx) part->WritePixel(xx, yy, logical->ReadPixel(x + xx, y + yy));
  }
  return part;
}

}  // namespace media_local

using namespace media_local;

// [SECTION] Loading and creating ----------------------------------------------------------------

ImagePtr LoadAnimImage(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                       int cellCount, int flags) {
  const std::optional<TPictureKey> key =
      SheetKey(path, cellWidth, cellHeight, firstCell, cellCount, flags);
  return key ? LoadPicture(*key) : nullptr;
}

bool PictureRefused(const std::string& path) { return RefusedPictures().count(path) != 0; }

ImagePtr LoadImage(const std::string& path, int flags) {
  return LoadPicture(TPictureKey{path, NormaliseFlags(flags), 0, 0, 0, 0});
}

void PrepareImage(const std::string& path, int flags) {
  PreparePicture(TPictureKey{path, NormaliseFlags(flags), 0, 0, 0, 0});
}

void PrepareAnimImage(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                      int cellCount, int flags) {
  if (const std::optional<TPictureKey> key =
          SheetKey(path, cellWidth, cellHeight, firstCell, cellCount, flags)) {
    PreparePicture(*key);
  }
}

void WaitForPreparation() { media_local::WaitForBackground(); }

bool AdvancePreparation(int microseconds) {
  if (media_local::Renderer() == nullptr) return false;
  const Uint64 start = SDL_GetPerformanceCounter();
  const Uint64 allowed =
      SDL_GetPerformanceFrequency() * static_cast<Uint64>(std::max(microseconds, 0)) / 1000000;
  const auto timeLeft = [&] { return SDL_GetPerformanceCounter() - start < allowed; };
  // Pictures the worker has finished become held pictures, their textures still to be made.
  for (auto it = PreparedPictures().begin(); it != PreparedPictures().end();) {
    if (it->second.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      ++it;
      continue;
    }
    if (std::shared_ptr<TDecodedPicture> decoded = media_local::Collect(it->second)) {
      if (std::shared_ptr<TImageData> data = MakeData(it->first, *decoded)) {
        ++loadCounts.picturesPrepared;
        PictureCache()[it->first] = data;
        PinnedPictures()[it->first] = std::move(data);
      }
    }
    it = PreparedPictures().erase(it);
  }
  // Their textures, a band of rows at a time, until the time is up.
  constexpr std::size_t BAND_BYTES = 256u << 10;
  bool more = !PreparedPictures().empty();
  for (auto& [key, data] : PinnedPictures()) {
    if (media_local::TextureUpToDate(*data)) continue;
    if (!timeLeft()) return true;
    const int band = std::max(
        1, static_cast<int>(BAND_BYTES / (static_cast<std::size_t>(data->sheetWidth) * 4)));
    bool made = true;  // a texture the renderer refuses is left to the load, not tried every frame
    while (made && !media_local::TextureUpToDate(*data) && timeLeft()) {
      made = media_local::TextureBand(*data, band) != nullptr;
    }
    more = more || (made && !media_local::TextureUpToDate(*data));
  }
  return more;
}

TAssetLoadCounts AssetLoadCounts() {
  TAssetLoadCounts counts = loadCounts;
  media_local::AddSoundLoadCounts(counts);
  return counts;
}

void ForgetPreparation() {
  media_local::DropWaitingBackground();
  PinnedPictures().clear();
  PreparedPictures().clear();
  media_local::ForgetPreparedSounds();
}

ImagePtr CreateImage(int width, int height, int frames, int flags) {
  if (width <= 0 || height <= 0 || frames <= 0) return nullptr;
  auto image = std::make_shared<TImage>();
  image->flags = NormaliseFlags(flags);
  TImageData& d = *image->data;
  d.sheetWidth = width * frames;
  d.sheetHeight = height;
  d.pixels.assign(static_cast<std::size_t>(d.sheetWidth) * height, 0);
  for (int f = 0; f < frames; ++f) d.cells.push_back(SDL_Rect{f * width, 0, width, height});
  image->width = width;
  image->height = height;
  return image;
}

ImagePtr LoadImageFromPixmap(const PixmapPtr& pixmap, int flags) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
  ImagePtr image = MakeImage("", pixmap->width, pixmap->height, pixmap->pixels, flags);
  image->data->cells.push_back(SDL_Rect{0, 0, pixmap->width, pixmap->height});
  image->width = pixmap->width;
  image->height = pixmap->height;
  return image;
}

PixmapPtr LockImage(const ImagePtr& image, int frame) {
  if (!ValidFrame(image, frame)) return nullptr;
  MakePrivate(*image);
  TImageData& d = *image->data;
  if (d.locked.size() != d.cells.size()) d.locked.resize(d.cells.size());
  auto& locked = d.locked[static_cast<std::size_t>(frame)];
  if (!locked) {
    const SDL_Rect& c = d.cells[static_cast<std::size_t>(frame)];
    locked = CreatePixmap(c.w, c.h);
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        locked->pixels[static_cast<std::size_t>(y) * c.w + x] =
            d.pixels[static_cast<std::size_t>(c.y + y) * d.sheetWidth + c.x + x];
      }
    }
  }
  return locked;
}

void UnlockImage(const ImagePtr& image, int frame) {
  if (!ValidFrame(image, frame)) return;
  TImageData& d = *image->data;
  if (d.locked.size() != d.cells.size() || !d.locked[static_cast<std::size_t>(frame)]) return;
  const TPixmap& p = *d.locked[static_cast<std::size_t>(frame)];
  const SDL_Rect& c = d.cells[static_cast<std::size_t>(frame)];
  for (int y = 0; y < std::min(c.h, p.height); ++y) {
    for (int x = 0; x < std::min(c.w, p.width); ++x) {
      d.pixels[static_cast<std::size_t>(c.y + y) * d.sheetWidth + c.x + x] =
          p.pixels[static_cast<std::size_t>(y) * p.width + x];
    }
  }
  d.locked[static_cast<std::size_t>(frame)].reset();
  d.textureDirty = true;
  d.masks.clear();
}

void MidHandleImage(const ImagePtr& image) {
  if (!image) return;
  image->handle_x = static_cast<float>(image->width) / 2;
  image->handle_y = static_cast<float>(image->height) / 2;
}

void SetImageHandle(const ImagePtr& image, float x, float y) {
  if (!image) return;
  image->handle_x = x;
  image->handle_y = y;
}

int ImageWidth(const ImagePtr& image) { return image ? image->width : 0; }
int ImageHeight(const ImagePtr& image) { return image ? image->height : 0; }

// [SECTION] Drawing ----------------------------------------------------------------------------

namespace {

void TraceImage(const char* op, const ImagePtr& image, float x, float y, float w, float h,
                int frame) {
  if (!TraceOn()) return;
  const TDrawState& s = State();
  Trace(TDrawTraceEntry{op, image->data->path, x, y, w, h, frame, s.rotation, s.colorR, s.colorG,
                        s.colorB, s.alpha, s.blend});
}

void DrawCell(const ImagePtr& image, int frame, float ax, float ay, float u0, float v0, float u1,
              float v1) {
  TImageData& d = *image->data;
  SDL_Texture* texture = ImageTexture(d, image->flags);
  if (texture == nullptr) return;
  const SDL_Rect& c = d.cells[static_cast<std::size_t>(frame)];
  const SDL_FRect source{static_cast<float>(c.x), static_cast<float>(c.y), static_cast<float>(c.w),
                         static_cast<float>(c.h)};
  DrawTexturedQuad(texture, source, d.sheetWidth, d.sheetHeight, ax, ay, u0, v0, u1, v1);
}

}  // namespace

void DrawImage(const ImagePtr& image, float x, float y, int frame) {
  if (!ValidFrame(image, frame)) return;
  TraceImage("image", image, x, y, static_cast<float>(image->width),
             static_cast<float>(image->height), frame);
  const TDrawState& s = State();
  DrawCell(image, frame, x + s.originX, y + s.originY, -image->handle_x, -image->handle_y,
           static_cast<float>(image->width) - image->handle_x,
           static_cast<float>(image->height) - image->handle_y);
}

void DrawImageRect(const ImagePtr& image, float x, float y, float w, float h, int frame) {
  if (!ValidFrame(image, frame)) return;
  TraceImage("imagerect", image, x, y, w, h, frame);
  const TDrawState& s = State();
  // The handle keeps its place relative to the picture as it is stretched.
  const float hx = image->width != 0 ? image->handle_x * w / static_cast<float>(image->width) : 0;
  const float hy = image->height != 0 ? image->handle_y * h / static_cast<float>(image->height) : 0;
  DrawCell(image, frame, x + s.originX, y + s.originY, -hx, -hy, w - hx, h - hy);
}

// [SECTION] Collision --------------------------------------------------------------------------

namespace {

/// One frame placed as DrawImage would draw it: screen = anchor + M * (local - handle).
struct Placed {
  TImage* image;
  int frame;
  float ax, ay;
  float ix, iy, jx, jy;
  float inv00, inv01, inv10, inv11;  // inverse of M
  float minX, minY, maxX, maxY;
};

bool PlaceFrame(const ImagePtr& image, int x, int y, int frame, Placed& out) {
  const TDrawState& s = State();
  const Transform t = CurrentTransform();
  const float det = t.ix * t.jy - t.iy * t.jx;
  if (std::fabs(det) < 1e-12f || image->width <= 0 || image->height <= 0) return false;
  out = Placed{image.get(),
               frame,
               static_cast<float>(x) + s.originX,
               static_cast<float>(y) + s.originY,
               t.ix,
               t.iy,
               t.jx,
               t.jy,
               t.jy / det,
               -t.iy / det,
               -t.jx / det,
               t.ix / det,
               0,
               0,
               0,
               0};
  const float u0 = -image->handle_x;
  const float v0 = -image->handle_y;
  const float u1 = static_cast<float>(image->width) - image->handle_x;
  const float v1 = static_cast<float>(image->height) - image->handle_y;
  const float us[4] = {u0, u1, u1, u0};
  const float vs[4] = {v0, v0, v1, v1};
  out.minX = out.minY = 1e30f;
  out.maxX = out.maxY = -1e30f;
  for (int k = 0; k < 4; ++k) {
    const float px = out.ax + us[k] * t.ix + vs[k] * t.iy;
    const float py = out.ay + us[k] * t.jx + vs[k] * t.jy;
    out.minX = std::min(out.minX, px);
    out.maxX = std::max(out.maxX, px);
    out.minY = std::min(out.minY, py);
    out.maxY = std::max(out.maxY, py);
  }
  return true;
}

/// Whether the frame has a solid pixel under the screen point (sx, sy).
bool SolidAt(const Placed& p, const std::vector<std::uint8_t>& mask, float sx, float sy) {
  const float dx = sx - p.ax;
  const float dy = sy - p.ay;
  const float u = p.inv00 * dx + p.inv01 * dy + p.image->handle_x;
  const float v = p.inv10 * dx + p.inv11 * dy + p.image->handle_y;
  if (u < 0 || v < 0 || u >= static_cast<float>(p.image->width) ||
      v >= static_cast<float>(p.image->height)) {
    return false;
  }
  const SDL_Rect& c = p.image->data->cells[static_cast<std::size_t>(p.frame)];
  const int tx = std::min(
      c.w - 1, static_cast<int>(u * static_cast<float>(c.w) / static_cast<float>(p.image->width)));
  const int ty = std::min(
      c.h - 1, static_cast<int>(v * static_cast<float>(c.h) / static_cast<float>(p.image->height)));
  return mask[static_cast<std::size_t>(ty) * c.w + tx] != 0;
}

}  // namespace

bool ImagesCollide(const ImagePtr& image1, int x1, int y1, int frame1, const ImagePtr& image2,
                   int x2, int y2, int frame2) {
  if (!ValidFrame(image1, frame1) || !ValidFrame(image2, frame2)) return false;
  Placed a{};
  Placed b{};
  if (!PlaceFrame(image1, x1, y1, frame1, a) || !PlaceFrame(image2, x2, y2, frame2, b))
    return false;
  const float minX = std::max(a.minX, b.minX);
  const float minY = std::max(a.minY, b.minY);
  const float maxX = std::min(a.maxX, b.maxX);
  const float maxY = std::min(a.maxY, b.maxY);
  if (minX >= maxX || minY >= maxY) return false;
  const auto& maskA = CellMask(*image1, frame1);
  const auto& maskB = CellMask(*image2, frame2);
  const int startX = static_cast<int>(std::floor(minX));
  const int startY = static_cast<int>(std::floor(minY));
  const int endX = static_cast<int>(std::ceil(maxX));
  const int endY = static_cast<int>(std::ceil(maxY));
  for (int py = startY; py < endY; ++py) {
    const float sy = static_cast<float>(py) + 0.5f;
    for (int px = startX; px < endX; ++px) {
      const float sx = static_cast<float>(px) + 0.5f;
      if (SolidAt(a, maskA, sx, sy) && SolidAt(b, maskB, sx, sy)) return true;
    }
  }
  return false;
}

// [SECTION] Pixel maps -------------------------------------------------------------------------

std::uint32_t TPixmap::ReadPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[static_cast<std::size_t>(y) * width + x];
}

void TPixmap::WritePixel(int x, int y, std::uint32_t argb) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  pixels[static_cast<std::size_t>(y) * width + x] = argb;
}

PixmapPtr CreatePixmap(int width, int height) {
  auto p = std::make_shared<TPixmap>();
  p->width = std::max(width, 0);
  p->height = std::max(height, 0);
  p->pixels.assign(static_cast<std::size_t>(p->width) * p->height, 0);
  return p;
}

PixmapPtr GrabPixmap(int x, int y, int w, int h) { return ReadScreen(x, y, w, h); }

PixmapPtr ResizePixmap(const PixmapPtr& pixmap, int width, int height) {
  if (!pixmap || width <= 0 || height <= 0 || pixmap->width <= 0 || pixmap->height <= 0)
    return nullptr;
  auto out = CreatePixmap(width, height);
  const TPixmap& src = *pixmap;
  const bool shrink = src.width >= width && src.height >= height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double acc[4] = {0, 0, 0, 0};
      if (shrink) {
        // Box filter: the average of every source pixel the target pixel covers.
        const int x0 = x * src.width / width;
        const int x1 = std::max(x0 + 1, (x + 1) * src.width / width);
        const int y0 = y * src.height / height;
        const int y1 = std::max(y0 + 1, (y + 1) * src.height / height);
        for (int sy = y0; sy < y1; ++sy) {
          for (int sx = x0; sx < x1; ++sx) {
            const std::uint32_t p = src.ReadPixel(sx, sy);
            for (int c = 0; c < 4; ++c) acc[c] += (p >> (8 * c)) & 0xFF;
          }
        }
        const double n = static_cast<double>((x1 - x0) * (y1 - y0));
        for (double& a : acc) a /= n;
      } else {
        const double fx = std::clamp((x + 0.5) * src.width / width - 0.5, 0.0, src.width - 1.0);
        const double fy = std::clamp((y + 0.5) * src.height / height - 0.5, 0.0, src.height - 1.0);
        const int ix = static_cast<int>(fx);
        const int iy = static_cast<int>(fy);
        const double tx = fx - ix;
        const double ty = fy - iy;
        const std::uint32_t p00 = src.ReadPixel(ix, iy);
        const std::uint32_t p10 = src.ReadPixel(std::min(ix + 1, src.width - 1), iy);
        const std::uint32_t p01 = src.ReadPixel(ix, std::min(iy + 1, src.height - 1));
        const std::uint32_t p11 =
            src.ReadPixel(std::min(ix + 1, src.width - 1), std::min(iy + 1, src.height - 1));
        for (int c = 0; c < 4; ++c) {
          const auto ch = [c](std::uint32_t p) {
            return static_cast<double>((p >> (8 * c)) & 0xFF);
          };
          acc[c] = (ch(p00) * (1 - tx) + ch(p10) * tx) * (1 - ty) +
                   (ch(p01) * (1 - tx) + ch(p11) * tx) * ty;
        }
      }
      std::uint32_t p = 0;
      for (int c = 0; c < 4; ++c)
        p |= static_cast<std::uint32_t>(std::lround(std::clamp(acc[c], 0.0, 255.0))) << (8 * c);
      out->pixels[static_cast<std::size_t>(y) * width + x] = p;
    }
  }
  return out;
}

PixmapPtr LoadPixmap(const std::string& path) {
  TBytes bytes;
  std::string refusal;
  if (!ReadPictureBytes(path, bytes, refusal)) {
    ReportRefusal(path, refusal);
    return nullptr;
  }
  auto p = std::make_shared<TPixmap>();
  const bool decoded = Decode(bytes, p->width, p->height, p->pixels, &refusal);
  ReportRefusal(path, refusal);
  return decoded ? p : nullptr;
}

bool SavePixmapJPeg(const PixmapPtr& pixmap, const std::string& fileName, int quality) {
  return SaveWith(pixmap, fileName, WriteJpeg, std::clamp(quality, 1, 100));
}

bool SavePixmapPNG(const PixmapPtr& pixmap, const std::string& fileName) {
  return SaveWith(pixmap, fileName, WritePng, 0);
}
