// Tests of the options and progress file in a temporary data folder: the first run, the audio
// switches, best scores and unlocking, the last level, and files that are damaged or short.
#include "state/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <random>

#include "state/globals.h"
#include "state/level_order.h"
#include "xml/xml_document.h"

namespace {

namespace fs = std::filesystem;

class OptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLogQuiet(true);
    std::string pattern = (Base() / "brakkon-options-XXXXXX").string();
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

  /// Where the test's own folder is made.
  virtual fs::path Base() const { return fs::temp_directory_path(); }
  std::string File() const { return folder_ + "/brakkon.dat"; }
  void WriteFile(const std::string& text) const { std::ofstream(File(), std::ios::binary) << text; }
  std::vector<std::uint8_t> FileBytes() const {
    return ReadAssetOrFile(File()).value_or(std::vector<std::uint8_t>{});
  }
  std::string FileText() const { return xmlContainerDecode(FileBytes()); }

  /// The progress file as the game reads it, independent of optionsDoc.
  std::unique_ptr<xmlDocument> Reread() const {
    auto document = std::make_unique<xmlDocument>();
    document->Load(File());
    return document;
  }

  /// A plain progress file with `records` level records; record k has score scores[k-1] if given.
  static std::string ProgressText(int records, const std::vector<std::string>& scores = {}) {
    std::string text =
        "<options game=\"Brakkon\" lastLevel=\"1\" music=\"true\" sound=\"true\" win=\"false\" "
        "levelOrder=\"2\">\n";
    for (int k = 1; k <= records; ++k) {
      const std::string score =
          k <= static_cast<int>(scores.size()) ? scores[static_cast<std::size_t>(k - 1)] : "";
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
                       "<options game=\"Brakkon\" lastLevel=\"1\" music=\"true\" sound=\"true\" "
                       "win=\"false\" levelOrder=\"2\">\r\n"
                       "  <level num=\"1\" score=\"\" status=\"Open\" />\r\n"
                       "  <level num=\"2\" score=\"\" status=\"Close\" />\r\n",
                       0),
            0u)
      << text.substr(0, 300);
  EXPECT_NE(text.find("  <level num=\"170\" score=\"\" status=\"Close\" />\r\n</options>\r\n"),
            std::string::npos);
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
  const std::vector<Attempt> attempts = {
      {3, "3", true}, {3, "3", false}, {5, "3", false}, {2, "2", true}};
  for (const auto& attempt : attempts) {
    LevelRecord(6)->AttributeValueSet("status", "Close");
    const TLevelCompletion result = RecordLevelCompleted(5, attempt.shots);
    EXPECT_EQ(result.newBest, attempt.newBest) << attempt.shots;
    EXPECT_EQ(result.best, xmlTextToInt(attempt.stored));
    EXPECT_TRUE(result.nextOpened);
    EXPECT_FALSE(result.gameWon);
    const auto reread = Reread();
    EXPECT_EQ(reread->GetRoot()->GetChild(5)->AttributeValueGet("score"), attempt.stored)
        << attempt.shots;
    EXPECT_EQ(reread->GetRoot()->GetChild(6)->AttributeValueGet("status"), "Open");
  }
  // A first completion stores its shots whatever the neighbours' bests are.
  EXPECT_EQ(RecordLevelCompleted(6, 7).best, 7);
  EXPECT_EQ(Reread()->GetRoot()->GetChild(6)->AttributeValueGet("score"), "7");
  EXPECT_EQ(Reread()->GetRoot()->GetChild(4)->AttributeValueGet("score"), "2");
}

TEST(Stars, ThreeAtParTwoUpToTwoOverOneBeyondNoneWithoutAPar) {
  const int table[][3] = {{1, 1, 3}, {1, 2, 3}, {2, 1, 2}, {3, 1, 2},
                          {4, 1, 1}, {9, 2, 1}, {5, 0, 0}, {1, -1, 0}};
  for (const auto& [shots, par, stars] : table) {
    EXPECT_EQ(StarsFor(shots, par), stars) << shots << " shots, par " << par;
  }
}

