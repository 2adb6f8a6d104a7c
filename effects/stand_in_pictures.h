// Stand-in sheets for the weather and creature pictures of a level when the asset table lacks
// them: plain cells at the real cell layouts, registered as assets. Tests, benchmarks and
// screenshots use them so that every creature and effect is built and drawn as in play.
#pragma once

#include <string>
#include <vector>

/// Registers a stand-in for each level picture of the sun, crow, spider, snowmen, comet, drops and
/// clouds (levels_pic/oblako1..3.png) that no asset provides yet; real pictures are left alone.
/// The PNG files pass through `scratchFolder`. Returns the asset paths it registered.
std::vector<std::string> RegisterStandInPictures(const std::string& scratchFolder);
