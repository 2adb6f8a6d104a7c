// The XML tree: nodes owned by their document in creation order, attribute and child access,
// and the writer that turns a tree back into text (plain or inside the byte-shift container).
#include "xml/xml_document.h"

#include <stdexcept>

#include "media/media.h"

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

constexpr const char* WRITE_ERROR = "Error writing XML file: ";

}  // namespace

// [SECTION] xmlNode ----------------------------------------------------------------------------

xmlNode::~xmlNode() = default;

xmlNode* xmlNode::AddChild(const std::string& childName) {
  return Document->NewNode(this, childName);
}

void xmlNode::Free(int index) { Document->FreeNode(this, index); }

xmlNode* xmlNode::FindChild(const std::string& childName, int recursive) const {
  for (xmlNode* child : ChildArray) {
    if (SameNameIgnoringCase(child->name, childName)) return child;
    if (recursive != 0 && child->ChildCount != 0) {
      if (xmlNode* found = child->FindChild(childName, recursive)) return found;
    }
  }
  return nullptr;
}

xmlNode* xmlNode::GetChild(int index) const {
  if (index < 1 || index > ChildCount) throw std::out_of_range("xmlNode child index out of range.");
  return ChildArray[static_cast<std::size_t>(index - 1)];
}

xmlNode* xmlNode::GetFirstChild() const { return ChildCount == 0 ? nullptr : ChildArray.front(); }

xmlNode* xmlNode::GetNextSibling() const {
  if (Parent == nullptr || ChildIndex + 1 > Parent->ChildCount) return nullptr;
  return Parent->ChildArray[static_cast<std::size_t>(ChildIndex)];
}

xmlNode* xmlNode::GetPrevSibling() const {
  if (Parent == nullptr || ChildIndex - 1 < 1 || ChildIndex - 1 > Parent->ChildCount)
    return nullptr;
  return Parent->ChildArray[static_cast<std::size_t>(ChildIndex - 2)];
}

xmlAttribute* xmlNode::FindAttribute(const std::string& attributeName) {
  for (xmlAttribute& attribute : Attributes) {
    if (attribute.name == attributeName) return &attribute;
  }
  return nullptr;
}

const xmlAttribute* xmlNode::FindAttribute(const std::string& attributeName) const {
  return const_cast<xmlNode*>(this)->FindAttribute(attributeName);
}

void xmlNode::AttributeValueSet(const std::string& attributeName, const std::string& value) {
  if (xmlAttribute* attribute = FindAttribute(attributeName)) {
    attribute->value = value;
  } else if (AttributeCount() < XML_MAX_ATTRIBUTES) {
    Attributes.push_back({attributeName, value});
  }
}

void xmlNode::AttributeValueSetF(const std::string& attributeName, float value) {
  AttributeValueSet(attributeName, xmlFloatToText(value));
}

void xmlNode::AttributeValueSetI(const std::string& attributeName, int value) {
  AttributeValueSet(attributeName, std::to_string(value));
}

std::string xmlNode::AttributeValueGet(const std::string& attributeName) const {
  const xmlAttribute* attribute = FindAttribute(attributeName);
  return attribute == nullptr ? std::string() : attribute->value;
}

float xmlNode::AttributeValueGetF(const std::string& attributeName) const {
  return xmlTextToFloat(AttributeValueGet(attributeName));
}

int xmlNode::AttributeValueGetI(const std::string& attributeName) const {
  return xmlTextToInt(AttributeValueGet(attributeName));
}

void xmlNode::AttributeNameSet(const std::string& oldName, const std::string& newName) {
  if (xmlAttribute* attribute = FindAttribute(oldName)) attribute->name = newName;
}

void xmlNode::AttributeDelete(const std::string& attributeName) {
  xmlAttribute* attribute = FindAttribute(attributeName);
  if (attribute == nullptr) return;
  if (attribute != &Attributes.back()) *attribute = std::move(Attributes.back());
  Attributes.pop_back();
}

void xmlNode::DataSetF(float value) { Contents = xmlFloatToText(value); }
void xmlNode::DataSetI(int value) { Contents = std::to_string(value); }
float xmlNode::DataGetF() const { return xmlTextToFloat(Contents); }
int xmlNode::DataGetI() const { return xmlTextToInt(Contents); }

// [SECTION] xmlDocument ------------------------------------------------------------------------

xmlDocument::~xmlDocument() = default;

xmlNode* xmlDocument::NewNode(xmlNode* parent, const std::string& nodeName) {
  nodeList.push_back(std::unique_ptr<xmlNode>(new xmlNode()));
  xmlNode* node = nodeList.back().get();
  node->listPosition = std::prev(nodeList.end());
  node->name = nodeName;
  node->Document = this;
  if (parent != nullptr) {
    node->Parent = parent;
    node->Level = parent->Level + 1;
    parent->ChildArray.push_back(node);
    parent->ChildCount = static_cast<int>(parent->ChildArray.size());
    node->ChildIndex = parent->ChildCount;
  }
  return node;
}