TEST_F(OptionsTest, StarsAndHintMarksAreKeptBestFirstAndSurviveARead) {
  LoadOptions();
  struct Attempt {
    int shots;
    bool hinted;
    int keptStars;
    bool keptHinted;
  };
  // Par 2 on level 3: a hinted 3 stars, a worse plain win, then a plain 3 stars clears the mark.
  const Attempt attempts[] = {{2, true, 3, true}, {4, false, 3, true}, {1, false, 3, false}};
  for (const Attempt& a : attempts) {
    const TLevelCompletion result = RecordLevelCompleted(3, a.shots, 2, a.hinted);
    EXPECT_EQ(result.bestStars, a.keptStars) << a.shots;
    EXPECT_EQ(LevelStars(3), a.keptStars) << a.shots;
    EXPECT_EQ(LevelHinted(3), a.keptHinted) << a.shots;
  }
  RecordLevelCompleted(1, 5, 1);  // 1 star
  EXPECT_EQ(TotalStars(), 4);
  // Written as extra attributes of the root: a reader of the plain format sees its records.
  const auto reread = Reread();
  EXPECT_EQ(reread->GetRoot()->GetChild(3)->AttributeValueGet("score"), "1");
  EXPECT_EQ(reread->GetRoot()->AttributeValueGet("stars").substr(0, 3), "103");
  optionsDoc.reset();
  LoadOptions();
  EXPECT_EQ(LevelStars(3), 3);
  EXPECT_FALSE(LevelHinted(3));
  EXPECT_EQ(TotalStars(), 4);
}

