// Fuzz target for the XML reader: any bytes, plain or in the container, must parse without a
// crash into a consistent tree, and a tree the reader accepted must survive a save and a reload.
#include <cstdio>
#include <cstdlib>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "xml_load_fuzz: %s\n", what);
    std::abort();
  }
}

/// Parent, level, index and document links agree; returns the number of nodes in the subtree.
std::size_t CheckSubtree(const xmlNode* node, const xmlDocument& document) {
  Require(node->Document == &document, "node of another document");
  Require(node->ChildCount == static_cast<int>(node->ChildArray.size()), "child count");
  Require(node->AttributeCount() <= XML_MAX_ATTRIBUTES, "attribute count");
  std::size_t count = 1;
  for (int i = 1; i <= node->ChildCount; ++i) {
    const xmlNode* child = node->GetChild(i);
    Require(child->Parent == node && child->ChildIndex == i && child->Level == node->Level + 1,
            "child links");
    count += CheckSubtree(child, document);
  }
  return count;
}

/// Trees whose names the writer can put in a tag and the reader read back as the same tag.
bool Writable(const xmlNode* node) {
  if (node->name.empty() || node->name.back() == '/') return false;
  for (int i = 1; i <= node->ChildCount; ++i) {
    if (!Writable(node->GetChild(i))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (SetLogQuiet(true), true);
  (void)quiet;
  xmlDocument document;
  const xmlNode* root = document.LoadBytes(std::vector<std::uint8_t>(data, data + size), "fuzz");
  Require(root == (document.xmlErrorCount() == 0 ? document.GetRoot() : nullptr),
          "result and error list disagree");
  Require(document.xmlErrorCount() <= XML_MAX_ERRORS, "error list overflow");

  std::size_t listed = 0;
  for (const xmlNode* node = document.GetRoot(); node != nullptr; node = document.After(node))
    ++listed;
  if (document.GetRoot() != nullptr) {
    Require(CheckSubtree(document.GetRoot(), document) == listed, "node list and tree disagree");
  }
  document.FindNode("level");

  if (root != nullptr && Writable(root)) {
    std::string text;
    document.Save("", 0, &text);
    xmlDocument again;
    again.LoadBytes(std::vector<std::uint8_t>(text.begin(), text.end()), "again");
    Require(again.xmlErrorCount() == 0, "saved text does not parse");
    if (const std::string difference = xmlTreeDifference(root, again.GetRoot());
        !difference.empty()) {
      std::fprintf(stderr, "xml_load_fuzz: round trip: %s\n", difference.c_str());
      std::abort();
    }
  }
  if (document.GetRoot() != nullptr && document.GetRoot()->ChildCount > 1) {
    document.GetRoot()->GetChild(1)->Free(0);
    CheckSubtree(document.GetRoot(), document);
  }
  document.Free();
  Require(document.GetRoot() == nullptr && document.After(nullptr) == nullptr, "free");
  return 0;
}