void xmlDocument::FreeNode(xmlNode* node, int index) {
  while (node->ChildCount > 0) FreeNode(node->ChildArray.front(), 1);
  if (xmlNode* parent = node->Parent) {
    auto& children = parent->ChildArray;
    // A caller's index is trusted only when it really names this node; otherwise look it up.
    std::size_t slot = children.size();
    if (index >= 1 && index <= parent->ChildCount &&
        children[static_cast<std::size_t>(index - 1)] == node) {
      slot = static_cast<std::size_t>(index - 1);
    } else {
      for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i] == node) {
          slot = i;
          break;
        }
      }
    }
    if (slot < children.size()) {
      children[slot] = children.back();
      // The moved sibling learns its new place, so sibling walks stay correct.
      children[slot]->ChildIndex = static_cast<int>(slot) + 1;
      children.pop_back();
      parent->ChildCount = static_cast<int>(children.size());
    }
  }
  if (Root == node) Root = nullptr;
  nodeList.erase(node->listPosition);  // destroys the node
}

xmlNode* xmlDocument::FindNode(const std::string& nodeName) const {
  for (const auto& node : nodeList) {
    if (SameNameIgnoringCase(node->name, nodeName)) return node.get();
  }
  return nullptr;
}

xmlNode* xmlDocument::RootNode() {
  if (Root == nullptr) Root = NewNode(nullptr, "root");
  return Root;
}

xmlNode* xmlDocument::After(const xmlNode* node) const {
  if (node == nullptr || node->Document != this) return nullptr;
  auto next = std::next(node->listPosition);
  return next == nodeList.end() ? nullptr : next->get();
}

void xmlDocument::Free() {
  // Every node is in the list: destroying them together needs no unlinking one by one.
  Root = nullptr;
  nodeList.clear();
}

void xmlDocument::SaveNode(const xmlNode& node, std::string& out) const {
  const std::string indent(static_cast<std::size_t>(node.Level > 0 ? 2 * node.Level : 0), ' ');
  out += indent;
  out += '<';
  out += node.name;
  for (const xmlAttribute& attribute : node.Attributes) {
    out += ' ';
    out += attribute.name;
    out += "=\"";
    out += xmlEncodeEntities(attribute.value);
    out += '"';
  }
  if (node.ChildCount == 0) {
    if (node.Contents.empty()) {
      out += " />\r\n";
    } else {
      out += '>' + xmlEncodeEntities(node.Contents) + "</" + node.name + ">\r\n";
    }
    return;
  }
  out += ">\r\n";
  if (!node.Contents.empty()) out += indent + "  " + xmlEncodeEntities(node.Contents) + "\r\n";
  for (const xmlNode* child : node.ChildArray) SaveNode(*child, out);
  out += indent + "</" + node.name + ">\r\n";
}

int xmlDocument::Save(const std::string& fileName, int encrypt, std::string* stream, xmlNode* node,
                      int level) {
  // NOTE: the tree is written from the child arrays, not in creation order: a child added to an
  // early node after later nodes exist is written under its parent instead of being lost.
  if (stream != nullptr) {
    if (level == 0) *stream += "<?xml version=\"1.0\"?>\r\n";
    if (const xmlNode* start = node != nullptr ? node : Root) SaveNode(*start, *stream);
    return 1;
  }
  Problems.clear();
  std::string why;
  if (!WriteFileAtomic(fileName, FileBytes(encrypt), &why)) {
    RecordError(WRITE_ERROR + why, 0);
    return 0;
  }
  return 1;
}

std::vector<std::uint8_t> xmlDocument::FileBytes(int encrypt) {
  const int key = Rand(1, XML_CONTAINER_MAX_KEY);
  std::string text = "<?xml version=\"1.0\"?>\r\n";
  if (Root != nullptr) SaveNode(*Root, text);
  if (encrypt != 0) return xmlContainerEncode(text, key);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string xmlTreeDifference(const xmlNode* a, const xmlNode* b) {
  if (a == nullptr || b == nullptr) return a == b ? "" : "one tree is missing";
  const std::string where = "<" + a->name + "> at level " + std::to_string(a->Level);
  if (a->name != b->name) return "name " + a->name + " against " + b->name;
  if (a->AttributeCount() != b->AttributeCount()) return where + ": attribute count differs";
  for (std::size_t i = 0; i < a->Attributes.size(); ++i) {
    if (a->Attributes[i].name != b->Attributes[i].name ||
        a->Attributes[i].value != b->Attributes[i].value) {
      return where + ": attribute " + std::to_string(i + 1) + " differs";
    }
  }
  if (a->Contents != b->Contents) return where + ": contents differ";
  if (a->ChildCount != b->ChildCount) return where + ": child count differs";
  for (int i = 1; i <= a->ChildCount; ++i) {
    std::string difference = xmlTreeDifference(a->GetChild(i), b->GetChild(i));
    if (!difference.empty()) return difference;
  }
  return "";
}
