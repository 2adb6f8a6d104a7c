// Media layer: random generator, frame pacing, input, asset table, image drawing, masks,
// collision, pixel maps and the draw trace. Runs headless with the software renderer.
#include "media/media.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr std::uint32_t RED = 0xFFFF0000;
constexpr std::uint32_t GREEN = 0xFF00FF00;
constexpr std::uint32_t BLUE = 0xFF0000FF;
constexpr std::uint32_t BLACK = 0xFF000000;
constexpr std::uint32_t WHITE = 0xFFFFFFFF;

/// A clock that only moves when told to, recording every Delay.
class FakeClock : public TClock {
 public:
  int now = 1000;
  std::vector<int> delays;
  int Millisecs() override { return now; }
  void Delay(int ms) override {
    delays.push_back(ms);
    now += ms;
  }
};

class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHeadless(true);
    ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0));
    SetDrawState(TDrawState{});
    SetClsColor(0, 0, 0);
  }
  void TearDown() override {
    SetClock(nullptr);
    EndGraphics();
  }

  /// Writes a PNG whose pixels come from `fill(x, y)` and returns its path.
  template <typename Fill>
  static std::string WritePng(const std::string& name, int w, int h, Fill fill) {
    auto p = CreatePixmap(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) p->WritePixel(x, y, fill(x, y));
    }
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    EXPECT_TRUE(SavePixmapPNG(p, path));
    return path;
  }

  static std::uint32_t ScreenPixel(int x, int y) {
    auto p = GrabPixmap(x, y, 1, 1);
    return p ? p->ReadPixel(0, 0) : 0;
  }
};

TEST(RandTest, MatchesIndependentlyComputedSequence) {
  // Values computed outside the program with plain modular arithmetic from state 4660.
  SeedRnd(4660);
  std::array<int, 6> got{};
  for (int& v : got) v = Rand(1, 100);
  EXPECT_EQ(got, (std::array<int, 6>{42, 22, 70, 15, 58, 18}));
  EXPECT_EQ(RndSeed(), 895642303);
  SeedRnd(4660);
  EXPECT_EQ(Rand(10, 1), 5);  // reversed bounds use the same range
}

TEST(RandTest, SmallRangeIsUniformAndInclusive) {
  SeedRnd(4660);
  std::array<int, 4> counts{};
  constexpr int DRAWS = 40000;
  for (int i = 0; i < DRAWS; ++i) {
    const int v = Rand(0, 3);
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 3);
    ++counts[static_cast<std::size_t>(v)];
  }
  for (int c : counts) EXPECT_NEAR(c, DRAWS / 4, DRAWS / 4 * 0.03);
}

TEST(NumbersTest, DegreesAndTruncation) {
  EXPECT_NEAR(Sin(90), 1.0, 1e-12);
  EXPECT_NEAR(Cos(180), -1.0, 1e-12);
  EXPECT_NEAR(ATan2(1, 0), 90.0, 1e-12);
  EXPECT_NEAR(ATan(1), 45.0, 1e-12);
  EXPECT_EQ(TruncToInt(-2.7), -2);
  EXPECT_EQ(TruncToInt(2.7), 2);
  EXPECT_EQ(TruncToInt(1e20), 2147483647);
}

TEST_F(MediaTest, FlipAfterSlowFrameDoesNotCatchUp) {
  FakeClock clock;
  SetClock(&clock);
  SetFramePacing(true);
  EndGraphics();  // reopen so the schedule starts on the fake clock
  SetHeadless(true);
  SetFramePacing(true);
  ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0));
  SetFramePacing(true);

  clock.now += 100;  // a frame that took 100 ms
  Flip(-1);
  EXPECT_TRUE(clock.delays.empty()) << "a late frame returns at once";

  std::vector<int> spacing;
  for (int i = 0; i < 60; ++i) {
    const int before = clock.now;
    Flip(-1);
    spacing.push_back(clock.now - before);
  }
  int total = 0;
  for (int s : spacing) {
    EXPECT_TRUE(s == 16 || s == 17) << s;
    total += s;
  }
  EXPECT_NEAR(total, 1000, 1);  // 60 frames take one second
}

