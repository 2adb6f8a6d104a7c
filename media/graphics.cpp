// Window, renderer, frame pacing, the drawing state and the primitive drawing operations.
// Everything is drawn in 800x600 logical pixels; SDL scales that picture letterboxed into the
// window at the window's own (high-DPI) resolution.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "media/media_local.h"

namespace media_local {

namespace {

Window window;
TDrawState drawState;
TClock* injectedClock = nullptr;
bool traceOn = false;
std::vector<TDrawTraceEntry> trace;

constexpr int OVAL_SEGMENTS_MIN = 12;
constexpr int OVAL_SEGMENTS_MAX = 96;
/// Displays refreshed at least this often get the picture presented in step with them; the
/// frame pacing still holds play at the game's rate. A slower display would slow play down.
constexpr int IN_STEP_MIN_HERTZ = 59;

}  // namespace

Window& Win() { return window; }
TDrawState& State() { return drawState; }
SDL_Renderer* Renderer() { return window.renderer; }
bool TraceOn() { return traceOn; }

void Trace(const TDrawTraceEntry& entry) {
  if (traceOn) trace.push_back(entry);
}

void ApplyClip() {
  if (window.renderer == nullptr) return;
  const TDrawState& s = drawState;
  if (s.viewportX <= 0 && s.viewportY <= 0 && s.viewportX + s.viewportW >= window.width &&
      s.viewportY + s.viewportH >= window.height) {
    SDL_RenderSetClipRect(window.renderer, nullptr);
    return;
  }
  // An empty viewport clips everything; SDL treats a zero-size clip rectangle as "no clip".
  SDL_Rect clip{s.viewportX, s.viewportY, std::max(s.viewportW, 0), std::max(s.viewportH, 0)};
  if (clip.w == 0 || clip.h == 0) clip = SDL_Rect{-10, -10, 1, 1};
  SDL_RenderSetClipRect(window.renderer, &clip);
}

SDL_BlendMode BlendFor(int blend) {
  switch (blend) {
    case SOLIDBLEND: return SDL_BLENDMODE_NONE;
    case LIGHTBLEND: return SDL_BLENDMODE_ADD;
    case SHADEBLEND: return SDL_BLENDMODE_MOD;
    default: return SDL_BLENDMODE_BLEND;  // masked pixels are transparent through their alpha
  }
}

std::uint8_t VertexAlpha() {
  // Only alpha blending honours the alpha of the drawing state.
  if (drawState.blend != ALPHABLEND && drawState.blend != LIGHTBLEND) return 255;
  const float a = std::clamp(drawState.alpha, 0.0f, 1.0f);
  return static_cast<std::uint8_t>(std::lround(a * 255.0f));
}

Transform CurrentTransform() {
  const double theta = drawState.rotation * (PI_DOUBLE / 180.0);
  const auto c = static_cast<float>(std::cos(theta));
  const auto s = static_cast<float>(std::sin(theta));
  return Transform{c * drawState.scaleX, -s * drawState.scaleY, s * drawState.scaleX,
                   c * drawState.scaleY};
}

namespace {

SDL_Color VertexColor() {
  return SDL_Color{static_cast<Uint8>(std::clamp(drawState.colorR, 0, 255)),
                   static_cast<Uint8>(std::clamp(drawState.colorG, 0, 255)),
                   static_cast<Uint8>(std::clamp(drawState.colorB, 0, 255)), VertexAlpha()};
}

SDL_FPoint Map(const Transform& t, float ax, float ay, float u, float v) {
  return SDL_FPoint{ax + u * t.ix + v * t.iy, ay + u * t.jx + v * t.jy};
}

}  // namespace

void DrawTexturedQuad(SDL_Texture* texture, const SDL_FRect& source, int texWidth, int texHeight,
                      float ax, float ay, float u0, float v0, float u1, float v1) {
  if (window.renderer == nullptr || texture == nullptr) return;
  const Transform t = CurrentTransform();
  const SDL_Color color = VertexColor();
  const float s0 = source.x / static_cast<float>(texWidth);
  const float t0 = source.y / static_cast<float>(texHeight);
  const float s1 = (source.x + source.w) / static_cast<float>(texWidth);
  const float t1 = (source.y + source.h) / static_cast<float>(texHeight);
  SDL_Vertex vertices[4] = {
      {Map(t, ax, ay, u0, v0), color, {s0, t0}},
      {Map(t, ax, ay, u1, v0), color, {s1, t0}},
      {Map(t, ax, ay, u1, v1), color, {s1, t1}},
      {Map(t, ax, ay, u0, v1), color, {s0, t1}},
  };
  static const int indices[6] = {0, 1, 2, 0, 2, 3};
  SDL_SetTextureBlendMode(texture, BlendFor(drawState.blend));
  ApplyClip();
  SDL_RenderGeometry(window.renderer, texture, vertices, 4, indices, 6);
}

void DrawTriangles(const std::vector<SDL_FPoint>& points, const std::vector<int>& indices) {
  if (window.renderer == nullptr || points.empty() || indices.empty()) return;
  const SDL_Color color = VertexColor();
  std::vector<SDL_Vertex> vertices;
  vertices.reserve(points.size());
  for (const SDL_FPoint& p : points) vertices.push_back(SDL_Vertex{p, color, {0, 0}});
  SDL_SetRenderDrawBlendMode(window.renderer, BlendFor(drawState.blend));
  ApplyClip();
  SDL_RenderGeometry(window.renderer, nullptr, vertices.data(), static_cast<int>(vertices.size()),
                     indices.data(), static_cast<int>(indices.size()));
}

}  // namespace media_local

