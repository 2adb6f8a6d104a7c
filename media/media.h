// The flat media layer: window and frame pacing, 2D drawing under a global drawing state,
// images, pixel maps, image fonts, sounds and channels, polled input, the random generator and
// the embedded asset table. Everything the game, the GUI and the XML module need from the machine
// comes through here; this folder is the only one that talks to SDL.
//
// Index: [SECTION] Assets and files, Window and frame, Drawing state, Images and pixel maps,
//        Shapes and text, Fonts, Sound, Input, Numbers, Automation and tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/units.h"

// [SECTION] Assets and files ------------------------------------------------------------------

/// Registers an embedded asset. The bytes are not copied and must live for the whole run.
/// Paths use "/" and match exactly; the first registration of a path wins.
void RegisterAsset(const std::string& path, const std::uint8_t* data, std::size_t size);
/// Registers an asset from bytes that the table keeps (tests and generated data).
void RegisterAssetBytes(const std::string& path, std::vector<std::uint8_t> bytes);
/// Registers every entry of a packed asset blob (see tools/pack_assets). Returns the entry count,
/// or -1 when the blob is malformed (nothing is registered then).
int RegisterAssetPack(const std::uint8_t* data, std::size_t size);
/// Registers the assets packed into this executable (defined by the brakkon_assets library).
void RegisterEmbeddedAssets();
/// True when the path names an embedded asset (exact, case-sensitive).
bool IsEmbeddedAsset(const std::string& path);
/// Every embedded path, sorted.
std::vector<std::string> EmbeddedAssetPaths();
/// Reads an embedded asset or, failing that, the file of that name relative to the working folder.
std::optional<std::vector<std::uint8_t>> ReadAssetOrFile(const std::string& path);
/// Writes a file completely or not at all: a temporary file of a fresh name, created exclusively
/// (never through a link planted there) in the target's folder, synced and renamed over the
/// target. A symbolic link at `path` is followed: its target is replaced and the link stays. An
/// existing file without write permission, a folder or a device is not replaced. On failure
/// returns false, leaves the old file as it was and puts the reason in *error (when given).
bool WriteFileAtomic(const std::string& path, const std::vector<std::uint8_t>& bytes,
                     std::string* error = nullptr);
/// The file a path names after following symbolic links ("" with *error after 40 of them).
std::string FollowedPath(const std::string& path, std::string* error = nullptr);
/// Creates a new empty file named `target` + ".tmp-" + a fresh suffix, exclusively (an existing
/// name, a planted link among them, is never opened); returns its descriptor and its name in
/// `name`, or -1 with *error.
int CreateTemporaryBeside(const std::string& target, std::string& name,
                          std::string* error = nullptr);
/// Diagnostic line to standard output (the XML reader's progress lines go here).
void LogLine(const std::string& line);
/// Silences LogLine (tests and tools that want a quiet standard output).
void SetLogQuiet(bool quiet);
bool LogQuiet();
/// Folder of the running executable, with a trailing "/" ("" when unknown).
std::string ExecutableFolder();
/// Opens a web address (or a file: address) with the system's handler; false when it cannot.
bool OpenURL(const std::string& address);
/// The user's own data folder for the game (created when missing), with a trailing "/"; ""
/// when the platform has none.
std::string UserDataFolder();

// [SECTION] Window and frame --------------------------------------------------------------------

/// Headless runs: SDL's dummy video driver with the software renderer, dummy audio, no pacing.
/// Must be chosen before Graphics.
void SetHeadless(bool headless);
bool IsHeadless();

