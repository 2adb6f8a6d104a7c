// The physics debug renderer's drawing: world units to pixels (8 per unit, y flipped), Box2D's
// colours halved for fills and outlines, vertex labels cut to one decimal.
#include "physics/debug_draw.h"

#include <vector>

#include "media/media.h"
#include "physics/trim_decimals.h"

using physics::b2Color;
using physics::b2Vec2;

namespace {

// Two constants on purpose: x scales by 8, y by -8 (world y up, screen y down).
constexpr float PIXELS_X = PIXELS_PER_UNIT;
constexpr float PIXELS_Y = -PIXELS_PER_UNIT;
constexpr float LABEL_OFFSET = 5.0f;

void SetHalfColor(const b2Color& color) {
  SetColor(color.red / 2, color.green / 2, color.blue / 2);
}

void Label(const b2Vec2& vertex) {
  DrawText(VertexLabel(vertex), vertex.x * PIXELS_X + LABEL_OFFSET,
           vertex.y * PIXELS_Y + LABEL_OFFSET);
}

void Edge(const b2Vec2& from, const b2Vec2& to) {
  DrawLine(from.x * PIXELS_X, from.y * PIXELS_Y, to.x * PIXELS_X, to.y * PIXELS_Y);
}

}  // namespace

std::string VertexLabel(const b2Vec2& vertex) {
  return TrimDecimals(FloatText(vertex.x), 2) + "," + TrimDecimals(FloatText(vertex.y), 2);
}

void debugDraw::DrawPolygon(const b2Vec2* vertices, int vertexCount, const b2Color& color) {
  (void)vertices;
  (void)vertexCount;
  (void)color;
}

void debugDraw::DrawSolidPolygon(const b2Vec2* vertices, int vertexCount, const b2Color& color) {
  if (vertexCount <= 0) return;
  SetImageFont(nullptr);
  SetAlpha(0.5f);
  SetHalfColor(color);
  std::vector<float> xy;
  xy.reserve(static_cast<std::size_t>(vertexCount) * 2);
  for (int i = 0; i < vertexCount; ++i) {
    xy.push_back(vertices[i].x * PIXELS_X);
    xy.push_back(vertices[i].y * PIXELS_Y);
  }
  DrawPoly(xy);

  SetAlpha(1.0f);
  SetHalfColor(color);
  for (int i = 0; i + 1 < vertexCount; ++i) {
    Edge(vertices[i], vertices[i + 1]);
    if (showDetails == 1) Label(vertices[i + 1]);
  }
  Edge(vertices[0], vertices[vertexCount - 1]);
  if (showDetails == 1) Label(vertices[0]);
  SetImageFont(nullptr);
}

void debugDraw::DrawCircle(const b2Vec2& center, float radius, const b2Color& color) {
  (void)center;
  (void)radius;
  (void)color;
}

void debugDraw::DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis,
                                const b2Color& color) {
  (void)axis;
  SetAlpha(1.0f);
  SetHalfColor(color);
  // NOTE: the height is negative: the oval is drawn upward from its lower edge.
  DrawOval((center.x - radius) * PIXELS_X, (center.y - radius) * PIXELS_Y, 2.0f * radius * PIXELS_X,
           2.0f * radius * PIXELS_Y);
}

void debugDraw::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) {
  SetColor(color.red, color.green, color.blue);
  Edge(p1, p2);
}

void debugDraw::DrawXForm(const physics::b2XForm& xf) { (void)xf; }

void debugDraw::DrawPoint(const b2Vec2& p, float size, const b2Color& color) {
  SetColor(color.red, color.green, color.blue);
  const float x = p.x * PIXELS_X;
  const float y = p.y * PIXELS_Y;
  // The media layer has no point size: a dot bigger than a pixel is a square of that size.
  if (size > 1.0f) {
    DrawRect(x - size / 2.0f, y - size / 2.0f, size, size);
  } else {
    Plot(x, y);
  }
}
