// The random-input player of soak runs (--random-input SEED): it looks at which screen is shown
// and feeds the input a player might give there (aiming, clicks, Escape, Space, the menu
// buttons), and it takes the game through every level that exists, one after another.
#pragma once

/// Starts the player with `seed`; the same seed gives the same run.
void StartRandomPlayer(unsigned seed);
/// Feeds this pass's input; does nothing unless the player was started. Once per loop pass,
/// before the pass.
void RandomPlayerStep();
/// Prints what the player did (frames, levels visited, shots) when it was started.
void ReportRandomPlayer();
