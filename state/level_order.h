// The levels were numbered anew once, when they were put in order of difficulty. A progress file
// saved before then keeps each level's record, stars and hint mark under the earlier number; it
// says so by the absence of the root attribute levelOrder (or levelOrder="1"), and is moved to
// the present numbers as it is read.
#pragma once

/// Root attribute of the progress file naming the numbering its level records follow.
constexpr const char* LEVEL_ORDER_KEY = "levelOrder";
/// The numbering of the present level files.
constexpr const char* PRESENT_LEVEL_ORDER = "2";
/// The numbering before it.
constexpr const char* FIRST_LEVEL_ORDER = "1";

/// The present number of the level numbered `earlier` before the re-numbering; `earlier` itself
/// when it is outside the levels that were re-numbered (1-170).
int PresentLevelNumber(int earlier);
