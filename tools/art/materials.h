// Material painters shared by the body pictures and the game pictures: wood, stone, crates,
// metal, balls and the target look. Each paints a whole w x h rectangle (or the ellipse inside
// it, for round things) so that what the player sees is what collides.
#pragma once

#include "tools/art/art.h"

namespace art {

/// Runs `paint` in a frame where the long side of a w x h rectangle lies along x; `paint` gets
/// the length and the thickness.
void AlongLength(cairo_t* cr, double w, double h, const std::function<void(double, double)>& paint);

/// A wooden plank filling the rectangle; `nails` adds nail heads near the ends (fixed planks).
void WoodPlank(cairo_t* cr, double w, double h, Rgb base, bool nails, Rng& rng);
/// A stone block with bevelled edges; big blocks are split into courses.
void StoneBlock(cairo_t* cr, double w, double h, Rgb base, Rng& rng);
/// A wooden crate with a frame and a diagonal brace.
void Crate(cairo_t* cr, double w, double h, Rgb base, Rng& rng);
/// A riveted metal bar with hazard-striped ends (the sliding platforms).
void MetalBar(cairo_t* cr, double w, double h, Rgb base, bool hazardEnds);
/// A thin rod (a few pixels thick).
void Rod(cairo_t* cr, double w, double h, Rgb base);

/// Clips to the ellipse inside the rectangle, runs `paint`, then adds the ball shading, the
/// glint and the ink rim.
void RoundThing(cairo_t* cr, double w, double h, const std::function<void()>& paint,
                double glint = 0.75);
/// Bullseye rings in the target colours centred in (w, h), radius r.
void Bullseye(cairo_t* cr, double cx, double cy, double r);

/// The cannon mount (37 x 39): a wooden carriage with a brass hub at (21, 5).
/// `solid` fills the whole rectangle (the body version).
void CannonMount(cairo_t* cr, bool solid);

}  // namespace art
