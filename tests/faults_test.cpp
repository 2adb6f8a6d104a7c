// Killing the game while it saves its progress. A child process saves the progress document over
// and over, as every writer of the game does (SaveOptions), and is killed with SIGKILL at random
// moments until 1000 saves have completed; after each kill the file must read back whole, with
// no parse error, every record and the completed level in it. (The other faults of the game's
// surroundings are tested on the whole program by faults_test.sh.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>
#include <random>
#include <thread>

#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

constexpr int SAVES = 1000;
constexpr int LONGEST_WAIT_US = 30000;  // a save with its fsync takes a few milliseconds

TEST(ProgressSaveTest, KillDuringSavesNeverLeavesAnUnreadableFile) {
  namespace fs = std::filesystem;
  SetLogQuiet(true);
  const fs::path folder = fs::temp_directory_path() / ("brakkon-faults-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  SetDataFolder(folder.string());
  LoadOptions();
  const std::string path = OptionsFilePath();
  ASSERT_TRUE(fs::exists(path));
  RecordLevelCompleted(1, 3);  // progress that must survive every kill

  // Saves finished by the children, counted in memory the parent shares with them.
  void* shared = ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* saves = new (shared) std::atomic<int>(0);

  std::mt19937 rng(15);
  int kills = 0;
  while (saves->load() < SAVES) {
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

    xmlDocument document;
    const xmlNode* root = document.Load(path);
    ASSERT_NE(root, nullptr) << "unreadable after kill " << kills << " (" << saves->load() << " saves)";
    ASSERT_EQ(xmlDocument::xmlErrorCount(), 0) << xmlDocument::xmlError(1) << " after kill " << kills;
    ASSERT_EQ(root->ChildCount, DEFAULT_LEVEL_COUNT) << "after kill " << kills;
    ASSERT_EQ(root->GetChild(1)->AttributeValueGet("score"), "3") << "after kill " << kills;
    const int last = xmlTextToInt(root->AttributeValueGet("lastLevel"));
    ASSERT_TRUE(last >= 1 && last <= DEFAULT_LEVEL_COUNT) << "lastLevel " << last << " after kill " << kills;
  }
  std::cout << saves->load() << " saves, " << kills << " kills\n";
  ::munmap(shared, sizeof(std::atomic<int>));
  fs::remove_all(folder);
}

}  // namespace
