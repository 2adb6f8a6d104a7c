// The options and progress file: where it lives, reading or creating it at start-up, the audio
// switches, and the bookkeeping of completed levels. The file is always saved whole, inside the
// XML module's container, replaced atomically and then copied to a backup, so a crash never
// leaves half a file; a damaged file is kept aside and the backup (or what can be read) used.
#include "state/options.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "state/globals.h"
#include "state/level_order.h"
#include "xml/xml_document.h"

namespace {

constexpr float MUSIC_VOLUME_ON = 0.8f;
/// Kept-aside copies are numbered .bad, .bad2, ...; past this many no further copy is made and
/// the damaged file is left where it is, unsaved over.
constexpr int BAD_COPY_ATTEMPTS = 100000;
/// A progress file holds 171 elements and about 8 KB; anything far beyond is not one.
constexpr xmlLimits PROGRESS_LIMITS{1u << 20, 10000};
/// Temporary files of saves cut short are removed at start-up once they are this old.
constexpr auto STALE_TEMPORARY_AGE = std::chrono::minutes(1);

/// Root attributes of per-level digits: the stars kept and the hint marks.
constexpr const char* STARS_KEY = "stars";
constexpr const char* HINTS_KEY = "hints";

std::string requestedFolder;
std::string dataFolder;
/// Why saves must not happen this session (a damaged file could not be kept aside), or "".
std::string savesBlocked;
/// The last failure reported on standard error, so a failure repeating at every save is one line.
std::string lastReportedFailure;
std::string notice;
int noticeSerial = 0;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

void SetNotice(const std::string& text) {
  notice = text;
  ++noticeSerial;
}

const char* BoolText(int on) { return on == 1 ? "true" : "false"; }

void AddLevelRecord(xmlNode* root, int level, bool open) {
  xmlNode* record = root->AddChild("level");
  record->AttributeValueSet("num", std::to_string(level));
  record->AttributeValueSet("score", "");
  record->AttributeValueSet("status", open ? "Open" : "Close");
}

void BuildDefaultOptions(xmlDocument& document) {
  xmlNode* root = document.RootNode();
  root->NameSet("options");
  root->AttributeValueSet("game", "Brakkon");
  root->AttributeValueSet("lastLevel", "1");
  root->AttributeValueSet("music", "true");
  root->AttributeValueSet("sound", "true");
  root->AttributeValueSet("win", "false");
  root->AttributeValueSet(LEVEL_ORDER_KEY, PRESENT_LEVEL_ORDER);
  for (int level = 1; level <= DEFAULT_LEVEL_COUNT; ++level)
    AddLevelRecord(root, level, level == 1);
}

/// A file cut short (or edited by hand) may lack records at its end; every game path looks
/// records up by level number, so they are rebuilt. A level stays open when the one before it
/// was completed, as it would have been opened then.
void RebuildMissingRecords(xmlNode* root) {
  for (int level = root->ChildCount + 1; level <= DEFAULT_LEVEL_COUNT; ++level) {
    const bool previousDone =
        level > 1 && !root->GetChild(level - 1)->AttributeValueGet("score").empty();
    AddLevelRecord(root, level, level == 1 || previousDone);
  }
}

/// A decimal number the game could have written: 1 to 9 digits, no sign, no leading zero.
bool IsCount(const std::string& text) {
  if (text.empty() || text.size() > 9 || text[0] == '0') return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsScore(const std::string& text) { return text.empty() || IsCount(text); }
bool IsStatus(const std::string& text) { return text == "Open" || text == "Close"; }

/// "" when `document` is a whole progress document of this game: parsed without an error, its
/// root "options", its children level records numbered 1, 2, 3, ... with a score and status the
/// game could have written and nothing else. Otherwise what is wrong, for the log.
std::string JudgeProgress(const xmlDocument& document) {
  if (document.xmlErrorCount() != 0) {
    return "does not parse (byte " + std::to_string(document.xmlErrorPosition(1)) + ": " +
           document.xmlError(1) + ")";
  }
  const xmlNode* root = document.GetRoot();
  if (root == nullptr || root->name != "options") return "is not a progress file of this game";
  for (int i = 1; i <= root->ChildCount; ++i) {
    const xmlNode* record = root->GetChild(i);
    const std::string where = "record " + std::to_string(i);
    if (record->name != "level" || record->HasChildren()) return where + " is not a level record";
    const bool attributes = record->AttributeCount() == 3 &&
                            record->FindAttribute("score") != nullptr &&
                            record->FindAttribute("status") != nullptr;
    if (!attributes || record->AttributeValueGet("num") != std::to_string(i)) {
      return where + " is damaged or out of order";
    }
    if (!IsScore(record->AttributeValueGet("score")) ||
        !IsStatus(record->AttributeValueGet("status"))) {
      return where + " holds a damaged score or status";
    }
  }
  return "";
}

constexpr const char* HEADER_FAULT = "has a damaged header";

/// One copy of the progress on disk: the file, what reading it gave, and what is wrong with it.
struct TCopy {
  std::string path;
  bool exists = false;
  bool unreadable = false;  ///< there but not readable (permissions): not damage
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<xmlDocument> document;
  std::string fault;  ///< "" when it reads cleanly
};

/// The bytes of a container whose 8-byte header was damaged, with the marker and the key put
/// right: the key is the one under which the text starts as the game writes it. Null when no key
/// gives that start (the damage is elsewhere).
std::optional<std::vector<std::uint8_t>> RepairedHeader(const std::vector<std::uint8_t>& bytes) {
  static const std::string START = "<?xml version=\"1.0\"?>\r\n<options ";
  if (bytes.size() < 8 + START.size()) return std::nullopt;
  for (int key = 1; key <= XML_CONTAINER_MAX_KEY; ++key) {
    bool matches = true;
    for (std::size_t i = 0; i < START.size() && matches; ++i) {
      matches = xmlContainerDecodeByte(bytes[8 + i], key) == static_cast<std::uint8_t>(START[i]);
    }
    if (!matches) continue;
    std::vector<std::uint8_t> repaired = xmlContainerEncode("", key);
    if (std::equal(repaired.begin(), repaired.end(), bytes.begin()))
      return std::nullopt;  // header was fine
    repaired.insert(repaired.end(), bytes.begin() + 8, bytes.end());
    return repaired;
  }
  return std::nullopt;
}

TCopy ReadCopy(const std::string& path) {
  TCopy copy;
  copy.path = path;
  copy.document = std::make_unique<xmlDocument>();
  copy.document->SetLimits(PROGRESS_LIMITS);
  std::error_code ec;
  copy.exists = std::filesystem::exists(path, ec);
  if (!copy.exists) return copy;
  if (::access(path.c_str(), R_OK) != 0 && errno == EACCES) {
    copy.unreadable = true;
    copy.fault = std::string("cannot be read (") + std::strerror(EACCES) + ")";
    return copy;
  }
  // A file far larger than any progress file is refused by the reader before it is read whole.
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  std::optional<std::vector<std::uint8_t>> bytes;
  if (!ec && size <= PROGRESS_LIMITS.maxBytes + 8) bytes = ReadAssetOrFile(path);
  if (bytes) {
    copy.bytes = std::move(*bytes);
    copy.document->LoadBytes(copy.bytes, path);
  } else {
    copy.document->Load(path);  // refuses the oversized file, or records why it cannot be read
  }
  copy.fault = JudgeProgress(*copy.document);
  if (!copy.fault.empty()) {
    // A damaged header alone loses nothing: the text under it is read with the key that fits.
    if (const auto repaired = RepairedHeader(copy.bytes)) {
      auto document = std::make_unique<xmlDocument>();
      document->SetLimits(PROGRESS_LIMITS);
      document->LoadBytes(*repaired, path + " (header repaired)");
      if (JudgeProgress(*document).empty()) {
        copy.document = std::move(document);
        copy.fault = HEADER_FAULT;
      }
    }
  }
  return copy;
}

/// Moves a damaged file aside as <path>.bad, .bad2, ... without ever replacing an existing file.
/// Returns the name it now has, or "" (with `why`) when it could not be moved.
std::string KeepAside(const std::string& path, std::string& why) {
  for (int attempt = 1; attempt <= BAD_COPY_ATTEMPTS; ++attempt) {
    std::string kept = path + ".bad" + (attempt == 1 ? "" : std::to_string(attempt));
    // A new hard link fails on any existing name; only then does the damaged name go.
    if (::link(path.c_str(), kept.c_str()) == 0) {
      if (::unlink(path.c_str()) != 0) {
        why = std::strerror(errno);
        ::unlink(kept.c_str());
        return "";
      }
      return kept;
    }
    if (errno == EEXIST) continue;
    // Folders without hard links: a rename that refuses to replace.
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) == 0)
      return kept;
    if (errno == EEXIST) continue;
    why = std::strerror(errno);
    return "";
  }
  why = "too many kept copies";
  return "";
}