void AppTitle(const std::string& title);
/// Opens the window once: 800x600 logical pixels, resizable and letterboxed. Returns false (with a
/// line on stderr) when no window or renderer can be made, and, unless headless, when there is no
/// display: SDL left to itself would pick a driver without a screen.
bool Graphics(int width, int height, int depth = 0, int hertz = 60, int flags = 0);
/// Closes the window and every audio and video resource (tests reopen with Graphics).
void EndGraphics();
/// At the end of the program: closes the window and silences every sound without waiting for
/// the audio device to wind down (closing it can take the length of its sleep, tens of ms).
void LeaveGraphics();
bool GraphicsOpen();
int GraphicsWidth();
int GraphicsHeight();
int GraphicsHertz();
/// Presents the frame; with sync -1 paces to the hertz given to Graphics (no catch-up).
void Flip(int sync = -1);
/// Clears the back buffer (within the viewport) to the clear colour.
void Cls();
void HideMouse();
void ShowMouse();
/// Processes pending window events; every input query does this first.
void PollSystem();
/// True once after a close request (window close, SIGINT, SIGTERM, end of a frame limit).
bool AppTerminate();
int Millisecs();
void Delay(int milliseconds);
/// Name of the renderer in use ("software", "opengl", ...), "" before Graphics.
std::string RendererName();
/// True when frames are presented in step with the display's refresh (a window on a display of
/// at least the game's rate; Flip still paces play to the hertz given to Graphics).
bool PresentsInStep();

/// Time source for Millisecs, Delay and Flip's pacing; tests inject one to check pacing.
class TClock {
 public:
  virtual ~TClock() = default;
  virtual int Millisecs() = 0;
  virtual void Delay(int milliseconds) = 0;
};
/// Uses `clock` (not owned; must outlive its use), or the system clock again for nullptr.
void SetClock(TClock* clock);
/// Turns Flip's software pacing off or on (headless runs turn it off).
void SetFramePacing(bool on);

// [SECTION] Drawing state -----------------------------------------------------------------------

constexpr int MASKBLEND = 1;
constexpr int SOLIDBLEND = 2;
constexpr int ALPHABLEND = 3;
constexpr int LIGHTBLEND = 4;
constexpr int SHADEBLEND = 5;

class TImageFont;

/// The global drawing state; it persists until changed and is never reset between frames.
struct TDrawState {
  int colorR = 255, colorG = 255, colorB = 255;
  float alpha = 1.0f;
  int blend = MASKBLEND;
  float rotation = 0.0f;  ///< degrees, positive turns clockwise on screen
  float scaleX = 1.0f, scaleY = 1.0f;
  float originX = 0.0f, originY = 0.0f;
  float handleX = 0.0f, handleY = 0.0f;  ///< handle of shapes (images carry their own)
  int viewportX = 0, viewportY = 0, viewportW = SCREEN_WIDTH, viewportH = SCREEN_HEIGHT;
  int clsR = 0, clsG = 0, clsB = 0;
  float lineWidth = 1.0f;
  std::shared_ptr<TImageFont> font;  ///< null: the built-in default font
};
const TDrawState& GetDrawState();
void SetDrawState(const TDrawState& state);

void SetColor(int r, int g, int b);
void GetColor(int& r, int& g, int& b);
void SetAlpha(float alpha);
float GetAlpha();
void SetBlend(int mode);
int GetBlend();
void SetRotation(float degrees);
float GetRotation();
void SetScale(float sx, float sy);
void GetScale(float& sx, float& sy);
void SetOrigin(float x, float y);
void GetOrigin(float& x, float& y);
void SetHandle(float x, float y);
void GetHandle(float& x, float& y);
void SetViewport(int x, int y, int w, int h);
void GetViewport(int& x, int& y, int& w, int& h);
void SetClsColor(int r, int g, int b);
void GetClsColor(int& r, int& g, int& b);
void SetLineWidth(float width);
float GetLineWidth();

// [SECTION] Images and pixel maps ---------------------------------------------------------------

constexpr int MASKEDIMAGE = 1;
constexpr int FILTEREDIMAGE = 2;
constexpr int DEFAULT_IMAGE_FLAGS = -1;  ///< masked and filtered

struct TImageData;

/// A picture with one or more cells. `width`, `height` and the handle may be written by the game:
/// every cell is drawn stretched to the current width x height, about the handle.
class TImage {
 public:
  TImage();
  ~TImage();
  TImage(const TImage&) = delete;
  TImage& operator=(const TImage&) = delete;

  int width = 0;   ///< drawn width of one cell, pixels
  int height = 0;  ///< drawn height of one cell, pixels
  float handle_x = 0.0f;
  float handle_y = 0.0f;
  int flags = MASKEDIMAGE | FILTEREDIMAGE;
  std::uint32_t maskColor = 0x000000;  ///< RGB made transparent when masked

