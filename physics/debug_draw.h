// debugDraw, the physics debug renderer: outlines of the shapes drawn over the game picture through
// the media layer, for development. Installed only in worlds created with debugZ = 1.
#pragma once

#include <string>

#include "physics/binding.h"

class debugDraw : public physics::b2DebugDraw {
 public:
  int showDetails = 0;  ///< 1: label each polygon vertex with its world coordinates

  void DrawPolygon(const physics::b2Vec2* vertices, int vertexCount,
                   const physics::b2Color& color) override;
  /// Translucent half-bright fill, half-bright outline, optional vertex labels.
  void DrawSolidPolygon(const physics::b2Vec2* vertices, int vertexCount,
                        const physics::b2Color& color) override;
  void DrawCircle(const physics::b2Vec2& center, float radius,
                  const physics::b2Color& color) override;
  /// Half-bright filled oval; the axis is not drawn.
  void DrawSolidCircle(const physics::b2Vec2& center, float radius, const physics::b2Vec2& axis,
                       const physics::b2Color& color) override;
  void DrawSegment(const physics::b2Vec2& p1, const physics::b2Vec2& p2,
                   const physics::b2Color& color) override;
  void DrawXForm(const physics::b2XForm& xf) override;
  /// A square dot of `size` pixels.
  void DrawPoint(const physics::b2Vec2& p, float size, const physics::b2Color& color) override;
};

/// Label of a vertex: "x,y" with each number cut after its first decimal ("12.3,-4.5").
std::string VertexLabel(const physics::b2Vec2& vertex);
