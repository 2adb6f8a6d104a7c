// Files of the player's own levels and their best shots. Nothing read here is trusted: names
// are checked before they become paths, and the best-shots file is read with a size limit.
#include "game/user_levels.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "media/media.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

constexpr const char* BESTS_FILE = "best.txt";
constexpr std::size_t MAX_BESTS_BYTES = 1 << 20;
constexpr int MAX_BEST_SHOTS = 1000000;

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::string UserLevelFolder() { return DataFolder() + "levels/"; }

bool MakeUserLevelFolder(std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(UserLevelFolder(), ec);
  if (ec || !std::filesystem::is_directory(UserLevelFolder(), ec)) {
    error = "the folder " + UserLevelFolder() + " cannot be made: " + ec.message();
    return false;
  }
  return true;
}

std::string UserLevelPath(const std::string& name) { return UserLevelFolder() + name + ".xml"; }
std::string UserPlanPath(const std::string& name) { return UserLevelFolder() + name + ".txt"; }
std::string UserThumbPath(const std::string& name) { return UserLevelFolder() + name + ".jpg"; }

bool IsLevelName(const std::string& name) {
  return !name.empty() && name.size() <= MAX_LEVEL_NAME &&
         std::all_of(name.begin(), name.end(), IsNameCharacter);
}

std::vector<std::string> UserLevelNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(UserLevelFolder(), ec)) {
    const std::filesystem::path& path = entry.path();
    if (path.extension() != ".xml" || !entry.is_regular_file(ec)) continue;
    const std::string name = path.stem().string();
    if (IsLevelName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TUserLevel ReadUserLevel(const std::string& path) {
  TUserLevel result;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    result.problem = "there is no such file";
    return result;
  }
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.problem = "it is not a file";
    return result;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > MAX_LEVEL_FILE_BYTES) {
    result.problem = "it is larger than the " + std::to_string(MAX_LEVEL_FILE_BYTES) +
                     " bytes a level file may have";
    return result;
  }
  const std::optional<std::vector<std::uint8_t>> bytes = ReadAssetOrFile(path);
  if (!bytes) {
    result.problem = "it cannot be read";
    return result;
  }
  if (bytes->size() > MAX_LEVEL_FILE_BYTES) {  // it grew since it was measured
    result.problem = "it is larger than a level file may be";
    return result;
  }
  xmlDocument document;
  const bool quiet = LogQuiet();
  SetLogQuiet(true);  // the parse errors are told once, below, not line by line
  document.LoadBytes(*bytes, path);
  SetLogQuiet(quiet);
  if (document.FindNode("level") == nullptr) {
    result.problem = "it is not a level file: it has no <level> element" +
                     (document.xmlErrorCount() > 0 ? " (" + document.xmlError(1) + ")" : "");
    return result;
  }
  auto level = std::make_shared<TLevelFile>(ReadLevelFile(document));
  if (document.xmlErrorCount() > 0) {
    // Kept with the level's own notes, so that every build of it tells it as it tells those.
    level->notes.insert(level->notes.begin(), "the file is not well-formed XML (" +
                                                  document.xmlError(1) + " at byte " +
                                                  std::to_string(document.xmlErrorPosition(1)) +
                                                  "); what could be read is played");
  }
  result.notes = level->notes;
  int bodies = 0;
  for (const TBodyEntry& entry : level->bodies) bodies += EntryBodies(entry);
  if (bodies == 0) {
    result.problem = "it holds no body a level could be built from";
    return result;
  }
  result.level = std::move(level);
  return result;
}

std::map<std::string, int> UserLevelBests() {
  std::map<std::string, int> bests;
  const std::string path = UserLevelFolder() + BESTS_FILE;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) ||
      std::filesystem::file_size(path, ec) > MAX_BESTS_BYTES) {
    return bests;
  }
  const std::optional<std::vector<std::uint8_t>> bytes = ReadAssetOrFile(path);
  if (!bytes) return bests;
  std::istringstream in(std::string(bytes->begin(), bytes->end()));
  std::string name;
  long long shots = 0;
  while (in >> name >> shots) {
    if (IsLevelName(name) && shots > 0 && shots <= MAX_BEST_SHOTS)
      bests[name] = static_cast<int>(shots);
  }
  return bests;
}

int RecordUserLevelBest(const std::string& name, int shots) {
  std::map<std::string, int> bests = UserLevelBests();
  if (!IsLevelName(name) || shots <= 0) return bests.count(name) ? bests[name] : 0;
  auto found = bests.find(name);
  if (found != bests.end() && found->second <= shots) return found->second;
  bests[name] = shots;
  std::string text;
  for (const auto& [n, s] : bests) text += n + " " + std::to_string(s) + "\n";
  std::string error;
  if (!MakeUserLevelFolder(error) ||
      !WriteFileAtomic(UserLevelFolder() + BESTS_FILE,
                       std::vector<std::uint8_t>(text.begin(), text.end()), &error)) {
    LogLine("brakkon: the best shots of \"" + name + "\" could not be saved: " + error);
  }
  return shots;
}