  const std::string& Path() const;  ///< asset path or file name it was loaded from
  int CellCount() const;
  int CellWidth() const;   ///< source width of one cell in the picture
  int CellHeight() const;  ///< source height of one cell in the picture

  /// Media-layer internals: the decoded picture, which images loaded from the same file with the
  /// same cells and flags share (a locked image gets a copy of its own first).
  std::shared_ptr<TImageData> data;
};
using ImagePtr = std::shared_ptr<TImage>;

/// A block of 32-bit pixels, 0xAARRGGBB, row by row.
class TPixmap {
 public:
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t ReadPixel(int x, int y) const;
  void WritePixel(int x, int y, std::uint32_t argb);
};
using PixmapPtr = std::shared_ptr<TPixmap>;

/// Pictures are decoded only from PNG and JPEG (told by their first bytes, whatever the name),
/// and only when their header claims at most this many pixels on a side and in all (a 64 MiB
/// picture); others are refused before decoding, with one line on standard error per file.
constexpr int MAX_PICTURE_SIDE = 8192;
constexpr long long MAX_PICTURE_PIXELS = 4096LL * 4096;
/// True when a picture of that path was refused for its format or its size (and said so).
bool PictureRefused(const std::string& path);

/// One-cell image; null when neither an asset nor a file of that name exists or it cannot decode.
ImagePtr LoadImage(const std::string& path, int flags = DEFAULT_IMAGE_FLAGS);
/// Cells cut left to right, then top to bottom; frame k of the result is cell first + k.
ImagePtr LoadAnimImage(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                       int cellCount, int flags = DEFAULT_IMAGE_FLAGS);
/// Readies a picture for a later LoadImage or LoadAnimImage with the same flags (and cells): a
/// picture in use is held until ForgetPreparation, so the next load shares it even if its users
/// let go first; an embedded picture not in use is decoded on the background worker, and a load
/// that comes while the worker is still at it waits for it rather than decoding twice. (Files
/// are not decoded ahead: they may change before the load.)
void PrepareImage(const std::string& path, int flags = DEFAULT_IMAGE_FLAGS);
void PrepareAnimImage(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                      int cellCount, int flags = DEFAULT_IMAGE_FLAGS);
/// Returns once every picture and sound asked for so far is decoded.
void WaitForPreparation();
/// Makes the textures of prepared pictures, for about `microseconds` (the main loop gives it a
/// slice of every frame), so that the level needing them finds them ready. True while work is
/// left.
bool AdvancePreparation(int microseconds);
/// How loads were served since the start: decoded at the call, decoded ahead by the worker, or
/// shared with a picture or sound already held (in use or prepared).
struct TAssetLoadCounts {
  int picturesDecoded = 0, picturesPrepared = 0, picturesHeld = 0;
  int soundsDecoded = 0, soundsPrepared = 0, soundsHeld = 0;
};
TAssetLoadCounts AssetLoadCounts();
/// Lets go of everything prepared and not yet loaded, and of the pictures and sounds held for
/// a later load; work not yet started is dropped.
void ForgetPreparation();
/// A blank (transparent) image of `frames` cells, for LockImage / UnlockImage.
ImagePtr CreateImage(int width, int height, int frames = 1, int flags = DEFAULT_IMAGE_FLAGS);
/// Image made from a pixel map (one cell).
ImagePtr LoadImageFromPixmap(const PixmapPtr& pixmap, int flags = DEFAULT_IMAGE_FLAGS);
/// The pixels of a cell; changes reach the drawn picture at UnlockImage.
PixmapPtr LockImage(const ImagePtr& image, int frame = 0);
void UnlockImage(const ImagePtr& image, int frame = 0);

void MidHandleImage(const ImagePtr& image);
void SetImageHandle(const ImagePtr& image, float x, float y);
int ImageWidth(const ImagePtr& image);
int ImageHeight(const ImagePtr& image);

