// The XML reader: the module-wide error list, the character-by-character token reader and Load,
// which builds the tree from tags and text. It never stops at an error; a parse that recorded
// any error returns no root but keeps the nodes it built (the level loader still searches them).
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "media/media.h"
#include "xml/xml_document.h"
#include "xml/xml_local.h"

namespace xml_local {

int tokenKind = TOKEN_TAG;
std::int64_t containerKey = 0;

namespace {
std::array<std::string, XML_MAX_ERRORS + 1> errorMessage;
std::array<int, XML_MAX_ERRORS + 1> errorPosition{};
int errorCount = 0;
}  // namespace

void RecordError(const std::string& message, int position) {
  if (errorCount == XML_MAX_ERRORS) return;
  ++errorCount;
  errorMessage[static_cast<std::size_t>(errorCount)] = message;
  errorPosition[static_cast<std::size_t>(errorCount)] = position;
  LogLine("Error at char #" + std::to_string(position) + ":  " + message);
}

void ClearErrors() {
  for (int i = 1; i <= errorCount; ++i) errorMessage[static_cast<std::size_t>(i)].clear();
  errorCount = 0;
}

}  // namespace xml_local

int xmlDocument::xmlErrorCount() { return xml_local::errorCount; }

int xmlDocument::xmlErrorPosition(int i) {
  if (i < 1 || i > xml_local::errorCount) return 0;
  return xml_local::errorPosition[static_cast<std::size_t>(i)];
}

std::string xmlDocument::xmlError(int i) {
  if (i < 1 || i > xml_local::errorCount) return "";
  return xml_local::errorMessage[static_cast<std::size_t>(i)];
}

namespace {

using xml_local::RecordError;

/// The decoded characters of a file and the read position, which counts file bytes (so error
/// positions in a container include its 8-byte header).
struct TCharStream {
  std::string chars;
  std::size_t offset = 0;  ///< file bytes before chars[0]
  std::size_t next = 0;

