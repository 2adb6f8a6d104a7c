// Fuzz target: arbitrary bytes as the progress file, loaded at start-up, then a level won, the
// switches read and the file saved on exit, as a session does. Whatever the file holds, nothing
// may crash, and the file the game writes back must load again with every level's record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/globals.h"
#include "app/options.h"
#include "media/media.h"

namespace {

const std::string FOLDER = "fuzz-options/";

bool Prepare() {
  SetLogQuiet(true);
  // NOTE: a folder of its own below the working folder: libFuzzer reads its corpus by
  // relative paths, so the working folder must not change.
  std::filesystem::create_directories(FOLDER);
  SetDataFolder(FOLDER);
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