/// Draws cell `frame` so that the image's handle lands on (x, y), rotated and scaled about it.
void DrawImage(const ImagePtr& image, float x, float y, int frame = 0);
/// Draws cell `frame` stretched into w x h with its top-left corner at (x, y).
void DrawImageRect(const ImagePtr& image, float x, float y, float w, float h, int frame = 0);
/// Pixel-exact overlap of two frames placed as DrawImage would draw them, with the current
/// rotation, scale and origin.
bool ImagesCollide(const ImagePtr& image1, int x1, int y1, int frame1, const ImagePtr& image2,
                   int x2, int y2, int frame2);

/// Copies a rectangle of the back buffer in logical pixels (null before Graphics).
PixmapPtr GrabPixmap(int x, int y, int w, int h);
PixmapPtr CreatePixmap(int width, int height);
/// Scaled copy (bilinear).
PixmapPtr ResizePixmap(const PixmapPtr& pixmap, int width, int height);
/// Decodes a PNG or JPEG asset or file; null when missing or undecodable.
PixmapPtr LoadPixmap(const std::string& path);
/// Writes a JPEG (quality 1-100) or PNG through a temporary file; false on failure.
bool SavePixmapJPeg(const PixmapPtr& pixmap, const std::string& fileName, int quality = 75);
bool SavePixmapPNG(const PixmapPtr& pixmap, const std::string& fileName);

// [SECTION] Shapes and text ---------------------------------------------------------------------

void DrawRect(float x, float y, float w, float h);      ///< filled
void DrawOval(float x, float y, float w, float h);      ///< filled, inside the rectangle
void DrawLine(float x1, float y1, float x2, float y2);  ///< includes the last pixel
/// Filled convex polygon from x, y pairs.
void DrawPoly(const std::vector<float>& xy);
void Plot(float x, float y);
/// Text in the current image font, top-left corner at (x, y).
void DrawText(const std::string& text, float x, float y);

// [SECTION] Fonts -------------------------------------------------------------------------------

constexpr int BOLDFONT = 1;
constexpr int ITALICFONT = 2;
constexpr int SMOOTHFONT = 4;

struct TImageFontData;
class TImageFont {
 public:
  TImageFont();
  ~TImageFont();
  TImageFont(const TImageFont&) = delete;
  TImageFont& operator=(const TImageFont&) = delete;
  int Size() const;
  std::unique_ptr<TImageFontData> data;
};
using FontPtr = std::shared_ptr<TImageFont>;

/// TrueType font from an asset or file rendered at `size` pixels; null when missing.
FontPtr LoadImageFont(const std::string& path, int size, int style = SMOOTHFONT);
/// The font DrawText uses; null selects the built-in default font.
void SetImageFont(const FontPtr& font);
FontPtr GetImageFont();
/// Lets go of the textures of texts drawn so far (each font keeps its most recent ones); they
/// are rendered again when next drawn.
void ForgetRenderedText();
int TextWidth(const std::string& text);
int TextHeight(const std::string& text);

// [SECTION] Sound -------------------------------------------------------------------------------

constexpr int SOUND_LOOP = 1;

struct TSoundData;
class TSound {
 public:
  TSound();
  ~TSound();
  TSound(const TSound&) = delete;
  TSound& operator=(const TSound&) = delete;
  const std::string& Path() const;
  bool IsStreamed() const;  ///< long sounds (music) stream instead of decoding whole
  double Seconds() const;   ///< length of the sound
  std::unique_ptr<TSoundData> data;
};
using SoundPtr = std::shared_ptr<TSound>;

/// A playing (or finished) sound. Stays valid after the sound ends; once its mixer channel is
/// reused by another sound, this handle reports "not playing" and changes nothing.
class TChannel {
 public:
  int mixerChannel = -1;  ///< -1: never played, or no audio device
  std::uint64_t generation = 0;
  bool streamed = false;
};
using ChannelPtr = std::shared_ptr<TChannel>;

