// Registers the asset pack that embedded_assets.S links into the executable.
#include <cstdio>

#include "media/media.h"

extern "C" const unsigned char brakkon_asset_pack_begin[];
extern "C" const unsigned char brakkon_asset_pack_end[];

void RegisterEmbeddedAssets() {
  const auto size = static_cast<std::size_t>(brakkon_asset_pack_end - brakkon_asset_pack_begin);
  if (RegisterAssetPack(brakkon_asset_pack_begin, size) < 0) {
    std::fprintf(stderr, "brakkon: the embedded asset pack is damaged\n");
  }
}