TEST_F(MediaTest, InputCountsPressesUntilRead) {
  FlushMouse();
  FlushKeys();
  InjectMouseButton(1, true);
  InjectMouseButton(1, false);
  EXPECT_EQ(MouseHit(1), 1);
  EXPECT_EQ(MouseHit(1), 0);
  InjectMouseButton(1, true);
  EXPECT_TRUE(MouseDown(1));
  FlushMouse();
  EXPECT_FALSE(MouseDown(1));
  EXPECT_EQ(MouseHit(1), 0);

  InjectKey(KEY_SPACE, true);
  InjectKey(KEY_SPACE, true);  // held, not a second press
  EXPECT_EQ(KeyHit(KEY_SPACE), 1);
  EXPECT_TRUE(KeyDown(KEY_SPACE));
  InjectKey(KEY_SPACE, false);
  EXPECT_FALSE(KeyDown(KEY_SPACE));
  EXPECT_FALSE(JoyDown(1, 0));
  InjectJoyButton(1, true);
  EXPECT_TRUE(JoyDown(1, 0));
  InjectJoyButton(1, false);

  InjectCloseRequest();
  EXPECT_TRUE(AppTerminate());
  EXPECT_FALSE(AppTerminate());
}

TEST_F(MediaTest, InputScriptAppliesCommandsByFrame) {
  std::string error;
  ASSERT_TRUE(ParseInputScript("# aim then fire\n0 move 400 300\n2 click 1\n3 key 27\n", &error))
      << error;
  EXPECT_EQ(MouseX(), 400);
  EXPECT_EQ(MouseHit(1), 0);
  Flip();
  EXPECT_EQ(MouseHit(1), 0);
  Flip();
  EXPECT_EQ(MouseHit(1), 1);
  Flip();
  EXPECT_EQ(KeyHit(KEY_ESCAPE), 1);

  const std::array<const char*, 4> bad = {"x move 1 2", "5 jump 1", "5 move 1", "5 click 1 2"};
  for (const char* line : bad) {
    EXPECT_FALSE(ParseInputScript(line, &error)) << line;
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  }
}

