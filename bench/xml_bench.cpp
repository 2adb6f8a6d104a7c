// XML reader throughput: a 100 KB document shaped like a large level file (a root with settings,
// sections of bodies with a dozen attributes each, text and a comment), parsed plain and from the
// byte-shift container, and saved back to text; then documents of text, of attributes and of
// nested elements from 40 KB to 10 MB, whose time per byte must not grow with the size (a reader
// that copies what it has read for every piece takes minutes at 10 MB). Reported as MB/s of file
// bytes (the "MB" rate counter).
#include <benchmark/benchmark.h>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

constexpr std::size_t DOCUMENT_BYTES = 100 * 1024;

std::string LevelLikeDocument() {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
      "<!-- generated for the benchmark -->\r\n"
      "<level fon=\"fon3.jpg\" levX=\"65\" levY=\"30\" shotsX=\"67\" shotsY=\"30\" shot=\"2\" "
      "limitRagdoll=\"20\">\r\n";
  for (int section = 0; text.size() < DOCUMENT_BYTES - 200; ++section) {
    text += "  <bodies>\r\n";
    for (int i = 0; i < 40 && text.size() < DOCUMENT_BYTES - 200; ++i) {
      text += "    <body Name=\"box" + std::to_string(i % 9) + ".png\" x=\"" +
              std::to_string(100 + i * 7) + ".5\" y=\"" + std::to_string(560 - i * 3) +
              "\" angle=\"" + std::to_string(i % 90) +
              "\" typ=\"d\" shape=\"r\" scaleX=\"1\" scaleY=\"0.85\" density=\"0.5\" move=\"left\" "
              "speed=\"0.2\" />\r\n";
    }
    text += "  </bodies>\r\n  <pics>\r\n    <pic Name=\"tree.png\">a &lt note &amp text " +
            std::to_string(section) + "</pic>\r\n  </pics>\r\n";
  }
  return text + "</level>\r\n";
}

/// One element holding `bytes` of text in lines, as a note pasted into a file would be.
std::string TextDocument(std::size_t bytes) {
  std::string text = "<note>\r\n";
  for (int line = 0; text.size() < bytes; ++line) {
    text +=
        "  line " + std::to_string(line) + " of a long note with an entity &amp and some words\r\n";
  }
  return text + "</note>\r\n";
}

/// Elements of ten attributes each under one root.
std::string AttributeDocument(std::size_t bytes) {
  std::string text = "<bodies>\r\n";
  for (int i = 0; text.size() < bytes; ++i) {
    text += "  <body";
    for (int k = 0; k < 10; ++k)
      text += " a" + std::to_string(k) + "=\"" + std::to_string(i * 10 + k) + ".25\"";
    text += " />\r\n";
  }
  return text + "</bodies>\r\n";
}

/// Subtrees 32 elements deep, one after another under one root.
std::string NestedDocument(std::size_t bytes) {
  std::string text = "<tree>\r\n";
  while (text.size() < bytes) {
    for (int depth = 0; depth < 32; ++depth) text += "<n d=\"" + std::to_string(depth) + "\">";
    text += "<leaf />";
    for (int depth = 0; depth < 32; ++depth) text += "</n>";
    text += "\r\n";
  }
  return text + "</tree>\r\n";
}

void Parse(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
  SetLogQuiet(true);
  xmlDocument document;
  // The large documents are beyond what a game file may hold; the reader itself is measured.
  document.SetLimits({bytes.size(), bytes.size()});
  for (auto _ : state) {
    xmlNode* root = document.LoadBytes(bytes, "bench");
    benchmark::DoNotOptimize(root);
    if (root == nullptr) state.SkipWithError("the benchmark document does not parse");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes.size()));
  state.counters["MB"] = benchmark::Counter(
      static_cast<double>(bytes.size()) / 1e6 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
  state.counters["file_KB"] = static_cast<double>(bytes.size()) / 1024.0;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void BM_ParsePlain100KB(benchmark::State& state) { Parse(state, Bytes(LevelLikeDocument())); }
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
  state.counters["MB"] = benchmark::Counter(
      static_cast<double>(written) / 1e6 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaveToText100KB)->Unit(benchmark::kMicrosecond);

// The argument is the document size in KB: 40, 80, 160 and 320 KB, then 10 MB.
void BM_ParseText(benchmark::State& state) {
  Parse(state, Bytes(TextDocument(state.range(0) * 1024)));
}
BENCHMARK(BM_ParseText)
    ->Arg(40)
    ->Arg(80)
    ->Arg(160)
    ->Arg(320)
    ->Arg(10240)
    ->Unit(benchmark::kMillisecond);

void BM_ParseAttributes(benchmark::State& state) {
  Parse(state, Bytes(AttributeDocument(state.range(0) * 1024)));
}
BENCHMARK(BM_ParseAttributes)->Arg(320)->Arg(10240)->Unit(benchmark::kMillisecond);

void BM_ParseNested(benchmark::State& state) {
  Parse(state, Bytes(NestedDocument(state.range(0) * 1024)));
}
BENCHMARK(BM_ParseNested)->Arg(320)->Arg(10240)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
