// The small XML module of the game: a document owns a tree of nodes; Load reads elements,
// attributes, text, comments and <?...?> declarations (with five semicolon-less entities), and
// Save writes the tree back, optionally inside the byte-shift container that keeps the progress
// file from being edited casually. Parse and write errors go to the document's own error list
// instead of aborting; a parse reads every byte once and stops at the document's size limits.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class xmlDocument;

/// Attributes a node can hold; further ones are dropped.
constexpr int XML_MAX_ATTRIBUTES = 31;
/// Errors a document's list keeps; later ones are dropped.
constexpr int XML_MAX_ERRORS = 63;
/// Elements that may be open at once while parsing; deeper nesting fails the parse.
constexpr int XML_MAX_DEPTH = 1024;
/// First 32-bit little-endian word of a file in the byte-shift container; the key follows.
constexpr std::int32_t XML_CONTAINER_MARKER = 3267913;
/// The container's key is drawn from 1 to this (inclusive) for every file written.
constexpr int XML_CONTAINER_MAX_KEY = 300;
/// Default limits of a parse: larger files are refused unread, and a parse stops (with an
/// error) at the element beyond the node limit. A node costs about 200 bytes plus what it holds.
constexpr std::size_t XML_DEFAULT_MAX_BYTES = 16u << 20;
constexpr std::size_t XML_DEFAULT_MAX_NODES = 200000;

/// The most a document reads: file bytes (after the container's header) and elements.
struct xmlLimits {
  std::size_t maxBytes = XML_DEFAULT_MAX_BYTES;
  std::size_t maxNodes = XML_DEFAULT_MAX_NODES;
};

/// One attribute of a node.
struct xmlAttribute {
  std::string name;
  std::string value;
};

/// One error of a parse or a write: its message and the file byte it was found at (0 for a file
/// that could not be opened or written).
struct xmlProblem {
  std::string message;
  int position = 0;
};

/// One element. Nodes are created and owned by their document (RootNode, AddChild, Load) and
/// live until freed or until the document frees its tree; pointers to them are non-owning.
/// The fields are the element's data model and are public for reading; change them through
/// the methods, which keep parent, child array and document list consistent.
class xmlNode {
 public:
  ~xmlNode();
  xmlNode(const xmlNode&) = delete;
  xmlNode& operator=(const xmlNode&) = delete;

  std::string name;
  /// In the order they were first set; at most XML_MAX_ATTRIBUTES.
  std::vector<xmlAttribute> Attributes;
  std::string Contents;
  xmlNode* Parent = nullptr;
  int Level = 0;  ///< depth: root 0
  xmlDocument* Document = nullptr;
  int ChildCount = 0;
  std::vector<xmlNode*> ChildArray;  ///< child k (1-based) is ChildArray[k - 1]
  int ChildIndex = 0;                ///< 1-based position in the parent's ChildArray

  /// New last child named `name`, appended to the document's node list.
  xmlNode* AddChild(const std::string& name);
  /// Frees the children, then this node: it leaves its parent (the last sibling moves into its
  /// place) and the document. `index` is its position in the parent, 0 to look it up. The node
  /// is destroyed: the pointer must not be used afterwards.
  void Free(int index = 0);
  /// First child whose name equals `name` ignoring ASCII case; with `recursive`, a child's
  /// subtree is searched before its next sibling. Null when none matches.
  xmlNode* FindChild(const std::string& name, int recursive = 0) const;

  int GetLevel() const { return Level; }
  xmlNode* GetParent() const { return Parent; }
  int GetChildCount() const { return ChildCount; }
  int GetChildIndex() const { return ChildIndex; }
  bool HasChildren() const { return ChildCount != 0; }
  /// Child `index` (1-based). Throws std::out_of_range("xmlNode child index out of range.")
  /// outside 1..ChildCount.
  xmlNode* GetChild(int index) const;
  xmlNode* GetFirstChild() const;
  xmlNode* GetNextSibling() const;
  xmlNode* GetPrevSibling() const;

  void NameSet(const std::string& newName) { name = newName; }
  const std::string& NameGet() const { return name; }

  int AttributeCount() const { return static_cast<int>(Attributes.size()); }
  /// The attribute named exactly `attributeName`, null when absent.
  xmlAttribute* FindAttribute(const std::string& attributeName);
  const xmlAttribute* FindAttribute(const std::string& attributeName) const;
  /// Exact, case-sensitive name; a new name is appended (dropped once 31 are in use).
  void AttributeValueSet(const std::string& attributeName, const std::string& value);
  void AttributeValueSetS(const std::string& attributeName, const std::string& value) {
    AttributeValueSet(attributeName, value);
  }
  void AttributeValueSetF(const std::string& attributeName, float value);
  void AttributeValueSetI(const std::string& attributeName, int value);
  /// "" when absent (exact, case-sensitive lookup).
  std::string AttributeValueGet(const std::string& attributeName) const;
  std::string AttributeValueGetS(const std::string& attributeName) const {
    return AttributeValueGet(attributeName);
  }
  /// 0 when absent or not a number.
  float AttributeValueGetF(const std::string& attributeName) const;
  int AttributeValueGetI(const std::string& attributeName) const;
  void AttributeNameSet(const std::string& oldName, const std::string& newName);
  /// The last attribute moves into the deleted one's place.
  void AttributeDelete(const std::string& attributeName);