TEST_F(MediaTest, InputScriptsFromFilesAreBounded) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "brakkon-scripts";
  std::filesystem::create_directories(dir / "a-folder");
  auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  };
  struct TCase {
    std::string file;
    bool reads;
    const char* error;  // part of the message when it does not
  };
  const TCase cases[] = {
      {(dir / "a-folder").string(), false, "is a folder"},
      {"/dev/zero", false, "not a regular file"},  // endless: never read
      {(dir / "missing.txt").string(), false, "cannot open"},
      {write("cr-only.txt", "0 move 10 20\r1 click 1\r2 wheel 5\r"), true, ""},
      {write("crlf.txt", "0 move 10 20\r\n1 click 1\r\n"), true, ""},
      // A bad line of a CR-only file is named by its number, without the CRs of the others.
      {write("cr-only-bad.txt", "0 move 10 20\r1 jump 3\r2 click 1\r"), false,
       "line 2: cannot read \"1 jump 3\""},
      {write("wheel-at-limit.txt", "0 wheel 1000\n0 wheel -1000\n"), true, ""},
      // Twice the largest int overflowed the wheel's running total.
      {write("wheel-overflow.txt", "0 wheel 2147483647\n1 wheel 2147483647\n"), false,
       "the wheel turns by 1000 at most"},
      {write("far-pointer.txt", "0 move -2147483648 0\n"), false, "line 1"},
      {write("control.txt", "0 move 1 2\n1 click\x1b[2J\n"), false,
       "line 2: cannot read \"1 click?[2J\""},
  };
  for (const TCase& c : cases) {
    std::string error;
    EXPECT_EQ(LoadInputScript(c.file, &error), c.reads) << c.file << ": " << error;
    if (!c.reads) {
      EXPECT_NE(error.find(c.error), std::string::npos) << c.file << ": " << error;
    }
  }
  std::string error;
  ASSERT_TRUE(LoadInputScript(dir / "cr-only.txt", &error)) << error;
  EXPECT_EQ(MouseX(), 10) << "frame 0 of a CR-only script is applied";
  EXPECT_EQ(MouseY(), 20);

  std::string many;
  for (int i = 0; i <= 1000000; ++i) many += "0 key 1\n";
  EXPECT_FALSE(ParseInputScript(many, &error));
  EXPECT_NE(error.find("more than 1000000 commands"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

TEST_F(MediaTest, OnlyPngAndJpegOfABoundedSizeAreDecoded) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "brakkon-pictures";
  std::filesystem::create_directories(dir);
  auto write = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return (dir / name).string();
  };
  auto be32 = [](std::uint32_t v) {
    return std::vector<std::uint8_t>{
        static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
        static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  };
  // A PNG signature and an IHDR chunk claiming w x h; no pixel data follows.
  auto pngHeader = [&](std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                   0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (std::uint32_t v : {w, h}) {
      const auto bytes = be32(v);
      b.insert(b.end(), bytes.begin(), bytes.end());
    }
    b.insert(b.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
    return b;
  };
  // A JPEG start, an APP0 segment, then a start-of-frame segment claiming w x h.
  auto jpegHeader = [](unsigned w, unsigned h) {
    return std::vector<std::uint8_t>{0xFF,
                                     0xD8,
                                     0xFF,
                                     0xE0,
                                     0,
                                     4,
                                     'J',
                                     'F',
                                     0xFF,
                                     0xC0,
                                     0,
                                     11,
                                     8,
                                     static_cast<std::uint8_t>(h >> 8),
                                     static_cast<std::uint8_t>(h),
                                     static_cast<std::uint8_t>(w >> 8),
                                     static_cast<std::uint8_t>(w),
                                     1,
                                     1,
                                     0x11,
                                     0};
  };
  // A BMP of 30000 x 30000, 8-bit run-length coded: a thousand bytes that decode to 900 MB.
  std::vector<std::uint8_t> bmp = {'B', 'M', 0,  0, 0, 0, 0,    0,    0, 0, 54,   4,
                                   0,   0,   40, 0, 0, 0, 0x30, 0x75, 0, 0, 0x30, 0x75,
                                   0,   0,   1,  0, 8, 0, 1,    0,    0, 0};
  bmp.resize(54 + 1024, 0);
  bmp.insert(bmp.end(), {0, 1});
  struct TCase {
    std::string path;
    const char* why;
  };
  const TCase refused[] = {
      {write("bomb.png", pngHeader(65535, 65535)), "claims 65535 x 65535 pixels"},
      {write("wide.png", pngHeader(MAX_PICTURE_SIDE + 1, 1)), "claims 8193 x 1 pixels"},
      {write("square.png", pngHeader(4097, 4097)), "16777216 in all"},
      {write("bomb.jpg", jpegHeader(30000, 30000)), "claims 30000 x 30000 pixels"},
      {write("button.png", bmp), "is neither PNG nor JPEG"},
      {write("gif.png", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}),
       "is neither PNG nor JPEG"},
      {write("nosize.png", pngHeader(0, 10)), "gives no size"},
  };
  for (const TCase& c : refused) {
    ::testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LoadImage(c.path), nullptr) << c.path;
    EXPECT_EQ(LoadPixmap(c.path), nullptr) << c.path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)) << c.path;
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1)
        << said << "one line for the file, however often loaded";
    EXPECT_NE(said.find(c.why), std::string::npos) << said;
    EXPECT_TRUE(PictureRefused(c.path));
  }
  // A real picture decodes whatever its name says.
  const std::string png = WritePng("brakkon-real.png", 3, 2, [](int, int) { return RED; });
  const std::string renamed = (dir / "real.jpg").string();
  std::filesystem::copy_file(png, renamed, std::filesystem::copy_options::overwrite_existing);
  for (const std::string& path : {png, renamed}) {
    const ImagePtr image = LoadImage(path);
    ASSERT_NE(image, nullptr) << path;
    EXPECT_EQ(image->width, 3);
    EXPECT_FALSE(PictureRefused(path));
  }
  std::filesystem::remove_all(dir);
}

TEST_F(MediaTest, FrameLimitRequestsCloseAndSavesScreenshot) {
  const std::string shot = (std::filesystem::temp_directory_path() / "media_limit.png").string();
  std::filesystem::remove(shot);
  SetFrameLimit(3, shot);
  SetClsColor(0, 0, 255);
  for (int i = 0; i < 2; ++i) {
    Cls();
    Flip();
    EXPECT_FALSE(AppTerminate());
  }
  Cls();
  Flip();
  // A second flip before the close request is seen (two screens drawn in one pass of the game's
  // loop) neither rewrites the picture nor asks again.
  SetClsColor(255, 0, 0);
  Cls();
  Flip();
  EXPECT_TRUE(AppTerminate());
  EXPECT_FALSE(AppTerminate());
  auto saved = LoadPixmap(shot);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->width, 800);
  EXPECT_EQ(saved->height, 600);
  EXPECT_EQ(saved->ReadPixel(400, 300), BLUE) << "frame 3, not a later one";
}

