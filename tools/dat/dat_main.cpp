// brakkon-dat: lets players and testers read or repair their progress file. "decode" prints the
// XML text inside the byte-shift container; "encode" checks a plain (or already encoded) XML file
// with the game's own reader and writes it in the container, exactly as the game would save it.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

constexpr const char* USAGE =
    "Usage: brakkon-dat decode FILE       print the XML text of a progress file\n"
    "       brakkon-dat encode IN OUT     check the XML in IN and write it to OUT in the "
    "container\n"
    "FILE and IN may be \"-\" for standard input.\n";

std::optional<std::vector<std::uint8_t>> ReadInput(const std::string& name) {
  if (name != "-") return ReadAssetOrFile(name);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(std::cin)),
                                  std::istreambuf_iterator<char>());
  return bytes;
}

int Decode(const std::string& name) {
  const auto bytes = ReadInput(name);
  if (!bytes) {
    std::fprintf(stderr, "brakkon-dat: cannot read %s\n", name.c_str());
    return 1;
  }
  if (!xmlIsContainer(*bytes))
    std::fprintf(stderr, "brakkon-dat: %s is plain text already\n", name.c_str());
  const std::string plain = xmlContainerDecode(*bytes);
  std::fwrite(plain.data(), 1, plain.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int Encode(const std::string& in, const std::string& out) {
  const auto bytes = ReadInput(in);
  if (!bytes) {
    std::fprintf(stderr, "brakkon-dat: cannot read %s\n", in.c_str());
    return 1;
  }
  xmlDocument document;
  document.LoadBytes(*bytes, in);
  if (document.xmlErrorCount() != 0) {
    for (int i = 1; i <= document.xmlErrorCount(); ++i) {
      std::fprintf(stderr, "brakkon-dat: %s: byte %d: %s\n", in.c_str(),
                   document.xmlErrorPosition(i), document.xmlError(i).c_str());
    }
    std::fprintf(stderr, "brakkon-dat: %s not written\n", out.c_str());
    return 1;
  }
  if (document.GetRoot() == nullptr) {
    std::fprintf(stderr, "brakkon-dat: %s holds no element; %s not written\n", in.c_str(),
                 out.c_str());
    return 1;
  }
  if (document.Save(out, 1) == 0) {
    std::fprintf(stderr, "brakkon-dat: cannot write %s: %s\n", out.c_str(),
                 document.xmlError(1).c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetLogQuiet(true);  // standard output carries the decoded file
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "decode") return Decode(args[1]);
  if (args.size() == 3 && args[0] == "encode") return Encode(args[1], args[2]);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  std::fputs(USAGE, stderr);
  return 2;
}