/// Ogg Vorbis data; null when the asset or file is missing or undecodable.
SoundPtr LoadSound(const std::string& path, int flags = 0);
/// Readies a sound for a later LoadSound with the same flags, as PrepareImage does a picture;
/// nothing for streamed sounds or without an audio device.
void PrepareSound(const std::string& path, int flags = 0);
/// Scales every sound that is not streamed (the sound effects, not the music): sounds started
/// afterwards play at this volume, SetChannelVolume multiplies by it. 0-1; 1 at the start.
void SetEffectsVolume(float volume);
float EffectsVolume();
/// Starts at once at the effects volume (1 for a streamed sound); a null channel means a fresh
/// channel. Returns the channel
/// (null for a null sound).
ChannelPtr PlaySound(const SoundPtr& sound, const ChannelPtr& channel = nullptr);
bool ChannelPlaying(const ChannelPtr& channel);
void SetChannelVolume(const ChannelPtr& channel, float volume);
void StopChannel(const ChannelPtr& channel);
/// False when no audio device could be opened: sounds then play silently and never "play".
bool AudioAvailable();

// [SECTION] Input -------------------------------------------------------------------------------

/// Virtual-key codes used by the game.
constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_TAB = 9;
constexpr int KEY_ENTER = 13;
constexpr int KEY_SHIFT = 16;
constexpr int KEY_CONTROL = 17;
constexpr int KEY_ALT = 18;
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_PAGEUP = 33;
constexpr int KEY_PAGEDOWN = 34;
constexpr int KEY_END = 35;
constexpr int KEY_HOME = 36;
constexpr int KEY_LEFT = 37;
constexpr int KEY_UP = 38;
constexpr int KEY_RIGHT = 39;
constexpr int KEY_DOWN = 40;
constexpr int KEY_INSERT = 45;
constexpr int KEY_DELETE = 46;
constexpr int KEY_0 = 48;  ///< digits 48-57
constexpr int KEY_A = 65;  ///< letters 65-90
constexpr int KEY_C = 67;
constexpr int KEY_D = 68;
constexpr int KEY_H = 72;
constexpr int KEY_M = 77;
constexpr int KEY_P = 80;
constexpr int KEY_S = 83;
constexpr int KEY_W = 87;
constexpr int KEY_NUMPAD0 = 96;  ///< keypad digits 96-105
constexpr int KEY_NUMPAD1 = 97;
constexpr int KEY_F1 = 112;  ///< F1-F12 are 112-123
constexpr int KEY_F3 = 114;
constexpr int KEY_F4 = 115;
constexpr int KEY_F5 = 116;
constexpr int KEY_F6 = 117;
constexpr int KEY_F7 = 118;
constexpr int KEY_F8 = 119;
constexpr int KEY_F9 = 120;
constexpr int KEY_F11 = 122;
constexpr int KEY_F12 = 123;
/// The two keys of each modifier; either also reports the modifier's own code (KEY_SHIFT, ...)
/// for as long as one of the two is held.
constexpr int KEY_LSHIFT = 160;
constexpr int KEY_RSHIFT = 161;
constexpr int KEY_LCONTROL = 162;
constexpr int KEY_RCONTROL = 163;
constexpr int KEY_LALT = 164;
constexpr int KEY_RALT = 165;
constexpr int KEY_SEMICOLON = 186;
constexpr int KEY_EQUALS = 187;
constexpr int KEY_COMMA = 188;
constexpr int KEY_MINUS = 189;
constexpr int KEY_PERIOD = 190;
constexpr int KEY_SLASH = 191;
/// A game controller's B and Start buttons (its A button is KEY_ENTER, its d-pad the arrows).
constexpr int KEY_PAD_BACK = 230;
constexpr int KEY_PAD_START = 231;
constexpr int KEY_COUNT = 256;

int MouseX();  ///< logical pixels, whatever the window size
int MouseY();
/// Presses of `button` (1 left, 2 right, 3 middle) since last asked; reading clears the count.
int MouseHit(int button);
bool MouseDown(int button);
/// Presses of `button` since the program started. Unlike MouseHit, reading changes nothing and
/// FlushMouse leaves it alone, so several readers can each tell whether a press came since they
/// last looked, even one released again before they looked (a quick click between two frames).
std::uint64_t MousePresses(int button);
int MouseZ();
void FlushMouse();
int KeyHit(int key);
bool KeyDown(int key);
void FlushKeys();
/// Joystick button (1-based) held now; false without a joystick.
bool JoyDown(int button, int port = 0);

