// Saving progress under faults of the surroundings. A child process saves the progress document
// over and over, as every writer of the game does (SaveOptions), and is killed with SIGKILL at
// random moments: after each kill the progress file or its backup must read back whole, with no
// parse error, every record and the completed level in it. A disk that fills up during saves
// must likewise leave one whole copy with every level whose save succeeded. (The other faults of
// the game's surroundings are tested on the whole program by faults_test.sh.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <thread>

#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

namespace fs = std::filesystem;

constexpr int KILLS = 150;
constexpr auto TIME_LIMIT = std::chrono::seconds(60);
constexpr int LONGEST_WAIT_US = 30000;  // a save with its fsync takes a few milliseconds

/// A folder of the test's own, removed at the end.
class TempFolder {
 public:
  explicit TempFolder(const fs::path& base = fs::temp_directory_path()) {
    std::string pattern = (base / "brakkon-faults-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

/// "" when `path` reads back cleanly with every record and the levels of `scores` (level, shots)
/// completed as given; otherwise what is wrong.
std::string WholeCopy(const std::string& path, const std::vector<std::pair<int, int>>& scores) {
  xmlDocument document;
  const xmlNode* root = document.Load(path);
  if (root == nullptr) return path + ": " + document.xmlError(1);
  if (root->ChildCount != DEFAULT_LEVEL_COUNT)
    return path + ": " + std::to_string(root->ChildCount) + " records";
  for (const auto& [level, shots] : scores) {
    if (root->GetChild(level)->AttributeValueGet("score") != std::to_string(shots)) {
      return path + ": level " + std::to_string(level) + " lost";
    }
  }
  const int last = xmlTextToInt(root->AttributeValueGet("lastLevel"));
  if (last < 1 || last > DEFAULT_LEVEL_COUNT) return path + ": lastLevel " + std::to_string(last);
  return "";
}

class ProgressSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLogQuiet(true);
    optionsDoc.reset();
    gameCompleted = 0;
  }
  void TearDown() override {
    optionsDoc.reset();
    SetDataFolder("");
    SetLogQuiet(false);
  }
};

TEST_F(ProgressSaveTest, KillDuringSavesNeverLeavesAnUnreadableFile) {
  TempFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  SetDataFolder(folder.Path());
  LoadOptions();
  const std::string path = OptionsFilePath();
  ASSERT_TRUE(fs::exists(path));
  RecordLevelCompleted(1, 3);  // progress that must survive every kill

  // Saves finished by the children, counted in memory the parent shares with them.
  void* shared = ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* saves = new (shared) std::atomic<int>(0);

  // Bounded by kills and by time, however slow the disk is.
  const auto started = std::chrono::steady_clock::now();
  std::mt19937 rng(15);
  int kills = 0;
  while (kills < KILLS && std::chrono::steady_clock::now() - started < TIME_LIMIT) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = saves->load();; ++n) {
        SetLastLevel(n % DEFAULT_LEVEL_COUNT + 1);
        SaveOptions();
        saves->fetch_add(1);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % LONGEST_WAIT_US));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ++kills;

    const std::string file = WholeCopy(path, {{1, 3}});
    const std::string backup = WholeCopy(BackupFilePath(), {{1, 3}});
    ASSERT_TRUE(file.empty() || backup.empty())
        << file << "; " << backup << " after kill " << kills;
    // The file is never older than the backup, so it is the one that must be whole.
    ASSERT_EQ(file, "") << "after kill " << kills << " (" << saves->load() << " saves)";
  }
  std::cout << saves->load() << " saves, " << kills << " kills\n";
  EXPECT_GT(kills, 10);
  ::munmap(shared, sizeof(std::atomic<int>));
}

// A small file system of its own that fills up: saves start failing, and every moment leaves a
// whole copy with every level whose save went through.
TEST_F(ProgressSaveTest, DiskThatFillsUpKeepsAWholeCopy) {
  TempFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  if (::mount("tmpfs", folder.Path().c_str(), "tmpfs", 0, "size=96k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno) << "; needs root)";
  }
  struct TUnmount {
    std::string path;
    ~TUnmount() { ::umount(path.c_str()); }
  } unmount{folder.Path()};
  SetDataFolder(folder.Path());
  LoadOptions();
  ASSERT_TRUE(SaveOptions());
  std::vector<std::pair<int, int>> saved;
  std::ofstream filler(folder.Path() + "/filler", std::ios::binary);
  const std::string block(1024, 'x');
  int failures = 0;
  ::testing::internal::CaptureStderr();
  for (int level = 1; level <= 60; ++level) {
    // The filler grows by a few KB between saves, until the disk is full.
    for (int k = 0; k < 3; ++k)
      filler.write(block.data(), static_cast<std::streamsize>(block.size())).flush();
    RecordLevelCompleted(level, level % 7 + 1);
    if (SaveOptions()) {
      saved.emplace_back(level, level % 7 + 1);
    } else {
      ++failures;
    }
    const std::string file = WholeCopy(OptionsFilePath(), saved);
    const std::string backup = WholeCopy(BackupFilePath(), saved);
    ASSERT_TRUE(file.empty() || backup.empty()) << file << "; " << backup << " at level " << level;
    ASSERT_EQ(file, "") << "at level " << level;
  }
  const std::string message = ::testing::internal::GetCapturedStderr();
  filler.close();
  EXPECT_GT(failures, 0) << "the disk never filled up";
  EXPECT_GT(saved.size(), 0u);
  EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
  // Room again: the next save goes through.
  fs::remove(folder.Path() + "/filler");
  EXPECT_TRUE(SaveOptions());
  EXPECT_EQ(WholeCopy(OptionsFilePath(), {{60, 60 % 7 + 1}}), "");
}

}  // namespace