TEST_F(OptionsTest, ResetProgressStartsAfreshAndKeepsTheSettings) {
  WriteFile(ProgressText(DEFAULT_LEVEL_COUNT, {"1", "2", "3"}));
  LoadOptions();
  RecordLevelCompleted(4, 2, 1, true);
  OptionsRoot()->AttributeValueSet("musicVolume", "40");
  OptionsRoot()->AttributeValueSet("music", "false");
  ResetProgress();
  const auto reread = Reread();  // saved at once
  const xmlNode* root = reread->GetRoot();
  EXPECT_EQ(root->AttributeValueGet("musicVolume"), "40");
  EXPECT_EQ(root->AttributeValueGet("music"), "false");
  EXPECT_EQ(root->AttributeValueGet("lastLevel"), "1");
  EXPECT_EQ(root->AttributeValueGet("win"), "false");
  for (int level = 1; level <= 5; ++level) {
    SCOPED_TRACE(level);
    EXPECT_EQ(root->GetChild(level)->AttributeValueGet("score"), "");
    EXPECT_EQ(root->GetChild(level)->AttributeValueGet("status"), level == 1 ? "Open" : "Close");
    EXPECT_EQ(LevelStars(level), 0);
    EXPECT_FALSE(LevelHinted(level));
  }
  EXPECT_EQ(TotalStars(), 0);
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

TEST_F(OptionsTest, FileWithErrorsIsKeptAsideAndWhatItHoldsIsUsed) {
  std::string text = ProgressText(DEFAULT_LEVEL_COUNT, {"4", "2"});
  text.replace(text.find("music=\"true\""), 12, "music=\"false\"");
  WriteFile(text + "</extra>\n");
  ::testing::internal::CaptureStderr();
  LoadOptions();
  const std::string message = ::testing::internal::GetCapturedStderr();
  ReadOptionSwitches();
  EXPECT_EQ(musicOn, 0);
  EXPECT_EQ(LevelRecord(2)->AttributeValueGet("score"), "2");
  EXPECT_EQ(LevelRecord(3)->AttributeValueGet("status"), "Open");
  const auto kept = ReadAssetOrFile(File() + ".bad");
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(std::string(kept->begin(), kept->end()), text + "</extra>\n");
  EXPECT_NE(message.find("Unexpected closing tag (/extra)); kept it as brakkon.dat.bad"),
            std::string::npos)
      << message;
  EXPECT_NE(ProgressNotice(), "");
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

TEST(LevelOrder, EveryEarlierNumberHasOnePresentNumber) {
  std::vector<int> seen(DEFAULT_LEVEL_COUNT + 1, 0);
  for (int earlier = 1; earlier <= DEFAULT_LEVEL_COUNT; ++earlier) {
    const int present = PresentLevelNumber(earlier);
    ASSERT_GE(present, 1) << earlier;
    ASSERT_LE(present, DEFAULT_LEVEL_COUNT) << earlier;
    EXPECT_EQ(++seen[static_cast<std::size_t>(present)], 1) << "level " << present << " twice";
  }
  EXPECT_EQ(PresentLevelNumber(1), 1);
  EXPECT_EQ(PresentLevelNumber(DEFAULT_LEVEL_COUNT + 1), DEFAULT_LEVEL_COUNT + 1);
}

TEST_F(OptionsTest, ProgressSavedBeforeTheLevelsWereNumberedAnewFollowsEachLevel) {
  // Earlier levels 1 and 2 won (3 and 2 stars, the second after a hint), 3 reached, 2 selected.
  std::string earlier = ProgressText(DEFAULT_LEVEL_COUNT, {"1", "4"});
  earlier.replace(earlier.find(" levelOrder=\"2\""), 15, " stars=\"32\" hints=\"01\"");
  earlier.replace(earlier.find("lastLevel=\"1\""), 13, "lastLevel=\"2\"");
  earlier.replace(earlier.find("num=\"3\" score=\"\" status=\"Close\""), 32,
                  "num=\"3\" score=\"\" status=\"Open\"");
  const int second = PresentLevelNumber(2);
  const int third = PresentLevelNumber(3);
  ASSERT_NE(second, 2);
  ASSERT_NE(second + 1, third);  // the level after the second is a new one to open
  const struct {
    const char* name;
    std::string text;
  } cases[] = {{"clean", earlier}, {"damaged", earlier + "</extra>\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    optionsDoc.reset();
    std::error_code ec;
    fs::remove(File() + ".bak", ec);  // the damaged file has no backup to fall back on
    WriteFile(c.text);
    LoadOptions();
    for (int load = 0; load < 2; ++load) {  // moved once, then read as saved
      EXPECT_EQ(LevelRecord(1)->AttributeValueGet("score"), "1");
      EXPECT_EQ(LevelRecord(second)->AttributeValueGet("score"), "4");
      EXPECT_EQ(LevelRecord(2)->AttributeValueGet("score"), "");
      EXPECT_EQ(LevelStars(1), 3);
      EXPECT_EQ(LevelStars(second), 2);
      EXPECT_FALSE(LevelHinted(1));
      EXPECT_TRUE(LevelHinted(second));
      EXPECT_EQ(OptionsRoot()->AttributeValueGet("lastLevel"), std::to_string(second));
      EXPECT_EQ(LevelRecord(third)->AttributeValueGet("status"), "Open") << "still reached";
      EXPECT_EQ(LevelRecord(second + 1)->AttributeValueGet("status"), "Open") << "after a win";
      EXPECT_EQ(LevelRecord(3)->AttributeValueGet("status"), third == 3 ? "Open" : "Close");
      EXPECT_EQ(Reread()->GetRoot()->AttributeValueGet("levelOrder"), "2");
      optionsDoc.reset();
      LoadOptions();
    }
  }
}

TEST_F(OptionsTest, FailedSaveKeepsTheDocumentInMemory) {
  LoadOptions();
  fs::remove(File());
  fs::create_directories(File() + "/blocked");
  OptionsRoot()->AttributeValueSet("lastLevel", "9");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveOptions());
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("cannot save progress to " + File() + ": " + File() + " is a folder"),
            std::string::npos)
      << message;
  EXPECT_EQ(OptionsRoot()->AttributeValueGet("lastLevel"), "9");
}

// [SECTION] Damaged files ----------------------------------------------------------------------

/// Progress that was played and saved: levels 1-9 and 100 completed, in the container, with the
/// backup every save leaves. Thousands of loads and saves: in memory where the system allows.
class DamagedFileTest : public OptionsTest {
 protected:
  fs::path Base() const override {
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
               ? fs::path("/dev/shm")
               : fs::temp_directory_path();
  }
  void SetUp() override {
    OptionsTest::SetUp();
    LoadOptions();
    for (const auto& [level, shots] : TRUTH) RecordLevelCompleted(level, shots);
    SaveOptionsOnExit(4);
    good_ = FileBytes();
    backup_ = ReadAssetOrFile(File() + ".bak");
    optionsDoc.reset();
  }

  /// One damaged copy of the good file; `record` is the level whose record holds the damage
  /// (0: none of them, as for the header), which a flip may change but never move.
  struct TCase {
    std::string family;
    std::vector<std::uint8_t> bytes;
    int record = 0;
  };

  /// The level whose record holds byte `offset` of the file (0 outside every record).
  int RecordAt(std::size_t offset) const {
    const std::string text = xmlContainerDecode(good_);
    if (offset < 8) return 0;
    const std::size_t lineStart = text.rfind('\n', offset - 8);
    const std::size_t tag =
        text.find("<level num=\"", lineStart == std::string::npos ? 0 : lineStart);
    const std::size_t lineEnd = text.find('\n', offset - 8);
    if (tag == std::string::npos || tag > lineEnd) return 0;
    return xmlTextToInt(text.substr(tag + 12));
  }

  std::vector<TCase> Cases() const {
    std::vector<TCase> cases;
    for (std::size_t byte = 0; byte < 8; ++byte) {
      for (int bit = 0; bit < 8; ++bit) {
        TCase c{"header bit flip", good_, 0};
        c.bytes[byte] ^= static_cast<std::uint8_t>(1 << bit);
        cases.push_back(c);
      }
    }
    for (std::size_t byte = 8; byte < good_.size(); byte += 29) {
      for (int bit = 0; bit < 8; ++bit) {
        TCase c{"body bit flip", good_, RecordAt(byte)};
        c.bytes[byte] ^= static_cast<std::uint8_t>(1 << bit);
        cases.push_back(c);
      }
    }
    for (std::size_t length = 0; length < good_.size(); length += 64) {
      cases.push_back(
          {"truncated",
           std::vector<std::uint8_t>(good_.begin(), good_.begin() + static_cast<long>(length)),
           RecordAt(length)});
    }
    std::mt19937 random(3000);
    for (int n = 0; n < 8; ++n) {
      std::vector<std::uint8_t> noise(3000);
      for (auto& b : noise) b = static_cast<std::uint8_t>(random());
      cases.push_back({"random bytes", noise, 0});
    }
    const std::string text = xmlContainerDecode(good_);
    auto encoded = [&](const std::string& plain) { return xmlContainerEncode(plain, 77); };
    const std::size_t record6 = text.find("<level num=\"6\"");
    const std::size_t record5End = text.find("/>", text.find("<level num=\"5\""));
    const std::size_t line6End = text.find('\n', record6) + 1;
    const std::size_t line6Start = text.rfind('\n', record6) + 1;
    cases.push_back({"lost <", encoded(std::string(text).erase(record6, 1)), 6});
    cases.push_back({"lost /", encoded(std::string(text).erase(record5End, 1)), 5});
    cases.push_back({"duplicated record",
                     encoded(std::string(text).insert(
                         line6End, text.substr(line6Start, line6End - line6Start))),
                     6});
    return cases;
  }

  /// Levels completed and their scores as the game now offers them.
  static std::map<int, std::string> Completed() {
    std::map<int, std::string> completed;
    for (int level = 1; level <= OfferedLevelCount(); ++level) {
      const std::string score = LevelRecord(level)->AttributeValueGet("score");
      if (!score.empty()) completed[level] = score;
    }
    return completed;
  }

  static inline const std::map<int, int> TRUTH = {{1, 3}, {2, 1}, {3, 4}, {4, 1}, {5, 5},
                                                  {6, 9}, {7, 2}, {8, 6}, {9, 5}, {100, 7}};
  std::vector<std::uint8_t> good_;
  std::optional<std::vector<std::uint8_t>> backup_;
};

TEST_F(DamagedFileTest, NoCompletedLevelIsLostOrMovedAndTheDamagedFileIsKept) {
  ASSERT_TRUE(backup_.has_value()) << "every save leaves a backup";
  struct TTally {
    int cases = 0, lost = 0, moved = 0, notKept = 0;
  };
  std::map<std::string, std::array<TTally, 2>> tally;  // [with backup, without]
  for (const bool withBackup : {true, false}) {
    for (const TCase& c : Cases()) {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path(), ec);
      WriteFile(std::string(c.bytes.begin(), c.bytes.end()));
      if (withBackup) {
        std::ofstream(File() + ".bak", std::ios::binary)
            .write(reinterpret_cast<const char*>(backup_->data()),
                   static_cast<std::streamsize>(backup_->size()));
      }
      optionsDoc.reset();
      ::testing::internal::CaptureStderr();
      LoadOptions();
      const std::string message = ::testing::internal::GetCapturedStderr();
      const auto completed = Completed();
      int lost = 0;
      int moved = 0;
      for (const auto& [level, shots] : TRUTH) {
        const auto found = completed.find(level);
        if (found == completed.end()) {
          ++lost;
        } else if (found->second != std::to_string(shots) && level != c.record) {
          ++moved;  // another level's score, or one the player never made
        }
      }
      for (const auto& [level, score] : completed) moved += TRUTH.count(level) == 0 ? 1 : 0;
      // After the first save of a session, a damaged file must still be there byte for byte,
      // kept aside, unless nothing in it was lost.
      SaveOptions();
      const bool used = lost == 0 && moved == 0;
      bool kept = false;
      for (const auto& entry : fs::directory_iterator(folder_)) {
        const std::string name = entry.path().filename().string();
        kept = kept || (name != "brakkon.dat" && name != "brakkon.dat.bak" &&
                        ReadAssetOrFile(entry.path()) == c.bytes);
      }
      TTally& t = tally[c.family][withBackup ? 0 : 1];
      ++t.cases;
      t.lost += lost > 0 ? 1 : 0;
      t.moved += moved > 0 ? 1 : 0;
      t.notKept += kept || used ? 0 : 1;
      EXPECT_EQ(moved, 0) << c.family << " (record " << c.record << ", backup " << withBackup
                          << ")";
      if (withBackup) {
        EXPECT_EQ(lost, 0) << c.family << " (record " << c.record << "): " << message;
      }
      EXPECT_TRUE(kept || used) << c.family << ": the damaged file is gone";
    }
  }
  std::cout << "family               cases | with backup: lost moved not-kept | without: lost "
               "moved not-kept\n";
  for (const auto& [family, t] : tally) {
    std::printf("%-20s %5d | %17d %5d %8d | %14d %5d %8d\n", family.c_str(), t[0].cases, t[0].lost,
                t[0].moved, t[0].notKept, t[1].lost, t[1].moved, t[1].notKept);
  }
}

