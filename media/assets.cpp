// The embedded asset table, file reading with the working-folder fallback, atomic file writing
// (temporary files of their own, created exclusively beside the target) and the diagnostic log.
#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
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
    entries.emplace_back(std::move(path),
                         AssetEntry{data + offset, static_cast<std::size_t>(length)});
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
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::string FollowedPath(const std::string& path, std::string* error) {
  std::string target = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    std::error_code ec;
    const std::filesystem::path link = std::filesystem::read_symlink(target, ec);
    if (ec) break;
    target = link.is_absolute() ? link.string()
                                : (std::filesystem::path(target).parent_path() / link).string();
  }
  if (error != nullptr) *error = path + ": too many symbolic links";
  return "";
}

int CreateTemporaryBeside(const std::string& target, std::string& name, std::string* error) {
  static std::uint64_t counter = 0;
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".tmp-%d-%llx-%x", static_cast<int>(::getpid()),
                  static_cast<unsigned long long>(++counter), entropy() & 0xFFFFFu);
    name = target + suffix;
    // Exclusive: an existing name, a planted symbolic link among them, is never opened.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) return fd;
    if (errno != EEXIST) {
      name.clear();
      const std::string folder = std::filesystem::path(target).parent_path().string();
      if (error != nullptr)
        *error = "cannot create a file in " + (folder.empty() ? std::string(".") : folder) + ": " +
                 std::strerror(errno);
      return -1;
    }
  }
  name.clear();
  if (error != nullptr) *error = "cannot find a free temporary name beside " + target;
  return -1;
}

bool WriteFileAtomic(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (path.empty()) return fail("no file name");
  // A symbolic link at the target is followed: the file it names is replaced, the link stays.
  const std::string target = FollowedPath(path, error);
  if (target.empty()) return false;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return fail(target + " is a folder");
    if (!S_ISREG(st.st_mode)) return fail(target + " is not a regular file");
    // A file without write permission is not replaced (also not by a user who could).
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0) {
      return fail(target + " is read-only (" + std::strerror(EACCES) + ")");
    }
  }
  std::string tmp;
  const int fd = CreateTemporaryBeside(target, tmp, error);
  if (fd < 0) return false;
  if (exists) ::fchmod(fd, st.st_mode & 07777);
  bool written = true;
  int why = 0;
  for (std::size_t done = 0; done < bytes.size() && written;) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      written = false;
      why = n < 0 ? errno : ENOSPC;
    } else {
      done += static_cast<std::size_t>(n);
    }
  }
  if (written && ::fsync(fd) != 0) {
    written = false;
    why = errno;
  }
  if (::close(fd) != 0 && written) {
    written = false;
    why = errno;
  }
  if (!written) {
    ::unlink(tmp.c_str());
    return fail("cannot write " + target + ": " + std::strerror(why));
  }
  if (std::rename(tmp.c_str(), target.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    ::unlink(tmp.c_str());
    return fail("cannot replace " + target + ": " + reason);
  }
  // The new name is made durable too, so a power cut does not bring the old file back.
  const std::string folder = std::filesystem::path(target).parent_path().string();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
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
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '\0')
    ::unsetenv("XDG_DATA_HOME");
  char* path = SDL_GetPrefPath("", "brakkon");
  if (path == nullptr) return "";
  std::string folder = path;
  SDL_free(path);
  return folder;
}

bool OpenURL(const std::string& address) { return SDL_OpenURL(address.c_str()) == 0; }
