// Packs a folder of generated assets into one blob that the game embeds.
// Layout: "BRKPACK1", u32 entry count, then per entry u32 path length, path, u64 offset, u64 size;
// then the data, each entry aligned to 16 bytes. Entries are sorted by path so the output is
// byte-identical for identical input.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void PutU32(std::vector<char>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU64(std::vector<char>& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PatchU64(std::vector<char>& out, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pack_assets ASSET_FOLDER OUTPUT_FILE\n";
    return 2;
  }
  const fs::path root = argv[1];
  std::vector<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), root).generic_string();
    if (rel.empty() || rel[0] == '.' || rel.ends_with(".stamp")) continue;
    paths.push_back(rel);
  }
  std::sort(paths.begin(), paths.end());

  std::vector<char> out = {'B', 'R', 'K', 'P', 'A', 'C', 'K', '1'};
  PutU32(out, static_cast<std::uint32_t>(paths.size()));
  std::vector<std::size_t> offsetSlots;
  for (const auto& p : paths) {
    PutU32(out, static_cast<std::uint32_t>(p.size()));
    out.insert(out.end(), p.begin(), p.end());
    offsetSlots.push_back(out.size());
    PutU64(out, 0);
    PutU64(out, 0);
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    while (out.size() % 16 != 0) out.push_back(0);
    std::ifstream in(root / paths[i], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::cerr << "pack_assets: cannot read " << paths[i] << "\n";
      return 1;
    }
    PatchU64(out, offsetSlots[i], out.size());
    PatchU64(out, offsetSlots[i] + 8, bytes.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
  }

  const std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream file(tmp, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file) {
      std::cerr << "pack_assets: cannot write " << tmp << "\n";
      return 1;
    }
  }
  // Only replace the pack when its bytes change, so an unchanged asset set does not relink.
  std::ifstream old(argv[2], std::ios::binary);
  std::vector<char> oldBytes((std::istreambuf_iterator<char>(old)),
                             std::istreambuf_iterator<char>());
  if (old.is_open() && oldBytes == out) {
    fs::remove(tmp);
  } else {
    fs::rename(tmp, argv[2]);
  }
  std::cout << "pack_assets: " << paths.size() << " assets, " << out.size() << " bytes\n";
  return 0;
}