TEST(AssetTableTest, LookupRules) {
  const std::vector<std::uint8_t> first = {1, 2, 3};
  const std::vector<std::uint8_t> second = {9};
  RegisterAsset("lookup/a.txt", first.data(), first.size());
  RegisterAsset("lookup/a.txt", second.data(), second.size());  // first registration stays
  EXPECT_EQ(*ReadAssetOrFile("lookup/a.txt"), first);
  EXPECT_FALSE(ReadAssetOrFile("lookup/A.txt")) << "paths are case-sensitive";
  EXPECT_FALSE(ReadAssetOrFile("lookup\\a.txt"));

  const auto file = std::filesystem::temp_directory_path() / "asset_fallback.txt";
  std::ofstream(file) << "disk";
  const auto fromDisk = ReadAssetOrFile(file.string());
  ASSERT_TRUE(fromDisk);
  EXPECT_EQ(std::string(fromDisk->begin(), fromDisk->end()), "disk");
  EXPECT_FALSE(ReadAssetOrFile("no/such/file.png"));
  EXPECT_FALSE(ReadAssetOrFile(std::filesystem::temp_directory_path().string()))
      << "a folder is no file";
}

TEST(AssetTableTest, PackIsValidatedBeforeRegistering) {
  // "BRKPACK1", one entry "p/x" at offset 40, 2 bytes.
  std::vector<std::uint8_t> pack = {'B', 'R', 'K', 'P', 'A', 'C', 'K', '1', 1,  0,
                                    0,   0,   3,   0,   0,   0,   'p', '/', 'x'};
  const std::array<std::uint8_t, 16> index = {40, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0};
  pack.insert(pack.end(), index.begin(), index.end());
  pack.resize(40, 0);
  pack.push_back('o');
  pack.push_back('k');
  EXPECT_EQ(RegisterAssetPack(pack.data(), pack.size()), 1);
  EXPECT_EQ(*ReadAssetOrFile("p/x"), (std::vector<std::uint8_t>{'o', 'k'}));

  auto truncated = pack;
  truncated[16] = 'q';
  truncated.resize(41);  // entry runs past the end
  EXPECT_EQ(RegisterAssetPack(truncated.data(), truncated.size()), -1);
  EXPECT_FALSE(IsEmbeddedAsset("q/x"));
  EXPECT_EQ(RegisterAssetPack(pack.data(), 7), -1);
}

TEST(FileTest, AtomicWriteReplacesOrLeavesOldFile) {
  const auto dir = std::filesystem::temp_directory_path() / "atomic_write";
  std::filesystem::create_directories(dir);
  const std::string target = (dir / "data.bin").string();
  ASSERT_TRUE(WriteFileAtomic(target, {1, 2, 3}));
  ASSERT_TRUE(WriteFileAtomic(target, {4, 5}));
  EXPECT_EQ(*ReadAssetOrFile(target), (std::vector<std::uint8_t>{4, 5}));
  std::string error;
  EXPECT_FALSE(WriteFileAtomic((dir / "missing" / "x.bin").string(), {1}, &error));
  EXPECT_FALSE(error.empty());
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    EXPECT_EQ(entry.path().filename(), "data.bin") << "no temporary file left behind";
  }
}

TEST_F(MediaTest, ShrunkImageDrawsWholePictureIntoNewSize) {
  // Left half red, right half blue, 40x20.
  const auto path = WritePng("shrink.png", 40, 20, [](int x, int) { return x < 20 ? RED : BLUE; });
  ImagePtr image = LoadImage(path, FILTEREDIMAGE);
  ASSERT_TRUE(image);
  image->width = 20;
  image->height = 10;
  EXPECT_EQ(ImageWidth(image), 20);
  Cls();
  DrawImage(image, 100, 100);
  EXPECT_EQ(ScreenPixel(102, 105), RED);
  EXPECT_EQ(ScreenPixel(117, 105), BLUE) << "the right half lands inside the new width";
  EXPECT_EQ(ScreenPixel(125, 105), BLACK) << "nothing beyond the new width";
  EXPECT_EQ(ScreenPixel(105, 112), BLACK) << "nothing below the new height";
}

