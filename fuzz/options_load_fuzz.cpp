// Fuzz target: arbitrary bytes as the progress file, loaded at start-up, then a level won, the
// switches read and the file saved on exit, as a session does. Whatever the file holds, nothing
// may crash, and the file the game writes back must load again with every level's record.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/media.h"
#include "state/globals.h"
#include "state/options.h"

namespace {

/// A folder of its own, in memory where the system has such a folder: every input is saved
/// several times, and each save waits for the disk. (The working folder must not change:
/// libFuzzer reads its corpus by relative paths.)
std::string DataFolder() {
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec)) {
    return "/dev/shm/brakkon-fuzz-options-" + std::to_string(::getpid()) + "/";
  }
  return "fuzz-options/";
}

const std::string FOLDER = DataFolder();

bool Prepare() {
  SetLogQuiet(true);
  std::filesystem::create_directories(FOLDER);
  SetDataFolder(FOLDER);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(FOLDER, ec);
  });
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  std::error_code ec;
  std::filesystem::remove_all(FOLDER, ec);  // unreadable files are kept aside as .bad copies
  std::filesystem::create_directories(FOLDER, ec);
  if (std::FILE* f = std::fopen((FOLDER + "brakkon.dat").c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  LoadOptions();
  ReadOptionSwitches();
  RecordLevelCompleted(1, 3);
  RecordLevelCompleted(OfferedLevelCount(), 7);
  SaveOptionsOnExit(OfferedLevelCount() - 1);

  LoadOptions();  // what was written reads back whole
  if (OptionsRoot() == nullptr || OfferedLevelCount() < DEFAULT_LEVEL_COUNT) std::abort();
  return 0;
}
