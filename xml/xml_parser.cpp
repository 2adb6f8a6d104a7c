// The XML reader: the document's error list, the character-by-character token reader and Load,
// which builds the tree from tags and text in one pass over the bytes. It goes on after an error
// (only the document's limits stop it); a parse that recorded any error returns no root but keeps
// the nodes it built (the level loader still searches them).
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "media/media.h"
#include "xml/xml_document.h"
#include "xml/xml_local.h"

void xmlDocument::RecordError(const std::string& message, int position) {
  if (xmlErrorCount() == XML_MAX_ERRORS) return;
  Problems.push_back({message, position});
  LogLine("Error at char #" + std::to_string(position) + ":  " + message);
}

int xmlDocument::xmlErrorPosition(int i) const {
  if (i < 1 || i > xmlErrorCount()) return 0;
  return Problems[static_cast<std::size_t>(i - 1)].position;
}

std::string xmlDocument::xmlError(int i) const {
  if (i < 1 || i > xmlErrorCount()) return "";
  return Problems[static_cast<std::size_t>(i - 1)].message;
}

namespace {

constexpr int TOKEN_TAG = 1;
constexpr int TOKEN_TEXT = 2;

using TErrorSink = std::function<void(const std::string&, int)>;

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

/// One tag (without its brackets) or one piece of text, its kind in `kind`; "" at the end of the
/// stream, with `unfinishedTag` set when the stream ended inside a tag.
std::string ReadToken(TCharStream& stream, int& kind, bool& unfinishedTag,
                      const TErrorSink& RecordError) {
  std::string text;
  std::string tag;
  bool insideTag = false;
  while (!stream.AtEnd()) {
    const char c = stream.Read();
    if (!text.empty() && (c == '<' || c == '\r')) {
      kind = TOKEN_TEXT;
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
        kind = TOKEN_TAG;
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
  unfinishedTag = insideTag;
  return "";
}

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

/// Joins a piece of text to an element's contents with one blank. The contents are always kept
/// trimmed, so the piece is appended in place instead of the whole contents being copied.
void AppendText(std::string& contents, const std::string& piece) {
  const std::string trimmed = Trim(piece);
  if (trimmed.empty()) return;
  if (!contents.empty()) contents += ' ';
  contents += trimmed;
}

/// Name and attributes of an opening tag, split as the game's files expect: a blank ends the
/// element name, "=" turns a name into a value, a double quote opens and closes the value.
struct TTagParts {
  std::string elementName;
  std::vector<xmlAttribute> attributes;  ///< attribute k (1-based) is attributes[k - 1]
  int count = 0;                         ///< attributes 1..count were found
};

void SplitTag(const std::string& tag, TTagParts& parts, int position,
              const TErrorSink& RecordError) {
  int n = 0;
  bool inQuotes = false;
  parts.elementName.clear();
  parts.attributes.clear();
  // Attribute k, made when its first character arrives; none beyond the limit.
  auto slot = [&parts](int k) -> xmlAttribute* {
    if (k < 1 || k > XML_MAX_ATTRIBUTES) return nullptr;
    if (parts.attributes.size() < static_cast<std::size_t>(k))
      parts.attributes.resize(static_cast<std::size_t>(k));
    return &parts.attributes[static_cast<std::size_t>(k - 1)];
  };
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
    // What falls beyond the last attribute the limit allows is dropped.
    if (n < 0 && inQuotes) {
      if (xmlAttribute* a = slot(-n)) a->value += c;
    } else if (n > 0 && c != ' ') {
      if (xmlAttribute* a = slot(n)) a->name += c;
    }
  }
  parts.count = n > 0 ? n - 1 : -n - 1;
  if (parts.count > XML_MAX_ATTRIBUTES) parts.count = XML_MAX_ATTRIBUTES;
  if (parts.count < 0) parts.count = 0;
  if (parts.attributes.size() < static_cast<std::size_t>(parts.count))
    parts.attributes.resize(static_cast<std::size_t>(parts.count));
  // "<a/>": without a blank the slash would end up in the name.
  if (n == 0 && parts.elementName.size() > 1 && parts.elementName.back() == '/')
    parts.elementName.pop_back();
}

std::string SecondsText(double seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", seconds);
  std::string text = buffer;
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

/// The bytes of an embedded asset or a file, at most `limit` of them read from a file: a larger
/// file (or an endless one) sets `tooLarge` instead. Null with `why` when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadBounded(const std::string& url, std::size_t limit,
                                                     bool& tooLarge, std::string& why) {
  tooLarge = false;
  if (IsEmbeddedAsset(url)) return ReadAssetOrFile(url);
  std::FILE* file = url.empty() ? nullptr : std::fopen(url.c_str(), "rb");
  if (file == nullptr) {
    why = errno == ENOENT || url.empty() ? "File does not exist." : std::strerror(errno);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  // The container's 8-byte header does not count against the limit.
  const std::size_t most = limit + 8;
  while (true) {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (bytes.size() > most) {
      tooLarge = true;
      break;
    }
    if (got < sizeof buffer) break;
  }
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) {
    why = std::strerror(error);
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

xmlNode* xmlDocument::Load(const std::string& url) {
  const auto started = std::chrono::steady_clock::now();
  LogLine("Loading XML file: " + url);
  Problems.clear();
  bool tooLarge = false;
  std::string why;
  const auto bytes = ReadBounded(url, Limit.maxBytes, tooLarge, why);
  if (!bytes) {
    RecordError("Error opening XML file: " + why, 0);
    return nullptr;
  }
  if (tooLarge) {
    if (Root != nullptr) FreeNode(Root, 0);
    RecordError("File too large (more than " + std::to_string(Limit.maxBytes) + " bytes); not read",
                0);
    LogLine("Parse failed");
    return nullptr;
  }
  return Parse(*bytes, started);
}

xmlNode* xmlDocument::LoadBytes(const std::vector<std::uint8_t>& bytes, const std::string& url) {
  const auto started = std::chrono::steady_clock::now();
  LogLine("Loading XML file: " + url);
  Problems.clear();
  return Parse(bytes, started);
}

xmlNode* xmlDocument::Parse(const std::vector<std::uint8_t>& bytes,
                            std::chrono::steady_clock::time_point started) {
  const TErrorSink RecordError = [this](const std::string& message, int position) {
    this->RecordError(message, position);
  };
  Free();
  const std::size_t header = xmlIsContainer(bytes) ? std::min<std::size_t>(bytes.size(), 8) : 0;
  if (bytes.size() - header > Limit.maxBytes) {
    RecordError("File too large (" + std::to_string(bytes.size() - header) + " bytes, more than " +
                    std::to_string(Limit.maxBytes) + "); not read",
                0);
    LogLine("Parse failed");
    return nullptr;
  }
  TCharStream stream;
  if (header != 0) {
    LogLine("(Encrypted)");
    stream.chars = xmlContainerDecode(bytes);
    stream.offset = header;
  } else {
    LogLine("(Not encrypted)");
    stream.chars.assign(bytes.begin(), bytes.end());
  }

  std::vector<xmlNode*> open(static_cast<std::size_t>(XML_MAX_DEPTH) + 1, nullptr);
  int depth = 0;
  int tooDeep = 0;  // open elements beyond the limit, skipped
  std::size_t nodes = 0;
  int kind = TOKEN_TAG;
  bool unfinishedTag = false;
  TTagParts parts;
  while (!stream.AtEnd()) {
    const std::string token = ReadToken(stream, kind, unfinishedTag, RecordError);
    if (token.empty()) continue;
    if (kind == TOKEN_TEXT) {
      if (depth == 0 || tooDeep > 0) continue;  // text outside every element has no owner
      AppendText(open[static_cast<std::size_t>(depth - 1)]->Contents, token);
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
        std::string message = "Unclosed tag (found <";
        message.append(token).append(">, expected </").append(expected).append(">");
        RecordError(message, stream.Position());
      }
      continue;
    }
    const bool selfClosing = token.back() == '/';
    if (tooDeep > 0 || (depth == XML_MAX_DEPTH && !selfClosing)) {
      if (tooDeep == 0) {
        RecordError(
            "Elements nested too deeply (more than " + std::to_string(XML_MAX_DEPTH) + " levels)",
            stream.Position());
      }
      if (!selfClosing) ++tooDeep;
      continue;
    }
    // The root of a second top-level element is the same node, so it is not counted again.
    if (depth != 0 || Root == nullptr) {
      if (++nodes > Limit.maxNodes) {
        RecordError(
            "More than " + std::to_string(Limit.maxNodes) + " elements; the rest is not read",
            stream.Position());
        depth = 0;
        break;
      }
    }
    xmlNode* node =
        depth == 0 ? RootNode() : open[static_cast<std::size_t>(depth - 1)]->AddChild("NewNode");
    SplitTag(token, parts, stream.Position(), RecordError);
    for (int i = 0; i < parts.count; ++i) {
      const xmlAttribute& a = parts.attributes[static_cast<std::size_t>(i)];
      // Values are decoded so that what the writer encodes comes back unchanged.
      node->AttributeValueSet(a.name, xmlDecodeEntities(a.value));
    }
    node->NameSet(parts.elementName);
    open[static_cast<std::size_t>(depth)] = node;
    if (!selfClosing) ++depth;
  }
  // A file cut short ends inside a tag or with elements still open.
  if (unfinishedTag) {
    RecordError("Unexpected end of file inside a tag", stream.Position());
  } else if (depth > 0) {
    RecordError("Unexpected end of file (expected </" +
                    open[static_cast<std::size_t>(depth - 1)]->name + ">)",
                stream.Position());
  }

  if (xmlErrorCount() != 0) {
    LogLine("Parse failed");
    return nullptr;
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  LogLine("Parse completed in " + SecondsText(static_cast<double>(elapsed.count()) / 1000.0) +
          " seconds.");
  return Root;
}