/// A valid record of level `num` taken from a damaged document: the first one of each number.
void SalvageRecords(const xmlDocument& document, std::map<int, const xmlNode*>& records) {
  for (const xmlNode* node = document.FindNode("level"); node != nullptr;
       node = document.After(node)) {
    if (node->name != "level") continue;
    const std::string num = node->AttributeValueGet("num");
    if (!IsCount(num)) continue;
    const int level = xmlTextToInt(num);
    if (level >= 1 && level <= DEFAULT_LEVEL_COUNT && records.count(level) == 0)
      records[level] = node;
  }
}

/// A new progress document holding what can be read from damaged copies: every record whose
/// number is readable goes to the level it names, with its score when that is one the game could
/// have written; the switches come from a root that is still "options". Counts the completed
/// levels found in `completed`.
std::shared_ptr<xmlDocument> Salvage(const std::vector<const TCopy*>& damaged, int& completed) {
  auto document = std::make_shared<xmlDocument>();
  BuildDefaultOptions(*document);
  xmlNode* root = document->GetRoot();
  std::map<int, const xmlNode*> records;
  bool switchesTaken = false;
  for (const TCopy* copy : damaged) {
    SalvageRecords(*copy->document, records);
    const xmlNode* old = copy->document->GetRoot();
    if (old == nullptr || old->name != "options" || switchesTaken) continue;
    for (const char* key : {"lastLevel", "music", "sound", "win", "musicVolume", "soundVolume",
                            "fullscreen", "gauge", "firstShot", "stars", "hints"}) {
      if (old->FindAttribute(key) != nullptr)
        root->AttributeValueSet(key, old->AttributeValueGet(key));
    }
    // Records saved before the levels were numbered anew follow the earlier numbers.
    root->AttributeValueSet(LEVEL_ORDER_KEY, old->FindAttribute(LEVEL_ORDER_KEY) != nullptr
                                                 ? old->AttributeValueGet(LEVEL_ORDER_KEY)
                                                 : FIRST_LEVEL_ORDER);
    switchesTaken = true;
  }
  completed = 0;
  for (const auto& [level, old] : records) {
    xmlNode* record = root->GetChild(level);
    const std::string score = old->AttributeValueGet("score");
    const std::string status = old->AttributeValueGet("status");
    if (IsCount(score)) {
      record->AttributeValueSet("score", score);
      ++completed;
    }
    if (IsStatus(status)) record->AttributeValueSet("status", status);
  }
  // A completed level opened the one after it.
  for (int level = 1; level < DEFAULT_LEVEL_COUNT; ++level) {
    if (!root->GetChild(level)->AttributeValueGet("score").empty()) {
      root->GetChild(level + 1)->AttributeValueSet("status", "Open");
      root->GetChild(level)->AttributeValueSet("status", "Open");
    }
  }
  return document;
}

