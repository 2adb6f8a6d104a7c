// Tests of the options and progress file in a temporary data folder: the first run, the audio
// switches, best scores and unlocking, the last level, and files that are damaged or short.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

namespace fs = std::filesystem;

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLogQuiet(true);
    std::string pattern = (fs::temp_directory_path() / "brakkon-options-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    SetDataFolder(folder_);
    optionsDoc.reset();
    musicOn = 1;
    soundOn = 1;
    gameCompleted = 0;
    levelCount = 0;
  }
  void TearDown() override {
    optionsDoc.reset();
    SetDataFolder("");
    std::error_code ec;
    fs::remove_all(folder_, ec);
    SetLogQuiet(false);
  }

  std::string File() const { return folder_ + "/brakkon.dat"; }
  void WriteFile(const std::string& text) const { std::ofstream(File(), std::ios::binary) << text; }
  std::vector<std::uint8_t> FileBytes() const { return ReadAssetOrFile(File()).value_or(std::vector<std::uint8_t>{}); }
  std::string FileText() const { return xmlContainerDecode(FileBytes()); }

  /// The progress file as the game reads it, independent of optionsDoc.
  std::unique_ptr<xmlDocument> Reread() const {
    auto document = std::make_unique<xmlDocument>();
    document->Load(File());
    return document;
  }

  /// A plain progress file with `records` level records; record k has score scores[k-1] if given.
  static std::string ProgressText(int records, const std::vector<std::string>& scores = {}) {
    std::string text = "<options game=\"Brakkon\" lastLevel=\"1\" music=\"true\" sound=\"true\" win=\"false\">\n";
    for (int k = 1; k <= records; ++k) {
      const std::string score = k <= static_cast<int>(scores.size()) ? scores[static_cast<std::size_t>(k - 1)] : "";
      text += "  <level num=\"" + std::to_string(k) + "\" score=\"" + score + "\" status=\"" +
              (k == 1 || !score.empty() ? "Open" : "Close") + "\" />\n";
    }
    return text + "</options>\n";
  }

  std::string folder_;
};

TEST_F(OptionsTest, FirstRunCreatesTheDefaultFileAndSavesItTwice) {
  constexpr int SEED = 4242;
  SeedRnd(SEED);
  const int creationKey = Rand(1, XML_CONTAINER_MAX_KEY);
  const int audioKey = Rand(1, XML_CONTAINER_MAX_KEY);
  ASSERT_NE(creationKey, audioKey);
  SeedRnd(SEED);

  LoadOptions();
  ReadOptionSwitches();
  ApplyAudioSettings();

  EXPECT_EQ(musicOn, 1);
  EXPECT_EQ(soundOn, 1);
  EXPECT_EQ(gameCompleted, 0);
  EXPECT_EQ(levelCount, DEFAULT_LEVEL_COUNT);
  const std::vector<std::uint8_t> bytes = FileBytes();
  ASSERT_TRUE(xmlIsContainer(bytes));
  // The key of the second save is in the file: creation, then the audio switches.
  EXPECT_EQ(bytes[4] | (bytes[5] << 8), audioKey);

  const std::string text = FileText();
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\r\n"
                       "<options game=\"Brakkon\" lastLevel=\"1\" music=\"true\" sound=\"true\" win=\"false\">\r\n"
                       "  <level num=\"1\" score=\"\" status=\"Open\" />\r\n"
                       "  <level num=\"2\" score=\"\" status=\"Close\" />\r\n",
                       0),
            0u)
      << text.substr(0, 300);
  EXPECT_NE(text.find("  <level num=\"170\" score=\"\" status=\"Close\" />\r\n</options>\r\n"), std::string::npos);
  const auto reread = Reread();
  ASSERT_NE(reread->GetRoot(), nullptr);
  EXPECT_EQ(reread->GetRoot()->ChildCount, DEFAULT_LEVEL_COUNT);
}

TEST_F(OptionsTest, MusicSwitchIsCaseSensitiveAndRewritten) {
  // A hand-edited plain file (no container marker) is accepted and stored encoded again.
  std::string text = ProgressText(DEFAULT_LEVEL_COUNT);
  text.replace(text.find("music=\"true\""), 12, "music=\"True\"");
  WriteFile(text);
  LoadOptions();
  ReadOptionSwitches();
  EXPECT_EQ(musicOn, 0);
  EXPECT_EQ(soundOn, 1);
  ApplyAudioSettings();
  EXPECT_TRUE(xmlIsContainer(FileBytes()));
  EXPECT_NE(FileText().find("music=\"false\" sound=\"true\""), std::string::npos);
}

TEST_F(OptionsTest, BestScoreRules) {
  std::vector<std::string> scores = {"1", "1", "1", "2", "4"};
  WriteFile(ProgressText(DEFAULT_LEVEL_COUNT, scores));
  LoadOptions();
  struct Attempt {
    int shots;
    std::string stored;
    bool newBest;
  };
  const std::vector<Attempt> attempts = {{3, "3", true}, {3, "3", false}, {5, "3", false}, {2, "2", true}};
  for (const auto& attempt : attempts) {
    LevelRecord(6)->AttributeValueSet("status", "Close");
    const TLevelCompletion result = RecordLevelCompleted(5, attempt.shots);
    EXPECT_EQ(result.newBest, attempt.newBest) << attempt.shots;
    EXPECT_EQ(result.best, xmlTextToInt(attempt.stored));
    EXPECT_TRUE(result.nextOpened);
    EXPECT_FALSE(result.gameWon);
    const auto reread = Reread();
    EXPECT_EQ(reread->GetRoot()->GetChild(5)->AttributeValueGet("score"), attempt.stored) << attempt.shots;
    EXPECT_EQ(reread->GetRoot()->GetChild(6)->AttributeValueGet("status"), "Open");
  }
  // A first completion stores its shots whatever the neighbours' bests are.
  EXPECT_EQ(RecordLevelCompleted(6, 7).best, 7);
  EXPECT_EQ(Reread()->GetRoot()->GetChild(6)->AttributeValueGet("score"), "7");
  EXPECT_EQ(Reread()->GetRoot()->GetChild(4)->AttributeValueGet("score"), "2");
}

