// Units and conversion constants shared by every subsystem.
// The screen is 800x600 pixels, y down; the physics world uses units of 8 pixels, y up.
// Inside the physics engine one world unit is 0.4 m (see physics/), which nothing outside sees.
#pragma once

constexpr int SCREEN_WIDTH = 800;   ///< logical screen width in pixels
constexpr int SCREEN_HEIGHT = 600;  ///< logical screen height in pixels
constexpr int FRAME_HERTZ = 60;     ///< frames per second of the software pacing

constexpr float PIXELS_PER_UNIT = 8.0f;  ///< screen pixels per physics world unit

/// Metres inside Box2D per world unit: puts Box2D's 2 m-per-step limit at 200 units/s at 60 Hz.
constexpr float ENGINE_METRES_PER_UNIT = 0.4f;

constexpr float MAX_LINEAR_SPEED_UNITS =
    200.0f;  ///< world units per second, clamped before each step
/// Radians per second, clamped before each step: a quarter turn in one frame's simulated time
/// (1.5 / 60 s). Faster, a forearm caught on a plank end whips round and tears its joint.
constexpr float MAX_ANGULAR_SPEED = 62.831853f;

constexpr double PI_DOUBLE = 3.14159265358979323846;
constexpr float DEGREES_PER_RADIAN = static_cast<float>(180.0 / PI_DOUBLE);
constexpr float RADIANS_PER_DEGREE = static_cast<float>(PI_DOUBLE / 180.0);

/// Pixel position to world point: (px / 8, -py / 8).
constexpr float PixelToWorldX(float px) { return px / PIXELS_PER_UNIT; }
constexpr float PixelToWorldY(float py) { return -py / PIXELS_PER_UNIT; }
/// World point to pixel position.
constexpr float WorldToPixelX(float wx) { return wx * PIXELS_PER_UNIT; }
constexpr float WorldToPixelY(float wy) { return -wy * PIXELS_PER_UNIT; }