TEST_F(MediaTest, MaskFlagDecidesWhetherBlackIsTransparent) {
  const auto path = WritePng("mask.png", 10, 10, [](int x, int) { return x < 5 ? BLACK : WHITE; });
  SetClsColor(0, 255, 0);
  Cls();
  ImagePtr filtered = LoadImage(path, FILTEREDIMAGE);
  ImagePtr masked = LoadImage(path);
  ASSERT_TRUE(filtered && masked);
  DrawImage(filtered, 0, 0);
  DrawImage(masked, 20, 0);
  EXPECT_EQ(ScreenPixel(1, 5), BLACK) << "flags 2 keep black opaque";
  EXPECT_EQ(ScreenPixel(21, 5), GREEN) << "default flags make black transparent";
  EXPECT_EQ(ScreenPixel(28, 5), WHITE);
}

TEST_F(MediaTest, DrawingTransformRotatesClockwiseAboutHandle) {
  const auto path = WritePng("bar.png", 20, 4, [](int, int) { return RED; });
  ImagePtr bar = LoadImage(path, 0);
  ASSERT_TRUE(bar);
  SetImageHandle(bar, 0, 2);
  Cls();
  SetRotation(90);  // positive turns clockwise: the bar now points down
  DrawImage(bar, 200, 200);
  SetRotation(0);
  EXPECT_EQ(ScreenPixel(200, 215), RED);
  EXPECT_EQ(ScreenPixel(215, 200), BLACK);
  SetColor(0, 0, 255);
  SetOrigin(10, 0);
  DrawRect(300, 300, 5, 5);  // origin moves shapes too
  SetOrigin(0, 0);
  EXPECT_EQ(ScreenPixel(312, 302), BLUE);
  SetColor(255, 255, 255);
  DrawLine(400, 400, 410, 400);
  EXPECT_EQ(ScreenPixel(410, 400), WHITE) << "lines include their last pixel";
}

TEST_F(MediaTest, AnimCellsAreCutRowByRow) {
  // 3x2 cells of 10x10; cell k is filled with grey level k * 40.
  const auto path = WritePng("cells.png", 30, 20, [](int x, int y) {
    const std::uint32_t k = static_cast<std::uint32_t>((y / 10) * 3 + x / 10);
    const std::uint32_t g = k * 40;
    return 0xFF000000 | (g << 16) | (g << 8) | g | 0x010101;
  });
  ImagePtr cells = LoadAnimImage(path, 10, 10, 1, 5, 0);
  ASSERT_TRUE(cells);
  EXPECT_EQ(cells->CellCount(), 5);
  Cls();
  DrawImage(cells, 0, 0, 3);  // cell 4: second row, middle
  EXPECT_EQ(ScreenPixel(5, 5) & 0xFF, 4u * 40 + 1);
  EXPECT_FALSE(LoadAnimImage(path, 40, 40, 0, 1)) << "a cell larger than the sheet";
  EXPECT_FALSE(LoadImage("no/such/picture.png"));
}

TEST_F(MediaTest, ImagesCollideIsPixelExact) {
  // A ring: solid border, transparent middle.
  const auto ringPath = WritePng("ring.png", 40, 40, [](int x, int y) {
    const bool border = x < 4 || y < 4 || x >= 36 || y >= 36;
    return border ? WHITE : 0u;
  });
  const auto dotPath = WritePng("dot.png", 4, 4, [](int, int) { return WHITE; });
  ImagePtr ring = LoadImage(ringPath);
  ImagePtr dot = LoadImage(dotPath);
  ASSERT_TRUE(ring && dot);
  struct Case {
    int x, y;
    bool hit;
    const char* why;
  };
  const Case cases[] = {
      {18, 18, false, "inside the hole"},
      {1, 18, true, "on the left border"},
      {-3, 18, true, "overlapping by one pixel"},
      {-4, 18, false, "touching the edge only"},
      {100, 100, false, "far away"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ImagesCollide(ring, 0, 0, 0, dot, c.x, c.y, 0), c.hit) << c.why;
  }
  // Shrinking the ring moves its border inward with it.
  ring->width = 20;
  ring->height = 20;
  EXPECT_TRUE(ImagesCollide(ring, 0, 0, 0, dot, 17, 8, 0));
  // Rotation of the drawing state applies to both frames, about their handles.
  MidHandleImage(ring);
  SetRotation(45);
  EXPECT_FALSE(ImagesCollide(ring, 100, 100, 0, dot, 100, 100, 0));
  SetRotation(0);
}

