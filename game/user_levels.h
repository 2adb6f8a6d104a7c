// The player's own levels: files in the level file format in `levels/` beside the progress file
// (NAME.xml, the plan of a check as NAME.txt, a thumbnail as NAME.jpg) and the best shots of each
// in levels/best.txt. A level file from outside the game is untrusted: reading it says in one
// line why it cannot be played, and notes what it had to change.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/level_file.h"

/// Longest name of a level of one's own, in characters.
constexpr std::size_t MAX_LEVEL_NAME = 32;

/// DataFolder() + "levels/" (the folder is not created here).
std::string UserLevelFolder();
/// Creates the folder when missing; false with `error` when it cannot be made.
bool MakeUserLevelFolder(std::string& error);
/// UserLevelFolder() + name + ".xml", ".txt" (the checked plan) and ".jpg" (the thumbnail).
std::string UserLevelPath(const std::string& name);
std::string UserPlanPath(const std::string& name);
std::string UserThumbPath(const std::string& name);
/// Letters, digits, '-' and '_', 1 to MAX_LEVEL_NAME of them.
bool IsLevelName(const std::string& name);
/// The names of the .xml files in the folder whose names are level names, sorted.
std::vector<std::string> UserLevelNames();

/// A level file read from outside the game.
struct TUserLevel {
  std::shared_ptr<TLevelFile> level;  ///< null when it cannot be played
  std::string problem;                ///< why not ("it is not a level file: ..."); "" when it can
  std::vector<std::string> notes;     ///< what reading changed or could not read
};
/// Reads `path` with the game's level reader. It cannot be played when it cannot be read, is
/// larger than MAX_LEVEL_FILE_BYTES, has no `level` element or builds no body; a file that is not
/// well-formed XML plays with what could be read, with a note.
TUserLevel ReadUserLevel(const std::string& path);

/// Best shots of the player's own levels, by name (levels/best.txt: "NAME SHOTS" per line).
std::map<std::string, int> UserLevelBests();
/// Stores `shots` as the best of `name` when it is fewer than the stored one (or the first);
/// returns the best afterwards. A failed save is logged and leaves the old file whole.
int RecordUserLevelBest(const std::string& name, int shots);