TEST_F(OptionsTest, CompletingTheLastLevelSetsWinOnce) {
  LoadOptions();
  const TLevelCompletion first = RecordLevelCompleted(DEFAULT_LEVEL_COUNT, 9);
  EXPECT_TRUE(first.gameWon);
  EXPECT_FALSE(first.nextOpened);
  EXPECT_EQ(Reread()->GetRoot()->AttributeValueGet("win"), "true");

  optionsDoc.reset();
  LoadOptions();
  ReadOptionSwitches();
  EXPECT_EQ(gameCompleted, 1);
  EXPECT_FALSE(RecordLevelCompleted(DEFAULT_LEVEL_COUNT, 4).gameWon);
}

TEST_F(OptionsTest, ExitStoresTheSelectedLevel) {
  LoadOptions();
  SetLastLevel(5);  // the next-level button: kept in memory only
  EXPECT_EQ(Reread()->GetRoot()->AttributeValueGet("lastLevel"), "1");
  SaveOptionsOnExit(12);
  EXPECT_EQ(Reread()->GetRoot()->AttributeValueGet("lastLevel"), "13");
}

TEST_F(OptionsTest, UnreadableFileIsKeptAsBad) {
  const std::string damaged = "\x01\x02 not a progress file";
  WriteFile(damaged);
  ::testing::internal::CaptureStderr();
  LoadOptions();
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("brakkon.dat.bad"), std::string::npos) << message;
  const auto kept = ReadAssetOrFile(File() + ".bad");
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(std::string(kept->begin(), kept->end()), damaged);
  EXPECT_EQ(Reread()->GetRoot()->ChildCount, DEFAULT_LEVEL_COUNT);

  // A second damaged file does not replace the first kept copy.
  WriteFile("still nothing");
  ::testing::internal::CaptureStderr();
  LoadOptions();
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fs::exists(File() + ".bad2"));
  EXPECT_EQ(ReadAssetOrFile(File() + ".bad")->size(), damaged.size());
}

TEST_F(OptionsTest, FileWithErrorsButARootIsUsedAsItIs) {
  std::string text = ProgressText(DEFAULT_LEVEL_COUNT);
  text.replace(text.find("music=\"true\""), 12, "music=\"false\"");
  WriteFile(text + "</extra>\n");
  LoadOptions();
  ReadOptionSwitches();
  EXPECT_EQ(musicOn, 0);
  EXPECT_FALSE(fs::exists(File() + ".bad"));
}

TEST_F(OptionsTest, MissingRecordsAreRebuiltAndExtraOnesKept) {
  WriteFile(ProgressText(5, {"2", "3", "1", "4", "6"}));
  LoadOptions();
  ASSERT_EQ(OptionsRoot()->ChildCount, DEFAULT_LEVEL_COUNT);
  EXPECT_EQ(LevelRecord(5)->AttributeValueGet("score"), "6");
  // Level 5 was completed, so level 6 had been opened.
  EXPECT_EQ(LevelRecord(6)->AttributeValueGet("status"), "Open");
  EXPECT_EQ(LevelRecord(7)->AttributeValueGet("status"), "Close");
  EXPECT_EQ(LevelRecord(170)->AttributeValueGet("num"), "170");
  EXPECT_EQ(LevelRecord(171), nullptr);

  optionsDoc.reset();
  WriteFile(ProgressText(DEFAULT_LEVEL_COUNT + 2));
  LoadOptions();
  EXPECT_EQ(OptionsRoot()->ChildCount, DEFAULT_LEVEL_COUNT + 2);
  EXPECT_EQ(levelCount, DEFAULT_LEVEL_COUNT);
  // The last level file is still the last level.
  EXPECT_TRUE(RecordLevelCompleted(DEFAULT_LEVEL_COUNT, 3).gameWon);
  EXPECT_EQ(Reread()->GetRoot()->ChildCount, DEFAULT_LEVEL_COUNT + 2);
}

TEST_F(OptionsTest, FailedSaveKeepsTheDocumentInMemory) {
  LoadOptions();
  fs::remove(File());
  fs::create_directories(File() + "/blocked");
  OptionsRoot()->AttributeValueSet("lastLevel", "9");
  EXPECT_FALSE(SaveOptions());
  EXPECT_EQ(xmlDocument::xmlError(xmlDocument::xmlErrorCount()).rfind("Error writing XML file", 0), 0u);
  EXPECT_EQ(OptionsRoot()->AttributeValueGet("lastLevel"), "9");
}

TEST_F(OptionsTest, DataFolderChoice) {
  EXPECT_EQ(ResolveDataFolder("some/dir", true, "/home/u/.local/share/brakkon/"), "some/dir/");
  EXPECT_EQ(ResolveDataFolder("", true, "/home/u/.local/share/brakkon/"), "");
  EXPECT_EQ(ResolveDataFolder("", false, "/home/u/.local/share/brakkon"), "/home/u/.local/share/brakkon/");
  LoadOptions();
  EXPECT_EQ(DataFolder(), folder_ + "/");
  EXPECT_EQ(OptionsFilePath(), File());
}

}  // namespace
