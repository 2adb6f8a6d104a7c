// Fuzz target for the writer and reader together: the input bytes describe a tree (names from
// the characters tags allow, attribute values of any byte, trimmed contents), which is saved
// plain and in the container and must load back identical.
#include <cstdio>
#include <cstdlib>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

class TBytes {
 public:
  TBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Text(std::size_t maxLength) {
    std::string text;
    const std::size_t length = Next() % (maxLength + 1);
    for (std::size_t i = 0; i < length && !Empty(); ++i) text += static_cast<char>(Next());
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

std::string Name(TBytes& bytes) {
  static constexpr char ALPHABET[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.:-";
  std::string name(1, ALPHABET[bytes.Next() % 52]);
  const std::size_t length = bytes.Next() % 8;
  for (std::size_t i = 0; i < length; ++i) name += ALPHABET[bytes.Next() % (sizeof ALPHABET - 1)];
  return name;
}

/// The reader trims contents, so trimmed text is what a tree can hold across a save.
std::string Trimmed(std::string text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  std::size_t first = 0;
  while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  return text.substr(first);
}

void Grow(xmlNode* node, TBytes& bytes, int depth) {
  const int attributes = bytes.Next() % 6;
  for (int i = 0; i < attributes; ++i) node->AttributeValueSet(Name(bytes), bytes.Text(24));
  if (bytes.Next() % 3 == 0) node->DataSet(Trimmed(bytes.Text(40)));
  const int children = depth < 12 ? bytes.Next() % 4 : 0;
  for (int i = 0; i < children && !bytes.Empty(); ++i)
    Grow(node->AddChild(Name(bytes)), bytes, depth + 1);
}

void Check(const xmlDocument& original, const std::vector<std::uint8_t>& file, const char* form) {
  xmlDocument loaded;
  loaded.LoadBytes(file, form);
  const std::string difference = xmlTreeDifference(original.GetRoot(), loaded.GetRoot());
  if (loaded.xmlErrorCount() != 0 || !difference.empty()) {
    std::fprintf(stderr, "xml_roundtrip_fuzz (%s): %s %s\n", form, loaded.xmlError(1).c_str(),
                 difference.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (SetLogQuiet(true), true);
  (void)quiet;
  TBytes bytes(data, size);
  xmlDocument document;
  xmlNode* root = document.RootNode();
  root->NameSet(Name(bytes));
  const int key = 1 + bytes.Next() % XML_CONTAINER_MAX_KEY;
  Grow(root, bytes, 0);
  std::string text;
  document.Save("", 0, &text);
  Check(document, std::vector<std::uint8_t>(text.begin(), text.end()), "plain");
  Check(document, xmlContainerEncode(text, key), "container");
  return 0;
}
