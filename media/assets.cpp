// The embedded asset table, file reading with the working-folder fallback, atomic file writing
// and the diagnostic log.
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <span>

#include "media/media_local.h"

namespace {

struct AssetEntry {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

std::map<std::string, AssetEntry>& Table() {
  static std::map<std::string, AssetEntry> table;
  return table;
}

/// Owned bytes of assets registered from vectors; list nodes never move.
std::vector<std::unique_ptr<std::vector<std::uint8_t>>>& OwnedBytes() {
  static std::vector<std::unique_ptr<std::vector<std::uint8_t>>> owned;
  return owned;
}

bool logQuiet = false;

std::uint64_t ReadLE(const std::uint8_t* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

void RegisterAsset(const std::string& path, const std::uint8_t* data, std::size_t size) {
  Table().emplace(path, AssetEntry{data, size});  // emplace keeps the first registration
}

void RegisterAssetBytes(const std::string& path, std::vector<std::uint8_t> bytes) {
  if (Table().count(path) != 0) return;
  OwnedBytes().push_back(std::make_unique<std::vector<std::uint8_t>>(std::move(bytes)));
  const auto& owned = *OwnedBytes().back();
  RegisterAsset(path, owned.data(), owned.size());
}

int RegisterAssetPack(const std::uint8_t* data, std::size_t size) {
  static constexpr char MAGIC[8] = {'B', 'R', 'K', 'P', 'A', 'C', 'K', '1'};
  if (data == nullptr || size < 12 || std::memcmp(data, MAGIC, 8) != 0) return -1;
  const auto count = static_cast<std::size_t>(ReadLE(data + 8, 4));
  // Validate the whole index before registering anything.
  std::vector<std::pair<std::string, AssetEntry>> entries;
  std::size_t at = 12;
  for (std::size_t i = 0; i < count; ++i) {
    if (at + 4 > size) return -1;
    const auto pathLength = static_cast<std::size_t>(ReadLE(data + at, 4));
    at += 4;
    if (pathLength > size || at + pathLength + 16 > size) return -1;
    std::string path(reinterpret_cast<const char*>(data + at), pathLength);
    at += pathLength;
    const std::uint64_t offset = ReadLE(data + at, 8);
    const std::uint64_t length = ReadLE(data + at + 8, 8);
    at += 16;
    if (offset > size || length > size - offset) return -1;
    entries.emplace_back(std::move(path), AssetEntry{data + offset, static_cast<std::size_t>(length)});
  }
  for (const auto& [path, entry] : entries) RegisterAsset(path, entry.data, entry.size);
  return static_cast<int>(entries.size());
}

bool IsEmbeddedAsset(const std::string& path) { return Table().count(path) != 0; }

std::vector<std::string> EmbeddedAssetPaths() {
  std::vector<std::string> paths;
  paths.reserve(Table().size());
  for (const auto& [path, entry] : Table()) paths.push_back(path);
  return paths;
}

bool media_local::ReadAssetBytes(const std::string& path, TBytes& out) {
  const auto found = Table().find(path);
  if (found != Table().end()) {
    out.owned.clear();
    out.data = found->second.data;
    out.size = found->second.size;
    return true;
  }
  auto bytes = ReadAssetOrFile(path);
  if (!bytes) return false;
  out.owned = std::move(*bytes);
  out.data = out.owned.data();
  out.size = out.owned.size();
  return true;
}

std::optional<std::vector<std::uint8_t>> ReadAssetOrFile(const std::string& path) {
  const auto found = Table().find(path);
  if (found != Table().end()) {
    const AssetEntry& e = found->second;
    return std::vector<std::uint8_t>(e.data, e.data + e.size);
  }
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteFileAtomic(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (path.empty()) return fail("no file name");
  // One fixed temporary name: a save cut short leaves at most one stray file, which the next
  // save overwrites.
  const std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (f == nullptr) return fail("cannot create " + tmp + ": " + std::strerror(errno));
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool flushed = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!written || !flushed || !closed) {
    std::remove(tmp.c_str());
    return fail("cannot write " + tmp);
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(tmp.c_str());
    return fail("cannot replace " + path + ": " + why);
  }
  return true;
}

void LogLine(const std::string& line) {
  if (logQuiet) return;
  std::cout << line << '\n';
}

void SetLogQuiet(bool quiet) { logQuiet = quiet; }
bool LogQuiet() { return logQuiet; }

std::string ExecutableFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  return exe.parent_path().string() + "/";
}

std::string UserDataFolder() {
  // An empty XDG_DATA_HOME means unset; SDL would give up on it instead of using the default.
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '\0') ::unsetenv("XDG_DATA_HOME");
  char* path = SDL_GetPrefPath("", "brakkon");
  if (path == nullptr) return "";
  std::string folder = path;
  SDL_free(path);
  return folder;
}

bool OpenURL(const std::string& address) { return SDL_OpenURL(address.c_str()) == 0; }
