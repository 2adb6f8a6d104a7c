// The options and progress file: the music and sound switches, whether the final win screen was
// reached, the last selected level, and per level whether it is open and its best shot count.
// Read once at start-up into optionsDoc; every change is made there and the whole file is saved.
// What the game keeps beyond that (stars, hints used, volumes and settings) lives in extra
// attributes of the root, so the level records keep their three attributes and a file written
// now still reads cleanly with the readers that came before:
//   musicVolume, soundVolume   0-100
//   fullscreen, gauge, firstShot   "true" / "false"
//   stars    one digit 0-3 per level, in level order ("3120..."); 0: none yet
//   hints    one digit 0/1 per level: 1 when the level's stars were won after a hint
#pragma once

#include <string>

class xmlNode;

/// Folder that holds the progress file, chosen by --data-dir (created when missing). Must be set
/// before LoadOptions; without it the working folder is used, or the user's data folder when the
/// working folder cannot be written.
void SetDataFolder(const std::string& folder);
/// The folder LoadOptions settled on: "" for the working folder, otherwise ending in "/".
const std::string& DataFolder();
/// The choice LoadOptions makes: the requested folder, else the working folder ("") when it is
/// writable, else `userFolder`. Non-empty results end in "/".
std::string ResolveDataFolder(const std::string& requested, bool workingFolderWritable,
                              const std::string& userFolder);
/// The user's own data folder for the game (XDG data home), ending in "/".
std::string UserDataFolderForProgress();
/// Path of the progress file: DataFolder() + optionsFileName.
std::string OptionsFilePath();

/// Reads the progress into optionsDoc: the progress file when it reads cleanly as a progress
/// document (no parse error, root "options", level records numbered 1, 2, ... with valid scores
/// and states), else its backup, else what can be read of either (each record goes to the level
/// its "num" names), else the defaults (170 levels, level 1 open). A damaged file is kept aside
/// as "<name>.bad" (".bad2", ...: never replacing a file) with one line on standard error and a
/// notice; a file that cannot be read for its permissions is left alone. Missing level records
/// are rebuilt, so record 1..170 always exist afterwards. Anything but the clean progress file is
/// saved at once.
void LoadOptions();
/// Start-up: musicOn, soundOn and gameCompleted from the root's music, sound and win.
void ReadOptionSwitches();
/// Music volume from musicOn and the music volume setting, the sound effects' volume from the
/// sound volume setting, root music and sound from the switches, then a save.
void ApplyAudioSettings();
/// Volume of the music channel: 0.8 x musicVolume / 100 while music is on, else 0.
float MusicChannelVolume();
/// Start-up: playSettings from the root's extra attributes; a missing or unreadable value keeps
/// its default.
void ReadPlaySettings();
/// Writes playSettings into the root's extra attributes and saves.
void SavePlaySettings();
/// Saves optionsDoc to OptionsFilePath() in the container, then the same bytes to
/// BackupFilePath(). False when the progress file cannot be written: one line on standard error
/// names the file and the reason (once while the same failure repeats) and sets the notice; the
/// document in memory stays as it is and the next save tries again.
bool SaveOptions();
/// Path of the backup every save leaves: OptionsFilePath() + ".bak".
std::string BackupFilePath();
/// A short message for the player about the progress (a damaged file replaced, a save that
/// failed), "" while there has been none; the serial grows with every new message, so each
/// screen can show a message once.
const std::string& ProgressNotice();
int ProgressNoticeSerial();
/// Another short message for the player, shown where the progress notices are (a level file
/// that cannot be played, for one).
void SetPlayerNotice(const std::string& text);

/// The root element of optionsDoc, null before LoadOptions.
xmlNode* OptionsRoot();
/// Record of level `level` (1-based), null when there is none.
xmlNode* LevelRecord(int level);
/// Levels the game offers: the records present, at most the number of level files.
int OfferedLevelCount();

/// Stars for a win with `shots` against `par`: 3 at par or better, 2 up to par + 2, 1 beyond;
/// 0 when there is no par (a level without a plan).
int StarsFor(int shots, int par);
/// Best shots kept for `level`; 0 when never completed or no record.
int BestShotsOf(int level);
/// Stars kept for `level` (0-3; 0 when none or no record).
int LevelStars(int level);
/// True when the level's kept stars were won after a hint.
bool LevelHinted(int level);
/// Sum of the kept stars of every offered level.
int TotalStars();

/// What completing a level changed in the progress document.
struct TLevelCompletion {
  bool newBest = false;     ///< score now holds the shots of this attempt
  int best = 0;             ///< best score after the attempt
  int stars = 0;            ///< stars of this attempt (0 without a par)
  int bestStars = 0;        ///< stars kept after the attempt
  bool newStars = false;    ///< this attempt won more stars than were kept
  bool nextOpened = false;  ///< the next level's record was set to "Open"
  bool gameWon = false;     ///< the last level was completed while gameCompleted was 0: win="true"
};
/// Records a win of `level` with `shots` shots: a lower (or first) score is stored, the next
/// level is opened, completing the last level for the first time sets win="true" (saved at once),
/// and the file is saved. Updates levelCount. Does nothing for a level without a record.
/// With a `par`, the attempt's stars are kept when more than before; a win after a hint
/// (`hinted`) marks those stars as such, a win without one as good as the kept stars clears it.
TLevelCompletion RecordLevelCompleted(int level, int shots, int par = 0, bool hinted = false);
/// Starts the progress anew, as on a first run: level 1 open and every other closed, no scores,
/// stars or hints, lastLevel 1, win "false", gameCompleted 0. The switches and settings stay.
/// Saved at once.
void ResetProgress();
/// Root lastLevel as decimal text; not saved by itself.
void SetLastLevel(int level);
/// End of the program: lastLevel = selectedRow + 1, then save.
void SaveOptionsOnExit(int selectedRow);