using namespace media_local;

// [SECTION] Window and frame -------------------------------------------------------------------

void SetHeadless(bool headless) {
  Win().headless = headless;
  Win().pacing = !headless;
}
bool IsHeadless() { return Win().headless; }

void AppTitle(const std::string& title) {
  Win().title = title;
  if (Win().window != nullptr) SDL_SetWindowTitle(Win().window, title.c_str());
}

namespace {

/// False when SDL fell back to a driver without a screen by itself: with no display to open
/// (no DISPLAY or WAYLAND_DISPLAY) it picks "offscreen", and the game would run unseen until
/// killed. A driver asked for by name (SDL_VIDEODRIVER, or its hint) is always taken as meant.
bool WindowDriverUsable() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  if (SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr) return true;
  return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

/// Whether the window's display refreshes at least as often as the game's frames (and says so).
bool PresentInStep(SDL_Window* window, int hertz) {
  SDL_DisplayMode mode;
  const int display = SDL_GetWindowDisplayIndex(window);
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return false;
  return mode.refresh_rate >= std::min(hertz, IN_STEP_MIN_HERTZ) && mode.refresh_rate > 0;
}

}  // namespace

bool Graphics(int width, int height, int /*depth*/, int hertz, int /*flags*/) {
  Window& w = Win();
  if (w.renderer != nullptr) return true;  // the window opens once
  InstallSignalHandlers();
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (w.headless) {
    // Default priority: an SDL_VIDEODRIVER / SDL_AUDIODRIVER set in the environment still wins.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_DEFAULT);
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (w.headless) {
      std::fprintf(stderr, "brakkon: cannot open the video system: %s\n", SDL_GetError());
    } else {
      std::fprintf(
          stderr, "brakkon: no display found (%s); start with --headless to run without a window\n",
          SDL_GetError());
    }
    return false;
  }
  if (!w.headless && !WindowDriverUsable()) {
    std::fprintf(
        stderr,
        "brakkon: no display found (the video system offers only its \"%s\" driver); start "
        "with --headless to run without a window\n",
        SDL_GetCurrentVideoDriver());
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  // Optional: no joystick support means no joystick (and no game controller).
  SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
  w.width = width;
  w.height = height;
  Uint32 windowFlags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  if (w.headless) windowFlags = SDL_WINDOW_HIDDEN;
  w.window = SDL_CreateWindow(w.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              width, height, windowFlags);
  if (w.window == nullptr) {
    std::fprintf(stderr, "brakkon: cannot open a window: %s\n", SDL_GetError());
    return false;
  }
  if (!w.headless) {
    const Uint32 sync = PresentInStep(w.window, hertz) ? SDL_RENDERER_PRESENTVSYNC : 0;
    w.renderer = SDL_CreateRenderer(w.window, -1,
                                    SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE | sync);
  }
  if (w.renderer == nullptr) {
    w.renderer =
        SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
  }
  if (w.renderer == nullptr) {
    std::fprintf(stderr, "brakkon: cannot create a renderer: %s\n", SDL_GetError());
    SDL_DestroyWindow(w.window);
    w.window = nullptr;
    return false;
  }
  SDL_RenderSetLogicalSize(w.renderer, width, height);
  SDL_SetWindowMinimumSize(w.window, width / 4, height / 4);
  w.hertz = hertz;
  w.tick = hertz > 0 ? 1000 / hertz : 0;
  w.remainder = hertz > 0 ? 1000 % hertz : 0;
  w.fraction = 0;
  w.next = Millisecs();
  w.frameCount = 0;
  TDrawState& s = State();
  s.viewportX = 0;
  s.viewportY = 0;
  s.viewportW = width;
  s.viewportH = height;
  OpenAudio();
  SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
  SDL_RenderClear(w.renderer);
  return true;
}

void EndGraphics() { CloseGraphics(true); }

void LeaveGraphics() { CloseGraphics(false); }

void media_local::CloseGraphics(bool closeAudio) {
  Window& w = Win();
  StopBackground();  // no decoding runs on past the window
  ReleaseAllTextures();
  ReleaseFontTextures();
  if (closeAudio) {
    CloseAudio();
  } else {
    SilenceAudio();
  }
  if (w.renderer != nullptr) SDL_DestroyRenderer(w.renderer);
  if (w.window != nullptr) SDL_DestroyWindow(w.window);
  w.renderer = nullptr;
  w.window = nullptr;
  w.frameLimit = 0;
  w.screenshotFile.clear();
  ResetInput();
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
}

bool GraphicsOpen() { return Win().renderer != nullptr; }
int GraphicsWidth() { return Win().width; }
int GraphicsHeight() { return Win().height; }
int GraphicsHertz() { return Win().hertz; }

std::string RendererName() {
  if (Win().renderer == nullptr) return "";
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(Win().renderer, &info) != 0) return "";
  return info.name;
}