  void DataSet(const std::string& text) { Contents = text; }
  void DataSetS(const std::string& text) { Contents = text; }
  void DataSetF(float value);
  void DataSetI(int value);
  const std::string& DataGet() const { return Contents; }
  const std::string& DataGetS() const { return Contents; }
  float DataGetF() const;
  int DataGetI() const;

 private:
  friend class xmlDocument;
  xmlNode() = default;

  std::list<std::unique_ptr<xmlNode>>::iterator listPosition;
};

/// A tree of xmlNode objects plus the list of all of them in creation order.
class xmlDocument {
 public:
  xmlDocument() = default;
  ~xmlDocument();
  xmlDocument(const xmlDocument&) = delete;
  xmlDocument& operator=(const xmlDocument&) = delete;

  /// First node in creation order whose name equals `name` ignoring ASCII case.
  xmlNode* FindNode(const std::string& name) const;
  /// The root, created (named "root") when there is none.
  xmlNode* RootNode();
  /// The root or null; never creates one.
  xmlNode* GetRoot() const { return Root; }
  /// Writes the header line and the tree (from `node`, the root when null) as text with CR LF
  /// line ends. With `stream` the text is appended to it and no file is touched; otherwise the
  /// file is replaced atomically (WriteFileAtomic), inside the container when `encrypt` is
  /// non-zero, with a fresh key from Rand. Returns 1, or 0 after recording the write error as the
  /// only one in the list (the old file stays intact).
  int Save(const std::string& fileName, int encrypt = 0, std::string* stream = nullptr,
           xmlNode* node = nullptr, int level = 0);
  /// The bytes Save would write to a file: the whole tree, inside the container when `encrypt`
  /// is non-zero. Draws one key from Rand, as every Save to a file does.
  std::vector<std::uint8_t> FileBytes(int encrypt);
  /// The node created after `node` (null at the end, for null, or for a node of another document).
  xmlNode* After(const xmlNode* node) const;
  /// Parses the embedded asset or file `url` into this document (the old tree is freed first).
  /// Returns the root, or null when the file cannot be read or any error was recorded; the nodes
  /// built before the errors stay in the document. A file larger than the limit is not read.
  xmlNode* Load(const std::string& url);
  /// Load from bytes already in memory; `url` only names them in the log.
  xmlNode* LoadBytes(const std::vector<std::uint8_t>& bytes, const std::string& url = "");
  /// Frees the whole tree and every node of the document.
  void Free();

  /// Limits of the next Load (XML_DEFAULT_MAX_BYTES and XML_DEFAULT_MAX_NODES until set).
  void SetLimits(const xmlLimits& limits) { Limit = limits; }
  const xmlLimits& Limits() const { return Limit; }

  /// Errors recorded since the last Load or Save of this document began.
  int xmlErrorCount() const { return static_cast<int>(Problems.size()); }
  /// Stream position of error i (1-based); 0 outside 1..xmlErrorCount().
  int xmlErrorPosition(int i) const;
  /// Message of error i (1-based); "" outside 1..xmlErrorCount().
  std::string xmlError(int i) const;

 private:
  friend class xmlNode;
  xmlNode* Parse(const std::vector<std::uint8_t>& bytes,
                 std::chrono::steady_clock::time_point started);
  /// Appends an error (dropped beyond XML_MAX_ERRORS) and logs it.
  void RecordError(const std::string& message, int position);
  xmlNode* NewNode(xmlNode* parent, const std::string& name);
  void FreeNode(xmlNode* node, int index);
  void SaveNode(const xmlNode& node, std::string& out) const;

  std::list<std::unique_ptr<xmlNode>> nodeList;
  xmlNode* Root = nullptr;
  xmlLimits Limit;
  std::vector<xmlProblem> Problems;
};

/// Entity encoding of the writer: < > " ' & as &lt &gt &quot &apos &amp, bytes below 32 and from
/// 127 as "&#" and two upper-case hexadecimal digits.
std::string xmlEncodeEntities(const std::string& text);
/// The reader's decoding of the above (entities carry no ";"; an unknown one is kept as written,
/// without its "&", together with the rest of the text).
std::string xmlDecodeEntities(const std::string& text);

/// True when the bytes start with the container marker.
bool xmlIsContainer(const std::vector<std::uint8_t>& bytes);
/// The plain bytes of a container (anything else is returned as it is).
std::string xmlContainerDecode(const std::vector<std::uint8_t>& bytes);
/// Marker, key and every character shifted by the key (1 to XML_CONTAINER_MAX_KEY).
std::vector<std::uint8_t> xmlContainerEncode(const std::string& plain, int key);
/// One character through the container's shift, and back.
std::uint8_t xmlContainerEncodeByte(std::uint8_t c, int key);
std::uint8_t xmlContainerDecodeByte(std::uint8_t b, std::int64_t key);

/// "" when the two subtrees hold the same names, attributes (in order), contents and children;
/// otherwise a short description of the first difference (used by round-trip checks).
std::string xmlTreeDifference(const xmlNode* a, const xmlNode* b);

/// The runtime's text-to-number conversions: a leading number is read, anything else gives 0.
int xmlTextToInt(const std::string& text);
float xmlTextToFloat(const std::string& text);
/// Float as text in the form the module stores ("%#.9g").
std::string xmlFloatToText(float value);