// [SECTION] Saves that cannot happen, and odd files ---------------------------------------------

TEST_F(OptionsTest, AFailedSaveIsToldOnceAndTheNextSaveTriesAgain) {
  LoadOptions();
  RecordLevelCompleted(1, 4);
  const std::vector<std::uint8_t> before = FileBytes();
  fs::permissions(File(), fs::perms::owner_read);
  const int serial = ProgressNoticeSerial();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveOptions());
  RecordLevelCompleted(2, 5);  // fails the same way: no second line
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(
      message,
      "brakkon: cannot save progress to " + File() + ": " + File() +
          " is read-only (Permission denied); the game goes on and tries again at the next save\n");
  EXPECT_EQ(ProgressNoticeSerial(), serial + 1);
  EXPECT_EQ(FileBytes(), before);  // a file without write permission is not replaced
  fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(SaveOptions());
  EXPECT_EQ(Reread()->GetRoot()->GetChild(2)->AttributeValueGet("score"), "5");
}

TEST_F(OptionsTest, ASymlinkedFileIsFollowed) {
  LoadOptions();
  const std::string real = folder_ + "/elsewhere.dat";
  fs::rename(File(), real);
  fs::create_symlink(real, File());
  RecordLevelCompleted(1, 6);
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_NE(xmlContainerDecode(ReadAssetOrFile(real).value()).find("num=\"1\" score=\"6\""),
            std::string::npos);
}