/// Removes temporary files that saves cut short (a killed game) left beside the progress files.
void RemoveStaleTemporaries(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path file(path);
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  const std::string prefix = file.filename().string();
  const auto now = std::filesystem::file_time_type::clock::now();
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool ours =
        name.rfind(prefix + ".tmp-", 0) == 0 || name.rfind(prefix + ".bak.tmp-", 0) == 0;
    if (!ours || !it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    if (now - it->last_write_time(ec) > STALE_TEMPORARY_AGE)
      std::filesystem::remove(it->path(), ec);
  }
}

/// A digit string of the root (stars, hint marks) with each digit moved from the earlier number
/// of its level to the present one; levels without a digit get 0.
std::string RenumberedDigits(const std::string& digits) {
  std::string moved(std::max(digits.size(), static_cast<std::size_t>(DEFAULT_LEVEL_COUNT)), '0');
  for (std::size_t earlier = 1; earlier <= digits.size(); ++earlier) {
    const auto present = static_cast<std::size_t>(PresentLevelNumber(static_cast<int>(earlier)));
    moved[present - 1] = digits[earlier - 1];
  }
  return moved;
}

/// Progress saved before the levels were numbered anew: each level's score, stars and hint mark
/// move to its present number, and the last selected level with them. A level that was open
/// stays open, and a completed level opens the one after it in the present order. Records past
/// the renumbered levels stay where they are. True when the records were moved.
bool MoveToPresentNumbers(xmlNode* root) {
  const std::string order = root->AttributeValueGet(LEVEL_ORDER_KEY);
  if (root->FindAttribute(LEVEL_ORDER_KEY) != nullptr && order != FIRST_LEVEL_ORDER) return false;
  const int count = root->ChildCount < DEFAULT_LEVEL_COUNT ? root->ChildCount : DEFAULT_LEVEL_COUNT;
  std::vector<std::string> scores(static_cast<std::size_t>(count) + 1);
  std::vector<bool> open(static_cast<std::size_t>(count) + 1);
  for (int earlier = 1; earlier <= count; ++earlier) {
    const xmlNode* record = root->GetChild(earlier);
    const auto present = static_cast<std::size_t>(PresentLevelNumber(earlier));
    scores[present] = record->AttributeValueGet("score");
    open[present] = record->AttributeValueGet("status") == "Open";
  }
  for (int level = 1; level <= count; ++level) {
    const auto at = static_cast<std::size_t>(level);
    const bool opened =
        level == 1 || open[at] || !scores[at].empty() || (level > 1 && !scores[at - 1].empty());
    xmlNode* record = root->GetChild(level);
    record->AttributeValueSet("score", scores[at]);
    record->AttributeValueSet("status", opened ? "Open" : "Close");
  }
  for (const char* key : {STARS_KEY, HINTS_KEY}) {
    if (root->FindAttribute(key) != nullptr)
      root->AttributeValueSet(key, RenumberedDigits(root->AttributeValueGet(key)));
  }
  const std::string last = root->AttributeValueGet("lastLevel");
  if (IsCount(last))
    root->AttributeValueSet("lastLevel", std::to_string(PresentLevelNumber(xmlTextToInt(last))));
  root->AttributeValueSet(LEVEL_ORDER_KEY, PRESENT_LEVEL_ORDER);
  return true;
}