bool PresentsInStep() {
  SDL_RendererInfo info;
  if (Win().renderer == nullptr || SDL_GetRendererInfo(Win().renderer, &info) != 0) return false;
  return (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

int Millisecs() {
  if (injectedClock != nullptr) return injectedClock->Millisecs();
  return static_cast<int>(SDL_GetTicks64() & 0x7FFFFFFF);
}

void Delay(int milliseconds) {
  if (milliseconds <= 0) return;
  if (injectedClock != nullptr) {
    injectedClock->Delay(milliseconds);
    return;
  }
  SDL_Delay(static_cast<Uint32>(milliseconds));
}

void SetClock(TClock* clock) { injectedClock = clock; }
void SetFramePacing(bool on) { Win().pacing = on; }

void Flip(int sync) {
  Window& w = Win();
  if (w.renderer == nullptr) return;
  // Exactly the frame of the limit: a second flip in the same pass of the game's loop, before
  // the close request is seen, neither rewrites the picture nor asks again.
  const bool lastFrame = w.frameLimit > 0 && w.frameCount + 1 == w.frameLimit;
  if (lastFrame && !w.screenshotFile.empty()) {
    const PixmapPtr shot = ReadScreen(0, 0, w.width, w.height);
    if (!shot || !SavePixmapPNG(shot, w.screenshotFile)) {
      std::fprintf(stderr, "brakkon: cannot write the screenshot %s\n", w.screenshotFile.c_str());
    }
  }
  if (sync == -1 && w.pacing && w.hertz > 0) {
    w.next += w.tick;
    w.fraction += w.remainder;
    if (w.fraction >= w.hertz) {
      w.fraction -= w.hertz;
      w.next += 1;
    }
    const int wait = w.next - Millisecs();
    if (wait > 0) {
      Delay(wait);
    } else {
      w.next -= wait;  // restart the schedule from now: lost time is not made up
    }
  }
  SDL_RenderPresent(w.renderer);
  ++w.frameCount;
  if (lastFrame) InjectCloseRequest();
}

void Cls() {
  SDL_Renderer* r = Renderer();
  Trace(
      TDrawTraceEntry{"cls", "", 0, 0, 0, 0, 0, 0, State().clsR, State().clsG, State().clsB, 1, 0});
  if (r == nullptr) return;
  SDL_RenderSetClipRect(r, nullptr);
  SDL_SetRenderDrawColor(r, static_cast<Uint8>(State().clsR), static_cast<Uint8>(State().clsG),
                         static_cast<Uint8>(State().clsB), 255);
  SDL_RenderClear(r);
}

void HideMouse() {
  Win().mouseHidden = true;
  if (Win().window != nullptr) SDL_ShowCursor(SDL_DISABLE);
}

void ShowMouse() {
  Win().mouseHidden = false;
  if (Win().window != nullptr) SDL_ShowCursor(SDL_ENABLE);
}

void SetFrameLimit(int frames, const std::string& screenshotFile) {
  Win().frameLimit = std::max(frames, 0);
  Win().screenshotFile = screenshotFile;
}

int FrameCount() { return Win().frameCount; }

void EnableDrawTrace(bool on) { traceOn = on; }
const std::vector<TDrawTraceEntry>& DrawTrace() { return trace; }
void ClearDrawTrace() { trace.clear(); }

// [SECTION] Drawing state ----------------------------------------------------------------------

const TDrawState& GetDrawState() { return State(); }
void SetDrawState(const TDrawState& state) { State() = state; }

void SetColor(int r, int g, int b) {
  State().colorR = std::clamp(r, 0, 255);
  State().colorG = std::clamp(g, 0, 255);
  State().colorB = std::clamp(b, 0, 255);
}
void GetColor(int& r, int& g, int& b) {
  r = State().colorR;
  g = State().colorG;
  b = State().colorB;
}
void SetAlpha(float alpha) { State().alpha = alpha; }
float GetAlpha() { return State().alpha; }
void SetBlend(int mode) {
  State().blend = (mode >= MASKBLEND && mode <= SHADEBLEND) ? mode : MASKBLEND;
}
int GetBlend() { return State().blend; }
void SetRotation(float degrees) { State().rotation = degrees; }
float GetRotation() { return State().rotation; }
void SetScale(float sx, float sy) {
  State().scaleX = sx;
  State().scaleY = sy;
}
void GetScale(float& sx, float& sy) {
  sx = State().scaleX;
  sy = State().scaleY;
}
void SetOrigin(float x, float y) {
  State().originX = x;
  State().originY = y;
}
void GetOrigin(float& x, float& y) {
  x = State().originX;
  y = State().originY;
}
void SetHandle(float x, float y) {
  State().handleX = x;
  State().handleY = y;
}
void GetHandle(float& x, float& y) {
  x = State().handleX;
  y = State().handleY;
}
void SetViewport(int x, int y, int w, int h) {
  State().viewportX = x;
  State().viewportY = y;
  State().viewportW = w;
  State().viewportH = h;
}
void GetViewport(int& x, int& y, int& w, int& h) {
  x = State().viewportX;
  y = State().viewportY;
  w = State().viewportW;
  h = State().viewportH;
}
void SetClsColor(int r, int g, int b) {
  State().clsR = std::clamp(r, 0, 255);
  State().clsG = std::clamp(g, 0, 255);
  State().clsB = std::clamp(b, 0, 255);
}
void GetClsColor(int& r, int& g, int& b) {
  r = State().clsR;
  g = State().clsG;
  b = State().clsB;
}
void SetLineWidth(float width) { State().lineWidth = width > 0 ? width : 1.0f; }
float GetLineWidth() { return State().lineWidth; }

// [SECTION] Shapes -----------------------------------------------------------------------------

namespace {

TDrawTraceEntry ShapeTrace(const char* op, float x, float y, float w, float h) {
  const TDrawState& s = State();
  return TDrawTraceEntry{op,         "",       x,        y,        w,       h,      0,
                         s.rotation, s.colorR, s.colorG, s.colorB, s.alpha, s.blend};
}

/// Points of a shape given in shape space (measured from the shape's top-left), placed at (x, y)
/// less the handle, through the drawing transform and the origin.
std::vector<SDL_FPoint> Place(const std::vector<SDL_FPoint>& local, float x, float y) {
  const Transform t = CurrentTransform();
  const TDrawState& s = State();
  const float ax = x + s.originX;
  const float ay = y + s.originY;
  std::vector<SDL_FPoint> out;
  out.reserve(local.size());
  for (const SDL_FPoint& p : local) {
    const float u = p.x - s.handleX;
    const float v = p.y - s.handleY;
    out.push_back(SDL_FPoint{ax + u * t.ix + v * t.iy, ay + u * t.jx + v * t.jy});
  }
  return out;
}

std::vector<int> FanIndices(int count) {
  std::vector<int> indices;
  for (int i = 1; i + 1 < count; ++i) {
    indices.push_back(0);
    indices.push_back(i);
    indices.push_back(i + 1);
  }
  return indices;
}

}  // namespace

void DrawRect(float x, float y, float w, float h) {
  Trace(ShapeTrace("rect", x, y, w, h));
  const auto points = Place({{0, 0}, {w, 0}, {w, h}, {0, h}}, x, y);
  DrawTriangles(points, FanIndices(4));
}

void DrawOval(float x, float y, float w, float h) {
  Trace(ShapeTrace("oval", x, y, w, h));
  const float rx = w / 2;
  const float ry = h / 2;
  const int segments = std::clamp(static_cast<int>(std::fabs(rx) + std::fabs(ry)),
                                  OVAL_SEGMENTS_MIN, OVAL_SEGMENTS_MAX);
  std::vector<SDL_FPoint> local;
  local.push_back({rx, ry});
  for (int i = 0; i <= segments; ++i) {
    const double a = 2 * PI_DOUBLE * i / segments;
    local.push_back(
        {rx + rx * static_cast<float>(std::cos(a)), ry + ry * static_cast<float>(std::sin(a))});
  }
  DrawTriangles(Place(local, x, y), FanIndices(static_cast<int>(local.size())));
}

void DrawLine(float x1, float y1, float x2, float y2) {
  Trace(ShapeTrace("line", x1, y1, x2 - x1, y2 - y1));
  SDL_Renderer* r = Renderer();
  if (r == nullptr) return;
  const auto points = Place({{0, 0}, {x2 - x1, y2 - y1}}, x1, y1);
  const TDrawState& s = State();
  SDL_SetRenderDrawBlendMode(r, BlendFor(s.blend));
  SDL_SetRenderDrawColor(r, static_cast<Uint8>(s.colorR), static_cast<Uint8>(s.colorG),
                         static_cast<Uint8>(s.colorB), VertexAlpha());
  ApplyClip();
  if (s.lineWidth <= 1.0f) {
    // SDL's line includes both end points, as the game expects.
    SDL_RenderDrawLineF(r, points[0].x, points[0].y, points[1].x, points[1].y);
    return;
  }
  const float dx = points[1].x - points[0].x;
  const float dy = points[1].y - points[0].y;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length <= 0) return;
  const float nx = -dy / length * s.lineWidth / 2;
  const float ny = dx / length * s.lineWidth / 2;
  DrawTriangles({{points[0].x + nx, points[0].y + ny},
                 {points[1].x + nx, points[1].y + ny},
                 {points[1].x - nx, points[1].y - ny},
                 {points[0].x - nx, points[0].y - ny}},
                FanIndices(4));
}

void DrawPoly(const std::vector<float>& xy) {
  if (xy.size() < 6) return;
  Trace(ShapeTrace("poly", xy[0], xy[1], 0, 0));
  std::vector<SDL_FPoint> local;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) local.push_back({xy[i], xy[i + 1]});
  // The polygon's points are positions, so the shape handle does not move them.
  const TDrawState saved = State();
  State().handleX = 0;
  State().handleY = 0;
  const auto points = Place(local, 0, 0);
  State() = saved;
  DrawTriangles(points, FanIndices(static_cast<int>(points.size())));
}

void Plot(float x, float y) {
  Trace(ShapeTrace("plot", x, y, 1, 1));
  SDL_Renderer* r = Renderer();
  if (r == nullptr) return;
  const TDrawState& s = State();
  SDL_SetRenderDrawBlendMode(r, BlendFor(s.blend));
  SDL_SetRenderDrawColor(r, static_cast<Uint8>(s.colorR), static_cast<Uint8>(s.colorG),
                         static_cast<Uint8>(s.colorB), VertexAlpha());
  ApplyClip();
  SDL_RenderDrawPointF(r, x + s.originX, y + s.originY);
}