TEST_F(OptionsTest, AFileThatCannotBeReadIsLeftAloneAndNotCalledDamaged) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  LoadOptions();
  ::chmod(File().c_str(), 0);
  optionsDoc.reset();
  ::testing::internal::CaptureStderr();
  LoadOptions();
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("cannot be read (Permission denied)"), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(File() + ".bad"));
}

TEST_F(OptionsTest, KeptCopiesNeverReplaceAnEarlierOne) {
  // The first kept-aside names are taken already (one of them by a link to a file of its own).
  std::ofstream(File() + ".bad", std::ios::binary) << "first";
  std::ofstream(folder_ + "/other", std::ios::binary) << "other";
  fs::create_symlink(folder_ + "/other", File() + ".bad2");
  WriteFile("damaged");
  ::testing::internal::CaptureStderr();
  LoadOptions();
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("kept it as brakkon.dat.bad3"), std::string::npos) << message;
  EXPECT_EQ(Reread()->GetRoot()->ChildCount, DEFAULT_LEVEL_COUNT);
  EXPECT_EQ(ReadAssetOrFile(File() + ".bad3").value(),
            std::vector<std::uint8_t>({'d', 'a', 'm', 'a', 'g', 'e', 'd'}));
  EXPECT_EQ(ReadAssetOrFile(File() + ".bad").value().size(), 5u);
  EXPECT_EQ(ReadAssetOrFile(folder_ + "/other").value().size(), 5u);
}

