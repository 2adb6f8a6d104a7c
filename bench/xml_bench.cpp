// XML reader throughput: a 100 KB document shaped like a large level file (a root with settings,
// sections of bodies with a dozen attributes each, text and a comment), parsed plain and from the
// byte-shift container, and saved back to text. Reported as MB/s of file bytes (the "MB" rate counter).
#include <benchmark/benchmark.h>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

constexpr std::size_t DOCUMENT_BYTES = 100 * 1024;

std::string LevelLikeDocument() {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
      "<!-- generated for the benchmark -->\r\n"
      "<level fon=\"fon3.jpg\" levX=\"65\" levY=\"30\" shotsX=\"67\" shotsY=\"30\" shot=\"2\" limitRagdoll=\"20\">\r\n";
  for (int section = 0; text.size() < DOCUMENT_BYTES - 200; ++section) {
    text += "  <bodies>\r\n";
    for (int i = 0; i < 40 && text.size() < DOCUMENT_BYTES - 200; ++i) {
      text += "    <body Name=\"box" + std::to_string(i % 9) + ".png\" x=\"" + std::to_string(100 + i * 7) +
              ".5\" y=\"" + std::to_string(560 - i * 3) + "\" angle=\"" + std::to_string(i % 90) +
              "\" typ=\"d\" shape=\"r\" scaleX=\"1\" scaleY=\"0.85\" density=\"0.5\" move=\"left\" speed=\"0.2\" />\r\n";
    }
    text += "  </bodies>\r\n  <pics>\r\n    <pic Name=\"tree.png\">a &lt note &amp text " + std::to_string(section) +
            "</pic>\r\n  </pics>\r\n";
  }
  return text + "</level>\r\n";
}

void Parse(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
  SetLogQuiet(true);
  xmlDocument document;
  for (auto _ : state) {
    xmlNode* root = document.LoadBytes(bytes, "bench");
    benchmark::DoNotOptimize(root);
    if (root == nullptr) state.SkipWithError("the benchmark document does not parse");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
  state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes.size()) / 1e6 * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.counters["file_KB"] = static_cast<double>(bytes.size()) / 1024.0;
}

void BM_ParsePlain100KB(benchmark::State& state) {
  const std::string text = LevelLikeDocument();
  Parse(state, std::vector<std::uint8_t>(text.begin(), text.end()));
}
BENCHMARK(BM_ParsePlain100KB)->Unit(benchmark::kMicrosecond);

void BM_ParseEncrypted100KB(benchmark::State& state) {
  Parse(state, xmlContainerEncode(LevelLikeDocument(), 123));
}
BENCHMARK(BM_ParseEncrypted100KB)->Unit(benchmark::kMicrosecond);

void BM_SaveToText100KB(benchmark::State& state) {
  SetLogQuiet(true);
  const std::string text = LevelLikeDocument();
  xmlDocument document;
  document.LoadBytes(std::vector<std::uint8_t>(text.begin(), text.end()), "bench");
  std::size_t written = 0;
  for (auto _ : state) {
    std::string out;
    document.Save("", 0, &out);
    written = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MB"] = benchmark::Counter(static_cast<double>(written) / 1e6 * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaveToText100KB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
