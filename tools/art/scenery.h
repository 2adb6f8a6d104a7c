// Scenery painters shared by the backgrounds and the level decorations: foliage crowns, trunks,
// fir trees, palms, grass, flowers, clouds and rolling ground. Decorations draw them with an
// outline in a darker tone of their own colour; backgrounds draw them without outlines and with
// colours hazed toward the sky, so neither can be mistaken for an inked physics body.
#pragma once

#include <vector>

#include "tools/art/art.h"

namespace art {

/// How a scenery shape is edged: `width` 0 draws no outline; `haze` mixes every colour toward
/// `air` (0 keeps the colours, 1 gives pure air), which sets things back into the distance.
struct Pen {
  double width = 2;
  double haze = 0;
  Rgb air = WHITE;
  /// The colour c as this pen paints it.
  Rgb Paint(Rgb c) const { return haze > 0 ? Mix(c, air, haze) : c; }
  /// The outline colour for a shape of colour c: a dark tone of c, never the ink of bodies.
  Rgb Line(Rgb c) const { return Paint(Shade(c, -0.55)); }
};

/// A pen without outlines for distant scenery.
Pen Distant(double haze, Rgb air);

struct Circle {
  double x, y, r;
};

/// A lumpy crown of leaves: the union of the circles, shaded from a light top left to a dark
/// bottom, with a few light leaf clusters and a single outline around the whole.
void Crown(cairo_t* cr, const std::vector<Circle>& lumps, Rgb leaf, const Pen& pen, Rng& rng);
/// Circles for a crown filling the ellipse (cx, cy, rx, ry).
std::vector<Circle> CrownLumps(double cx, double cy, double rx, double ry, int count, Rng& rng);
/// A tapered limb from (x0, y0) width w0 to (x1, y1) width w1, round at both ends.
void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double w0, double w1, Rgb bark,
          const Pen& pen);
/// A broad-leaved tree standing at (x, baseY): trunk, a few branches and a crown of rx x ry.
void LeafyTree(cairo_t* cr, double x, double baseY, double height, double rx, double ry, Rgb bark,
               Rgb leaf, const Pen& pen, Rng& rng);
/// A fir tree of tiers, its tip at (cx, baseY - h); `snow` lays snow on every tier.
void FirTree(cairo_t* cr, double cx, double baseY, double w, double h, Rgb needles, bool snow,
             const Pen& pen, Rng& rng);
/// A palm from (x, baseY) curving to its crown at (topX, topY), with fronds of length `frond`.
void PalmTree(cairo_t* cr, double x, double baseY, double topX, double topY, double frond, Rgb bark,
              Rgb leaf, const Pen& pen, Rng& rng);
/// Blades of grass along baseY between x0 and x1, up to `height` tall.
void Grass(cairo_t* cr, double x0, double x1, double baseY, double height, int blades, Rgb green,
           const Pen& pen, Rng& rng);
/// A flower head of `petals` petals of radius r at (x, y).
void Blossom(cairo_t* cr, double x, double y, double r, int petals, Rgb petal, Rgb middle,
             const Pen& pen, double turnDeg = 0);
/// A cartoon cloud filling about w x h around (cx, cy).
void Cloud(cairo_t* cr, double cx, double cy, double w, double h, Rgb body, Rgb shadow,
           const Pen& pen, double alpha, Rng& rng);
/// Fills from a wavy ridge down to `bottom` over the width: the ridge is baseY plus a sum of
/// smooth waves of amplitude amp (the rng picks their phases), shaded top to bottom.
void Ridge(cairo_t* cr, double width, double baseY, double amp, double bottom, Rgb top, Rgb low,
           Rng& rng, double roughness = 0);
/// Sky gradient over the whole w x h canvas through the given stops (0..1 from the top).
void Sky(cairo_t* cr, double w, double h, const std::vector<std::pair<double, Rgb>>& stops);
/// A soft round glow (sun, moon halo, lamp light).
void Glow(cairo_t* cr, double cx, double cy, double r, Rgb c, double alpha);

}  // namespace art

namespace art {

// [SECTION] Figures shared by a decoration and an animation ---------------------------------------

/// Pose of the snowman; the rest pose is the default.
struct SnowmanPose {
  double hatLift = 0;   ///< pixels the hat rises off the head
  double hatTilt = 0;   ///< degrees, clockwise
  double leftArm = 0;   ///< degrees the arm on the viewer's left is raised from rest
  double rightArm = 0;  ///< degrees the arm on the viewer's right is raised from rest
  double eyesOpen = 1;  ///< 1 open, 0 shut
  double look = 0;      ///< -1 looks left, 1 looks right
  double bounce = 0;    ///< pixels the upper body rises
  bool topHat = true;   ///< top hat, or a knitted cap with a bobble
};
/// A snowman in a 130 x 170 frame: standing on y 162, centred on x 65. Scale the context for
/// other sizes.
void Snowman(cairo_t* cr, const SnowmanPose& pose);

/// A spider hanging with its body centred on (x, y); `legs` (0..1, periodic) moves its legs.
void Spider(cairo_t* cr, double x, double y, double scale, double legs);
/// A spider's silk thread from (x, y0) down to (x, y1).
void Thread(cairo_t* cr, double x, double y0, double y1);

}  // namespace art