/// The first game controller plugged in (hot-plugged; the next one takes over when it goes):
/// its buttons arrive as keys (A as KEY_ENTER, B as KEY_PAD_BACK, Start as KEY_PAD_START, the
/// d-pad as the arrow keys), its left stick here, -1..1 with a dead zone, y down.
float StickX();
float StickY();
bool PadConnected();

/// Full screen (desktop resolution, letterboxed) or the window; nothing headless.
void SetFullscreen(bool on);
bool IsFullscreen();

/// Injection: tests and scripted runs drive input through the same state the window feeds.
void InjectMouseMove(int x, int y);
void InjectMouseButton(int button, bool down);
void InjectMouseWheel(int delta);
void InjectKey(int key, bool down);
void InjectJoyButton(int button, bool down);
void InjectCloseRequest();
/// A file dropped onto the window (also through InjectDroppedFile); "" when none is waiting.
/// Each file is given once, in the order dropped.
std::string TakeDroppedFile();
void InjectDroppedFile(const std::string& path);

/// A stick position added to the controller's (scripts and tests).
void InjectStick(float x, float y);
/// A virtual game controller plugged in through SDL itself (after Graphics), so that tests
/// reach the same hot-plug and button events a real one sends; buttons and axes are SDL's
/// game-controller numbers (0 is A). Each call's events arrive at the next poll.
bool AttachVirtualPad();
bool SetVirtualPadButton(int button, bool down);
bool SetVirtualPadStick(float x, float y);
void DetachVirtualPad();

/// Loads a frame-stamped input script ("<frame> <command> <args>" per line, '#' comments):
///   move X Y | press B | release B | click B | wheel D | keydown K | keyup K | key K |
///   joydown B | joyup B | stick X Y | close | drop PATH (the rest of the line: a file dropped on
///   the window)
/// (stick X Y: the left stick at X/1000, Y/1000 of its way, -1000..1000, until the next stick)
/// Commands of frame F are applied when the F-th Flip after the script's origin completes
/// (frame 0: at once). The origin is the moment of loading unless SetInputScriptOrigin moves it.
/// Returns false with a message naming the line on a bad script.
bool LoadInputScript(const std::string& fileName, std::string* error = nullptr);
bool ParseInputScript(const std::string& text, std::string* error = nullptr);
/// Counts script frames from now on (the game calls it when its main loop starts).
void SetInputScriptOrigin();

// [SECTION] Numbers -----------------------------------------------------------------------------

/// Uniform integer in [lo, hi] (either order) from the game's own generator.
int Rand(int lo, int hi);
/// Real in [0, 1) from two generator steps.
double RndReal();
/// Generator state (starts at 4660 in every run).
void SeedRnd(int seed);
int RndSeed();
double Sin(double degrees);
double Cos(double degrees);
double ATan(double value);         ///< degrees
double ATan2(double y, double x);  ///< degrees
/// Real to integer conversion of the game: truncation toward zero, saturating at the int range.
int TruncToInt(double value);

// [SECTION] Automation and tests ----------------------------------------------------------------

/// After `frames` presented frames a close request is raised; with a file name the last frame is
/// also saved as PNG before it is presented. 0 frames: no limit.
void SetFrameLimit(int frames, const std::string& screenshotFile = "");
/// Frames presented since Graphics.
int FrameCount();

struct TDrawTraceEntry {
  std::string op;  ///< "image", "imagerect", "rect", "oval", "line", "poly", "plot", "text", "cls"
  std::string path;  ///< picture asset path, or the text drawn
  float x = 0, y = 0, w = 0, h = 0;
  int frame = 0;
  float rotation = 0;
  int r = 255, g = 255, b = 255;
  float alpha = 1;
  int blend = MASKBLEND;
};
/// Records every draw call while on; the record is kept until cleared.
void EnableDrawTrace(bool on);
const std::vector<TDrawTraceEntry>& DrawTrace();
void ClearDrawTrace();