TEST_F(MediaTest, LockedPixelsReachTheDrawnPicture) {
  ImagePtr image = CreateImage(8, 8, 2);
  ASSERT_TRUE(image);
  auto pixels = LockImage(image, 1);
  ASSERT_TRUE(pixels);
  for (auto& p : pixels->pixels) p = GREEN;
  UnlockImage(image, 1);
  Cls();
  DrawImage(image, 50, 50, 0);
  DrawImage(image, 60, 50, 1);
  EXPECT_EQ(ScreenPixel(53, 53), BLACK) << "frame 0 stays transparent";
  EXPECT_EQ(ScreenPixel(63, 53), GREEN);
}

TEST_F(MediaTest, ImagesOfOnePictureStayIndependent) {
  const auto path = WritePng("shared.png", 6, 6, [](int, int) { return RED; });
  ImagePtr a = LoadImage(path, 0);
  ImagePtr b = LoadImage(path, 0);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->data, b->data) << "the decoded picture is shared";
  a->width = 3;
  SetImageHandle(a, 1, 1);
  EXPECT_EQ(ImageWidth(b), 6) << "sizes and handles are each image's own";
  EXPECT_FLOAT_EQ(b->handle_x, 0);
  auto pixels = LockImage(a, 0);
  for (auto& p : pixels->pixels) p = BLUE;
  UnlockImage(a, 0);
  Cls();
  DrawImage(a, 10, 10);
  DrawImage(b, 30, 10);
  EXPECT_EQ(ScreenPixel(11, 11), BLUE);
  EXPECT_EQ(ScreenPixel(31, 11), RED) << "a locked image's changes stay its own";
  EXPECT_EQ(LoadPixmap(path)->ReadPixel(0, 0), RED);
  ImagePtr c = LoadImage(path, 0);
  EXPECT_EQ(c->data, b->data) << "a later load still gets the unchanged picture";
  EXPECT_NE(LoadImage(path, FILTEREDIMAGE)->data, b->data) << "other flags, other picture";
}

TEST_F(MediaTest, PreparedAndHeldPicturesAreTheOnesADirectLoadGives) {
  // Two cells, a black (masked) border and a clear corner, so masking and the colour bleed show.
  const auto file = WritePng("prepared.png", 8, 4, [](int x, int y) {
    if (x == 0 && y == 0) return 0x00000000u;
    return x == 0 || y == 3 ? BLACK : (x < 4 ? RED : BLUE);
  });
  const auto bytes = ReadAssetOrFile(file);
  ASSERT_TRUE(bytes);
  RegisterAssetBytes("prepared/sheet.png", *bytes);
  const auto pixelsOf = [](const ImagePtr& image, int cell) {
    auto pixmap = LockImage(image, cell);
    return pixmap ? pixmap->pixels : std::vector<std::uint32_t>{};
  };
  const auto load = [] { return LoadAnimImage("prepared/sheet.png", 4, 4, 0, 2); };

  TAssetLoadCounts counts = AssetLoadCounts();
  ImagePtr direct = load();
  ASSERT_TRUE(direct);
  EXPECT_EQ(AssetLoadCounts().picturesDecoded, counts.picturesDecoded + 1);
  PrepareAnimImage("prepared/sheet.png", 4, 4, 0, 2);  // in use: held for the next load
  const auto cell0 = pixelsOf(direct, 0);
  const auto cell1 = pixelsOf(direct, 1);
  direct = nullptr;
  counts = AssetLoadCounts();
  ImagePtr held = load();
  EXPECT_EQ(AssetLoadCounts().picturesHeld, counts.picturesHeld + 1)
      << "its user let go, the preparation did not";
  EXPECT_EQ(pixelsOf(held, 0), cell0);
  held = nullptr;

  ForgetPreparation();
  PrepareAnimImage("prepared/sheet.png", 4, 4, 0, 2);
  PrepareAnimImage("prepared/sheet.png", 4, 4, 0, 2);  // asked twice, decoded once
  WaitForPreparation();
  counts = AssetLoadCounts();
  ImagePtr prepared = load();
  ASSERT_TRUE(prepared);
  EXPECT_EQ(AssetLoadCounts().picturesPrepared, counts.picturesPrepared + 1);
  EXPECT_EQ(AssetLoadCounts().picturesDecoded, counts.picturesDecoded);
  EXPECT_EQ(prepared->CellCount(), 2);
  EXPECT_EQ(pixelsOf(prepared, 0), cell0);
  EXPECT_EQ(pixelsOf(prepared, 1), cell1);
  prepared = nullptr;

  // Forgotten preparations are let go of; files and other flags are decoded at the load.
  ForgetPreparation();
  counts = AssetLoadCounts();
  EXPECT_TRUE(load());
  PrepareImage(file);
  WaitForPreparation();
  EXPECT_TRUE(LoadImage(file));
  EXPECT_TRUE(LoadImage("prepared/sheet.png", FILTEREDIMAGE));
  EXPECT_EQ(AssetLoadCounts().picturesDecoded, counts.picturesDecoded + 3);
  PrepareImage("prepared/missing.png");
  WaitForPreparation();
  EXPECT_FALSE(LoadImage("prepared/missing.png"));
  ForgetPreparation();
}

