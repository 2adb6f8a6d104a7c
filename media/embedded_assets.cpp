// Registers the asset packs that embedded_assets.S links into the executable: the base pack,
// and in the full game the second-stage pack of level thumbnails.
#include <cstdio>

#include "media/media.h"

extern "C" const unsigned char brakkon_asset_pack_begin[];
extern "C" const unsigned char brakkon_asset_pack_end[];
#ifdef BRAKKON_WITH_THUMBS
extern "C" const unsigned char brakkon_thumbs_pack_begin[];
extern "C" const unsigned char brakkon_thumbs_pack_end[];
#endif

namespace {

void RegisterPack(const unsigned char* begin, const unsigned char* end, const char* what) {
  const auto size = static_cast<std::size_t>(end - begin);
  if (RegisterAssetPack(begin, size) < 0) {
    std::fprintf(stderr, "brakkon: the embedded %s is damaged\n", what);
  }
}

}  // namespace

void RegisterEmbeddedAssets() {
  RegisterPack(brakkon_asset_pack_begin, brakkon_asset_pack_end, "asset pack");
#ifdef BRAKKON_WITH_THUMBS
  RegisterPack(brakkon_thumbs_pack_begin, brakkon_thumbs_pack_end, "thumbnail pack");
#endif
}
