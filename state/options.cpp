// The options and progress file: where it lives, reading or creating it at start-up, the audio
// switches, and the bookkeeping of completed levels. The file is always saved whole, inside the
// XML module's container, and replaced atomically so a crash never leaves half a file.
#include "state/options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "state/globals.h"
#include "xml/xml_document.h"

namespace {

constexpr float MUSIC_VOLUME_ON = 0.8f;
constexpr int BAD_COPY_ATTEMPTS = 100;

std::string requestedFolder;
std::string dataFolder;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
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
  for (int level = 1; level <= DEFAULT_LEVEL_COUNT; ++level) AddLevelRecord(root, level, level == 1);
}

/// A file cut short (or edited by hand) may lack records at its end; every game path looks
/// records up by level number, so they are rebuilt. A level stays open when the one before it
/// was completed, as it would have been opened then.
void RebuildMissingRecords(xmlNode* root) {
  for (int level = root->ChildCount + 1; level <= DEFAULT_LEVEL_COUNT; ++level) {
    const bool previousDone = level > 1 && !root->GetChild(level - 1)->AttributeValueGet("score").empty();
    AddLevelRecord(root, level, level == 1 || previousDone);
  }
}

/// Moves an unreadable progress file aside instead of overwriting it.
void KeepUnreadableFile(const std::string& path) {
  std::error_code ec;
  for (int attempt = 1; attempt <= BAD_COPY_ATTEMPTS; ++attempt) {
    const std::string kept = path + ".bad" + (attempt == 1 ? "" : std::to_string(attempt));
    if (std::filesystem::exists(kept, ec)) continue;
    std::filesystem::rename(path, kept, ec);
    if (!ec) {
      std::fprintf(stderr, "brakkon: %s holds no readable progress; kept it as %s and started a new one\n",
                   path.c_str(), kept.c_str());
      return;
    }
    break;
  }
  std::fprintf(stderr, "brakkon: %s holds no readable progress and could not be kept aside (%s)\n",
               path.c_str(), ec ? ec.message().c_str() : "too many kept copies");
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
  const bool carried = !std::filesystem::exists(moved, ec) && std::filesystem::is_regular_file(optionsFileName, ec) &&
                       std::filesystem::copy_file(optionsFileName, moved, ec);
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

void LoadOptions() {
  PrepareDataFolder();
  const std::string path = OptionsFilePath();
  auto document = std::make_shared<xmlDocument>();
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (exists) document->Load(path);
  // A load with parse errors that still produced a root is used as it is.
  if (document->GetRoot() == nullptr) {
    if (exists) KeepUnreadableFile(path);
    auto defaults = std::make_shared<xmlDocument>();
    BuildDefaultOptions(*defaults);
    defaults->Save(path, optionsEncrypt, nullptr, nullptr, 0);
    document = std::make_shared<xmlDocument>();
    document->Load(path);
    if (document->GetRoot() == nullptr) {
      std::fprintf(stderr, "brakkon: cannot write %s; progress lasts only until the game ends\n", path.c_str());
      document = defaults;
    }
  }
  optionsDoc = document;
  RebuildMissingRecords(optionsDoc->GetRoot());
  levelCount = OfferedLevelCount();
}

void ReadOptionSwitches() {
  const xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  // Exact, case-sensitive: "True" switches music off.
  musicOn = root->AttributeValueGet("music") == "true" ? 1 : 0;
  soundOn = root->AttributeValueGet("sound") == "true" ? 1 : 0;
  if (root->AttributeValueGet("win") == "true") gameCompleted = 1;
}

void ApplyAudioSettings() {
  SetChannelVolume(musicChannel, musicOn == 1 ? MUSIC_VOLUME_ON : 0.0f);
  xmlNode* root = OptionsRoot();
  if (root == nullptr) return;
  root->AttributeValueSet("music", BoolText(musicOn));
  root->AttributeValueSet("sound", BoolText(soundOn));
  SaveOptions();
}

bool SaveOptions() {
  if (!optionsDoc) return false;
  return optionsDoc->Save(OptionsFilePath(), optionsEncrypt, nullptr, nullptr, 0) == 1;
}

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

TLevelCompletion RecordLevelCompleted(int level, int shots) {
  TLevelCompletion result;
  xmlNode* record = LevelRecord(level);
  if (record == nullptr) return result;
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
