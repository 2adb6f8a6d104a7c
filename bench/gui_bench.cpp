// GUI toolkit: the cost of one refresh of a menu screen with the 170-row level table (drawn each
// frame), at the top of the list, scrolled to the middle, and with the mouse over a row.
// Headless software renderer; the skin is a small one written at start-up.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "gui/kiv_gui.h"
#include "media/media.h"

namespace {

constexpr int LEVELS = 170;

void WritePicture(const std::filesystem::path& file, int w, int h, std::uint32_t argb) {
  std::filesystem::create_directories(file.parent_path());
  PixmapPtr p = CreatePixmap(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      p->WritePixel(x, y, argb + static_cast<std::uint32_t>((y / 5) * 3 + x / 5) * 0x10u);
  }
  SavePixmapPNG(p, file.string());
}

struct LevelScreen {
  std::filesystem::path skin = std::filesystem::temp_directory_path() / "brakkon_gui_bench_skin";
  kiv_TablePtr table;

  LevelScreen() {
    SetHeadless(true);
    Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0);
    const auto g = skin / "graphics";
    for (const char* name :
         {"panel.png", "button.png", "scrollback.png", "scrollup.png", "scrolldown.png"}) {
      WritePicture(g / name, 15, 15, 0xFF406080u);
    }
    WritePicture(g / "vscrollbar.png", 15, 7, 0xFF80A0C0u);
    for (const char* name : {"normal.png", "mouseover.png", "mousedown.png"}) {
      WritePicture(g / "cursors" / name, 16, 16, 0xFFC0C040u);
    }
    std::filesystem::create_directories(skin / "Fonts");
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                               skin / "Fonts" / "font.ttf",
                               std::filesystem::copy_options::overwrite_existing);

    kiv_SetRes(SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    kiv_SystemCursor(0);
    kiv_LoadSkin(skin.string());
    kiv_AddFont("Small", "font.ttf", 16);
    kiv_AddFont("Big", "font.ttf", 30);
    kiv_AddFont("Default", "font.ttf", 26);

    kiv_ScreenPtr screen = kiv_CreateScreen("Screen 2", "");
    kiv_PanelPtr panel = kiv_CreatePanel("panel 2", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, nullptr);
    panel->gBackground = 0;
    panel->gBorder = 0;
    screen->AddPanel(panel);
    table = kiv_CreateTable("Table", 34, 70, 498, "level", 150, 25, 1, panel);
    table->AddColumn("scores", 50);
    table->AddColumn("access", 30);
    table->SetFont("Small");
    for (int i = 1; i <= LEVELS; ++i) {
      table->AddItem(
          {"Level " + std::to_string(i), std::to_string(i % 17), i < 40 ? "Open" : "Close"});
    }
    table->SelectItem(99);
    kiv_CreateLabel("labelselect", "SELECT LEVEL", 290, 15, 0, 0, 0, 0, panel);
    kiv_CreateLabel("labelselect", "total best shots: 123", 419, 380, 0, 0, 0, 0, panel);
    kiv_CreateButton("playlevel", "start", 687, 542, 85, 30, panel);
    kiv_CreateButton("menu", "menu", 420, 542, 80, 30, panel);
    kiv_GUI::SetScreen(screen);
    SetBlend(ALPHABLEND);
  }

  ~LevelScreen() {
    std::error_code ec;
    std::filesystem::remove_all(skin, ec);
  }
};

LevelScreen& Screen() {
  static LevelScreen screen;
  return screen;
}

void RunFrames(benchmark::State& state, int scroll, int mouseX, int mouseY) {
  LevelScreen& s = Screen();
  s.table->gScroll->SetValue(scroll);
  InjectMouseMove(mouseX, mouseY);
  for (auto _ : state) {
    kiv_RefreshGUI();
    while (kiv_PollEvent() != 0) {
    }
  }
}

void BM_LevelScreenRefresh_Top(benchmark::State& state) { RunFrames(state, 0, 700, 300); }
void BM_LevelScreenRefresh_Scrolled(benchmark::State& state) { RunFrames(state, 2475, 700, 300); }
void BM_LevelScreenRefresh_MouseOverRow(benchmark::State& state) {
  RunFrames(state, 2475, 100, 300);
}

}  // namespace

BENCHMARK(BM_LevelScreenRefresh_Top)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelScreenRefresh_Scrolled)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelScreenRefresh_MouseOverRow)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