/// The level a record names must be the level it is offered as: the last level stays in range.
void ClampLastLevel(xmlNode* root) {
  const std::string text = root->AttributeValueGet("lastLevel");
  const int last = IsCount(text) ? xmlTextToInt(text) : 1;
  const int offered =
      root->ChildCount < DEFAULT_LEVEL_COUNT ? root->ChildCount : DEFAULT_LEVEL_COUNT;
  if (last < 1 || last > offered) root->AttributeValueSet("lastLevel", "1");
}

void PrepareDataFolder() {
  const bool writable = ::access(".", W_OK) == 0;
  const std::string user = requestedFolder.empty() && !writable ? UserDataFolderForProgress() : "";
  dataFolder = ResolveDataFolder(requestedFolder, writable, user);
  if (dataFolder.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(dataFolder, ec);
  if (!requestedFolder.empty()) return;
  // Progress left in the working folder before it became read-only is carried over, not lost.
  const std::string moved = dataFolder + optionsFileName;
  const bool carried = !std::filesystem::exists(moved, ec) &&
                       std::filesystem::is_regular_file(optionsFileName, ec) &&
                       std::filesystem::copy_file(optionsFileName, moved, ec);
  // The copy is the player's own from now on, whatever the permissions of the one it came from.
  if (carried)
    std::filesystem::permissions(moved, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
  LogLine("The working folder is not writable; progress is kept in " + moved +
          (carried ? " (carried over from the working folder)" : ""));
}

}  // namespace

void SetDataFolder(const std::string& folder) { requestedFolder = folder; }

const std::string& DataFolder() { return dataFolder; }

std::string ResolveDataFolder(const std::string& requested, bool workingFolderWritable,
                              const std::string& userFolder) {
  if (!requested.empty()) return WithSlash(requested);
  if (workingFolderWritable) return "";
  return WithSlash(userFolder);
}

std::string UserDataFolderForProgress() { return UserDataFolder(); }

std::string OptionsFilePath() { return dataFolder + optionsFileName; }

std::string BackupFilePath() { return OptionsFilePath() + ".bak"; }

void LoadOptions() {
  PrepareDataFolder();
  savesBlocked.clear();
  lastReportedFailure.clear();
  const std::string path = OptionsFilePath();
  RemoveStaleTemporaries(path);
  // The progress file, then its backup: the first that reads cleanly is used. The file is never
  // older than its backup, as every save writes the file first.
  std::vector<TCopy> copies;
  copies.push_back(ReadCopy(path));
  if (!copies[0].fault.empty() || !copies[0].exists) copies.push_back(ReadCopy(BackupFilePath()));
  TCopy* used = nullptr;
  for (TCopy& copy : copies) {
    if (copy.exists && copy.fault.empty()) {
      used = &copy;
      break;
    }
  }
  // A header repaired in memory is as good as clean; the damaged file is kept aside all the same.
  if (used == nullptr && copies[0].exists && copies[0].fault == HEADER_FAULT) used = &copies[0];

  std::vector<std::string> kept;
  std::vector<const TCopy*> damaged;
  for (const TCopy& copy : copies) {
    if (!copy.exists || copy.fault.empty() || copy.unreadable) continue;
    damaged.push_back(&copy);
    std::string why;
    const std::string name = KeepAside(copy.path, why);
    if (!name.empty()) {
      kept.push_back(FileName(copy.path) + " " + copy.fault + "; kept it as " + FileName(name));
    } else {
      kept.push_back(FileName(copy.path) + " " + copy.fault + " and could not be kept aside (" +
                     why + ")");
      // Saving now would replace the only copy of what the damaged file still holds.
      savesBlocked = copy.path + " is damaged and could not be kept aside (" + why + ")";
    }
  }
  std::shared_ptr<xmlDocument> document;
  std::string outcome;
  bool save = true;
  if (used != nullptr) {
    document = std::shared_ptr<xmlDocument>(std::move(used->document));
    save = used != &copies[0] || !copies[0].fault.empty();
    outcome =
        "used " + FileName(used->path) + (used == &copies[0] ? " (its header put right)" : "");
  } else {
    int completed = 0;
    document = Salvage(damaged, completed);
    outcome = damaged.empty() ? "started a new progress"
                              : "no clean copy left; rebuilt " + std::to_string(completed) +
                                    " completed levels from what could be read";
  }
  if (copies[0].unreadable) {
    std::fprintf(stderr, "brakkon: %s %s; %s\n", path.c_str(), copies[0].fault.c_str(),
                 used != nullptr ? outcome.c_str() : "progress lasts only until the game ends");
    if (used == nullptr) savesBlocked = path + " " + copies[0].fault;
  } else if (!kept.empty() || (!copies[0].exists && used != nullptr)) {
    std::string line;
    if (!copies[0].exists) line += FileName(path) + " is missing; ";
    for (const std::string& part : kept) line += part + "; ";
    std::fprintf(stderr, "brakkon: %s%s\n", line.c_str(), outcome.c_str());
    SetNotice(used != nullptr ? "Progress file damaged: restored from its backup."
                              : "Progress file damaged: what could be read of it was kept.");
  }
  optionsDoc = document;
  RebuildMissingRecords(optionsDoc->GetRoot());
  if (MoveToPresentNumbers(optionsDoc->GetRoot())) save = true;
  ClampLastLevel(optionsDoc->GetRoot());
  levelCount = OfferedLevelCount();
  // A new, restored or rebuilt progress is written at once, so the next start finds it.
  if (save && savesBlocked.empty()) SaveOptions();
}

void ReadOptionSwitches() {
  const xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  // Exact, case-sensitive: "True" switches music off.
  musicOn = root->AttributeValueGet("music") == "true" ? 1 : 0;
  soundOn = root->AttributeValueGet("sound") == "true" ? 1 : 0;
  if (root->AttributeValueGet("win") == "true") gameCompleted = 1;
}

namespace {

constexpr int MAX_STARS = 3;

/// A per-level digit string of the root: the digit of `level`, or 0 when it is missing, past
/// `maxDigit` or not a digit at all (a hand-edited file).
int LevelDigit(const char* key, int level, int maxDigit) {
  const xmlNode* root = OptionsRoot();
  if (root == nullptr || level < 1) return 0;
  const std::string text = root->AttributeValueGet(key);
  if (static_cast<std::size_t>(level) > text.size()) return 0;
  const int digit = text[static_cast<std::size_t>(level) - 1] - '0';
  return digit >= 0 && digit <= maxDigit ? digit : 0;
}

/// Sets the digit of `level`, padding the string with zeros to the offered levels; every other
/// digit is written back as read (a damaged one as 0).
void SetLevelDigit(const char* key, int level, int digit, int maxDigit) {
  xmlNode* root = OptionsRoot();
  if (root == nullptr || level < 1) return;
  const int count = std::max(OfferedLevelCount(), level);
  std::string text(static_cast<std::size_t>(count), '0');
  for (int i = 1; i <= count; ++i)
    text[static_cast<std::size_t>(i) - 1] = static_cast<char>('0' + LevelDigit(key, i, maxDigit));
  text[static_cast<std::size_t>(level) - 1] = static_cast<char>('0' + digit);
  root->AttributeValueSet(key, text);
}

/// A percentage written by the game: "0" to "100"; otherwise `fallback`.
int ReadPercent(const xmlNode* root, const char* key, int fallback) {
  const std::string text = root->AttributeValueGet(key);
  if (text != "0" && !IsCount(text)) return fallback;
  const int value = xmlTextToInt(text);
  return value <= 100 ? value : fallback;
}

bool ReadFlag(const xmlNode* root, const char* key, bool fallback) {
  const std::string text = root->AttributeValueGet(key);
  if (text == "true") return true;
  if (text == "false") return false;
  return fallback;
}

}  // namespace

float MusicChannelVolume() {
  return musicOn == 1 ? MUSIC_VOLUME_ON * static_cast<float>(playSettings.musicVolume) / 100.0f
                      : 0.0f;
}

void ReadPlaySettings() {
  const xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  const TPlaySettings defaults;
  playSettings.musicVolume = ReadPercent(root, "musicVolume", defaults.musicVolume);
  playSettings.soundVolume = ReadPercent(root, "soundVolume", defaults.soundVolume);
  playSettings.fullscreen = ReadFlag(root, "fullscreen", defaults.fullscreen);
  playSettings.powerGauge = ReadFlag(root, "gauge", defaults.powerGauge);
  playSettings.firstShotDone = ReadFlag(root, "firstShot", defaults.firstShotDone);
}

void SavePlaySettings() {
  xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  root->AttributeValueSet("musicVolume", std::to_string(playSettings.musicVolume));
  root->AttributeValueSet("soundVolume", std::to_string(playSettings.soundVolume));
  root->AttributeValueSet("fullscreen", BoolText(playSettings.fullscreen ? 1 : 0));
  root->AttributeValueSet("gauge", BoolText(playSettings.powerGauge ? 1 : 0));
  root->AttributeValueSet("firstShot", BoolText(playSettings.firstShotDone ? 1 : 0));
  SaveOptions();
}

int StarsFor(int shots, int par) {
  if (par <= 0 || shots <= 0) return 0;
  if (shots <= par) return 3;
  return shots <= par + 2 ? 2 : 1;
}

int BestShotsOf(int level) {
  const xmlNode* record = LevelRecord(level);
  return record != nullptr ? xmlTextToInt(record->AttributeValueGet("score")) : 0;
}

int LevelStars(int level) { return LevelDigit(STARS_KEY, level, MAX_STARS); }

bool LevelHinted(int level) { return LevelDigit(HINTS_KEY, level, 1) == 1; }

int TotalStars() {
  int total = 0;
  for (int level = 1; level <= OfferedLevelCount(); ++level) total += LevelStars(level);
  return total;
}

void ResetProgress() {
  xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  for (int level = 1; level <= root->ChildCount; ++level) {
    xmlNode* record = root->GetChild(level);
    record->AttributeValueSet("score", "");
    record->AttributeValueSet("status", level == 1 ? "Open" : "Close");
  }
  root->AttributeValueSet("lastLevel", "1");
  root->AttributeValueSet("win", "false");
  root->AttributeValueSet(STARS_KEY,
                          std::string(static_cast<std::size_t>(OfferedLevelCount()), '0'));
  root->AttributeValueSet(HINTS_KEY,
                          std::string(static_cast<std::size_t>(OfferedLevelCount()), '0'));
  gameCompleted = 0;
  levelCount = OfferedLevelCount();
  SaveOptions();
}

void ApplyAudioSettings() {
  SetChannelVolume(musicChannel, MusicChannelVolume());
  SetEffectsVolume(static_cast<float>(playSettings.soundVolume) / 100.0f);
  xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  root->AttributeValueSet("music", BoolText(musicOn));
  root->AttributeValueSet("sound", BoolText(soundOn));
  SaveOptions();
}

bool SaveOptions() {
  if (!optionsDoc) return false;
  const std::string path = OptionsFilePath();
  std::string why = savesBlocked;
  bool saved = false;
  if (why.empty()) {
    // The file first, then the backup: at every moment one of them holds the last whole save,
    // and the file is never older than the backup.
    const std::vector<std::uint8_t> bytes = optionsDoc->FileBytes(optionsEncrypt);
    saved = WriteFileAtomic(path, bytes, &why);
    std::string backupWhy;
    if (saved && !WriteFileAtomic(BackupFilePath(), bytes, &backupWhy))
      why = "the backup: " + backupWhy;
  }
  if (why.empty()) {
    lastReportedFailure.clear();
    return true;
  }
  // One line per kind of failure, not one per save; the next save tries again all the same.
  if (why != lastReportedFailure) {
    std::fprintf(stderr,
                 "brakkon: cannot save progress to %s: %s; the game goes on and tries again at the "
                 "next save\n",
                 (saved ? BackupFilePath() : path).c_str(), why.c_str());
    if (!saved) SetNotice("Progress could not be saved; it is tried again at the next save.");
    lastReportedFailure = why;
  }
  return saved;
}

const std::string& ProgressNotice() { return notice; }
int ProgressNoticeSerial() { return noticeSerial; }
void SetPlayerNotice(const std::string& text) { SetNotice(text); }

xmlNode* OptionsRoot() { return optionsDoc ? optionsDoc->GetRoot() : nullptr; }

xmlNode* LevelRecord(int level) {
  const xmlNode* root = OptionsRoot();
  if (root == nullptr || level < 1 || level > root->ChildCount) return nullptr;
  return root->GetChild(level);
}

int OfferedLevelCount() {
  const xmlNode* root = OptionsRoot();
  if (root == nullptr) return 0;
  // Records beyond the level files (a hand-edited file) stay in the file but are not offered.
  return root->ChildCount < DEFAULT_LEVEL_COUNT ? root->ChildCount : DEFAULT_LEVEL_COUNT;
}

TLevelCompletion RecordLevelCompleted(int level, int shots, int par, bool hinted) {
  TLevelCompletion result;
  xmlNode* record = LevelRecord(level);
  if (record == nullptr) return result;
  result.stars = StarsFor(shots, par);
  result.bestStars = LevelStars(level);
  if (result.stars > result.bestStars) {
    result.newStars = true;
    result.bestStars = result.stars;
    SetLevelDigit(STARS_KEY, level, result.stars, MAX_STARS);
    SetLevelDigit(HINTS_KEY, level, hinted ? 1 : 0, 1);
  } else if (result.stars > 0 && result.stars == result.bestStars && !hinted &&
             LevelHinted(level)) {
    SetLevelDigit(HINTS_KEY, level, 0, 1);  // the same stars again, this time by skill alone
  }
  result.best = xmlTextToInt(record->AttributeValueGet("score"));
  // A tie keeps the stored best; 0 means the level was never completed.
  if (result.best == 0 || result.best > shots) {
    record->AttributeValueSet("score", std::to_string(shots));
    result.best = shots;
    result.newBest = true;
  }
  levelCount = OfferedLevelCount();
  if (xmlNode* next = level < levelCount ? LevelRecord(level + 1) : nullptr) {
    next->AttributeValueSet("status", "Open");
    result.nextOpened = true;
  }
  if (level == levelCount && gameCompleted == 0) {
    OptionsRoot()->AttributeValueSet("win", "true");
    result.gameWon = true;
    SaveOptions();
  }
  SaveOptions();
  return result;
}

void SetLastLevel(int level) {
  if (xmlNode* root = OptionsRoot()) root->AttributeValueSet("lastLevel", std::to_string(level));
}

void SaveOptionsOnExit(int selectedRow) {
  SetLastLevel(selectedRow + 1);
  SaveOptions();
}