  bool AtEnd() const { return next >= chars.size(); }
  char Read() { return chars[next++]; }
  void StepBack() { --next; }
  int Position() const { return static_cast<int>(offset + next); }
};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool EndsWith(const std::string& text, const char* suffix) {
  const std::size_t n = std::char_traits<char>::length(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

/// One tag (without its brackets) or one piece of text; "" at the end of the stream.
std::string ReadToken(TCharStream& stream) {
  std::string text;
  std::string tag;
  bool insideTag = false;
  while (!stream.AtEnd()) {
    const char c = stream.Read();
    if (!text.empty() && (c == '<' || c == '\r')) {
      xml_local::tokenKind = xml_local::TOKEN_TEXT;
      stream.StepBack();
      return xmlDecodeEntities(text);
    }
    // Characters inside tags enter the text too; closing the tag empties it again.
    if (c != '\r' && c != '\n' && c != 15) text += c;
    if (c == '<') {
      if (insideTag) RecordError("Expecting closing bracket (>)", stream.Position());
      insideTag = true;
    }
    if (c == '>') {
      text.clear();
      if (!insideTag) RecordError("Expecting opening bracket (<)", stream.Position());
      insideTag = false;
      if (!StartsWith(tag, "<!--") && !StartsWith(tag, "<?")) {
        xml_local::tokenKind = xml_local::TOKEN_TAG;
        return tag.empty() ? tag : tag.substr(1);
      }
      // NOTE: a comment ends at its first ">", wherever its "--" is.
      if (StartsWith(tag, "<!--") && !EndsWith(tag, "--")) {
        RecordError("Expecting correct comment closure (-->)", stream.Position());
      }
      if (StartsWith(tag, "<?") && !EndsWith(tag, "?")) {
        RecordError("Expecting correct header closure (?>)", stream.Position());
      }
      tag.clear();
      continue;
    }
    if (insideTag) tag += c;
  }
  return "";
}

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

/// Name and attributes of an opening tag, split as the game's files expect: a blank ends the
/// element name, "=" turns a name into a value, a double quote opens and closes the value.
struct TTagParts {
  std::string elementName;
  std::array<std::string, XML_MAX_ATTRIBUTES + 1> names;
  std::array<std::string, XML_MAX_ATTRIBUTES + 1> values;
  int count = 0;  ///< attributes 1..count were found
};

void SplitTag(const std::string& tag, TTagParts& parts, int position) {
  int n = 0;
  bool inQuotes = false;
  auto slot = [](int k) { return k >= 1 && k <= XML_MAX_ATTRIBUTES ? static_cast<std::size_t>(k) : 0; };
  for (const char c : tag) {
    if (n == 0) {
      if (c == ' ') {
        n = 1;
      } else {
        parts.elementName += c;
      }
      continue;
    }
    if (c == '=' && !inQuotes) {
      n = -n;
      continue;
    }
    if (c == '"') {
      if (n > 0) RecordError("Expecting equals symbol", position);
      inQuotes = !inQuotes;
      if (!inQuotes) n = (n < 0 ? -n : n) + 1;
      continue;
    }
    // Slot 0 collects what falls beyond the last attribute and is never used.
    if (n < 0 && inQuotes) {
      if (const std::size_t s = slot(-n)) parts.values[s] += c;
    } else if (n > 0 && c != ' ') {
      if (const std::size_t s = slot(n)) parts.names[s] += c;
    }
  }
  parts.count = n > 0 ? n - 1 : -n - 1;
  if (parts.count > XML_MAX_ATTRIBUTES) parts.count = XML_MAX_ATTRIBUTES;
  // "<a/>": without a blank the slash would end up in the name.
  if (n == 0 && parts.elementName.size() > 1 && parts.elementName.back() == '/') parts.elementName.pop_back();
}

std::string SecondsText(double seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", seconds);
  std::string text = buffer;
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

}  // namespace

xmlNode* xmlDocument::Load(const std::string& url) {
  const auto started = std::chrono::steady_clock::now();
  LogLine("Loading XML file: " + url);
  xml_local::ClearErrors();
  const auto bytes = ReadAssetOrFile(url);
  if (!bytes) {
    std::error_code ec;
    if (!url.empty() && std::filesystem::exists(url, ec)) {
      RecordError("Error opening XML file: File is already in use by another program.", 0);
    } else {
      RecordError("Error opening XML file: File does not exist.", 0);
    }
    return nullptr;
  }
  return Parse(*bytes, started);
}

xmlNode* xmlDocument::LoadBytes(const std::vector<std::uint8_t>& bytes, const std::string& url) {
  const auto started = std::chrono::steady_clock::now();
  LogLine("Loading XML file: " + url);
  xml_local::ClearErrors();
  return Parse(bytes, started);
}

xmlNode* xmlDocument::Parse(const std::vector<std::uint8_t>& bytes, std::chrono::steady_clock::time_point started) {
  TCharStream stream;
  if (xmlIsContainer(bytes)) {
    xml_local::containerKey = xml_local::ContainerKey(bytes);
    LogLine("(Encrypted)");
    stream.chars = xmlContainerDecode(bytes);
    stream.offset = bytes.size() < 8 ? bytes.size() : 8;
  } else {
    LogLine("(Not encrypted)");
    stream.chars.assign(bytes.begin(), bytes.end());
  }
  if (Root != nullptr) FreeNode(Root, 0);

  std::vector<xmlNode*> open(static_cast<std::size_t>(XML_MAX_DEPTH) + 1, nullptr);
  int depth = 0;
  int tooDeep = 0;  // open elements beyond the limit, skipped
  TTagParts parts;
  while (!stream.AtEnd()) {
    const std::string token = ReadToken(stream);
    if (token.empty()) continue;
    if (xml_local::tokenKind == xml_local::TOKEN_TEXT) {
      if (depth == 0 || tooDeep > 0) continue;  // text outside every element has no owner
      xmlNode* owner = open[static_cast<std::size_t>(depth - 1)];
      owner->Contents = Trim(Trim(owner->Contents) + " " + Trim(token));
      continue;
    }
    if (token[0] == '/') {
      if (tooDeep > 0) {
        --tooDeep;
        continue;
      }
      if (depth == 0) {
        RecordError("Unexpected closing tag (" + token + ")", stream.Position());
        continue;
      }
      --depth;
      const std::string& expected = open[static_cast<std::size_t>(depth)]->name;
      if (token.compare(1, std::string::npos, expected) != 0) {
        RecordError("Unclosed tag (found <" + token + ">, expected </" + expected + ">", stream.Position());
      }
      continue;
    }
    const bool selfClosing = token.back() == '/';
    if (tooDeep > 0 || (depth == XML_MAX_DEPTH && !selfClosing)) {
      if (tooDeep == 0) {
        RecordError("Elements nested too deeply (more than " + std::to_string(XML_MAX_DEPTH) + " levels)",
                    stream.Position());
      }
      if (!selfClosing) ++tooDeep;
      continue;
    }
    xmlNode* node = depth == 0 ? RootNode() : open[static_cast<std::size_t>(depth - 1)]->AddChild("NewNode");
    parts.elementName.clear();
    for (int i = 0; i <= XML_MAX_ATTRIBUTES; ++i) {
      parts.names[static_cast<std::size_t>(i)].clear();
      parts.values[static_cast<std::size_t>(i)].clear();
    }
    SplitTag(token, parts, stream.Position());
    for (int i = 1; i <= parts.count; ++i) {
      const auto s = static_cast<std::size_t>(i);
      // Values are decoded so that what the writer encodes comes back unchanged.
      node->AttributeValueSet(parts.names[s], xmlDecodeEntities(parts.values[s]));
    }
    node->NameSet(parts.elementName);
    open[static_cast<std::size_t>(depth)] = node;
    if (!selfClosing) ++depth;
  }

  if (xml_local::errorCount != 0) {
    LogLine("Parse failed");
    return nullptr;
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  LogLine("Parse completed in " + SecondsText(static_cast<double>(elapsed.count()) / 1000.0) + " seconds.");
  return Root;
}