TEST_F(MediaTest, PreparedTexturesAreMadeInBandsBetweenFrames) {
  // Tall enough for several bands; the last rows blue, the rest red.
  const auto file =
      WritePng("tall.png", 300, 1000, [](int, int y) { return y >= 900 ? BLUE : RED; });
  RegisterAssetBytes("prepared/tall.png", *ReadAssetOrFile(file));
  PrepareImage("prepared/tall.png", 0);
  WaitForPreparation();
  int slices = 0;
  while (AdvancePreparation(1)) ++slices;
  EXPECT_GE(slices, 2) << "a big texture takes several slices";
  const TAssetLoadCounts counts = AssetLoadCounts();
  ImagePtr tall = LoadImage("prepared/tall.png", 0);
  ASSERT_TRUE(tall);
  EXPECT_EQ(AssetLoadCounts().picturesDecoded, counts.picturesDecoded);
  Cls();
  DrawImage(tall, 0, -900);
  EXPECT_EQ(ScreenPixel(150, 50), BLUE) << "the last band reached the texture";
  DrawImage(tall, 400, 0);
  EXPECT_EQ(ScreenPixel(550, 50), RED);
  ForgetPreparation();
}

TEST_F(MediaTest, PixmapsResizeAndSaveJpeg) {
  auto p = CreatePixmap(4, 4);
  for (auto& px : p->pixels) px = RED;
  auto big = ResizePixmap(p, 9, 7);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->width, 9);
  EXPECT_EQ(big->ReadPixel(8, 6), RED);
  auto small = ResizePixmap(p, 1, 1);
  EXPECT_EQ(small->ReadPixel(0, 0), RED);
  const std::string jpeg = (std::filesystem::temp_directory_path() / "shot.jpg").string();
  ASSERT_TRUE(SavePixmapJPeg(big, jpeg, 90));
  auto back = LoadPixmap(jpeg);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 9);
  EXPECT_FALSE(SavePixmapJPeg(big, "/no/such/folder/shot.jpg", 90));
}

TEST_F(MediaTest, TextUsesDefaultFontAndIsTraced) {
  SetImageFont(nullptr);
  EXPECT_GT(TextWidth("Loading..."), TextWidth("Loading"));
  EXPECT_GT(TextHeight("Loading"), 0);
  EnableDrawTrace(true);
  ClearDrawTrace();
  const auto path = WritePng("trace.png", 2, 2, [](int, int) { return WHITE; });
  ImagePtr image = LoadImage(path);
  SetAlpha(0.5f);
  SetBlend(ALPHABLEND);
  DrawImage(image, 3, 4, 0);
  DrawText("hi", 5, 6);
  EnableDrawTrace(false);
  ASSERT_EQ(DrawTrace().size(), 2u);
  EXPECT_EQ(DrawTrace()[0].op, "image");
  EXPECT_EQ(DrawTrace()[0].path, path);
  EXPECT_FLOAT_EQ(DrawTrace()[0].alpha, 0.5f);
  EXPECT_EQ(DrawTrace()[0].blend, ALPHABLEND);
  EXPECT_EQ(DrawTrace()[1].path, "hi");
  ClearDrawTrace();
}

}  // namespace