TEST_F(OptionsTest, AMillionElementsAreRefusedAtOnceAndKeptAside) {
  std::string text = "<options>";
  for (int i = 0; i < 1000000; ++i) text += "<a/>";
  WriteFile(text + "</options>");
  const auto started = std::chrono::steady_clock::now();
  ::testing::internal::CaptureStderr();
  LoadOptions();
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
  EXPECT_NE(message.find("File too large"), std::string::npos) << message;
  EXPECT_EQ(fs::file_size(File() + ".bad"), text.size() + 10);
  EXPECT_EQ(OptionsRoot()->ChildCount, DEFAULT_LEVEL_COUNT);
}

TEST_F(OptionsTest, AMissingFileIsRestoredFromTheBackup) {
  LoadOptions();
  RecordLevelCompleted(1, 2);
  fs::remove(File());
  optionsDoc.reset();
  ::testing::internal::CaptureStderr();
  LoadOptions();
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(message, "brakkon: brakkon.dat is missing; used brakkon.dat.bak\n");
  EXPECT_EQ(LevelRecord(1)->AttributeValueGet("score"), "2");
  EXPECT_EQ(Reread()->GetRoot()->GetChild(1)->AttributeValueGet("score"), "2");
}

TEST_F(OptionsTest, DataFolderChoice) {
  EXPECT_EQ(ResolveDataFolder("some/dir", true, "/home/u/.local/share/brakkon/"), "some/dir/");
  EXPECT_EQ(ResolveDataFolder("", true, "/home/u/.local/share/brakkon/"), "");
  EXPECT_EQ(ResolveDataFolder("", false, "/home/u/.local/share/brakkon"),
            "/home/u/.local/share/brakkon/");
  LoadOptions();
  EXPECT_EQ(DataFolder(), folder_ + "/");
  EXPECT_EQ(OptionsFilePath(), File());
}

}  // namespace
