// Character-level pieces of the XML module: entity encoding and decoding, the byte-shift
// container, and the text-to-number conversions the game's attributes are read with.
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "xml/xml_document.h"
#include "xml/xml_local.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// Leading blanks and control characters are skipped by both number conversions.
std::size_t SkipBlanks(const std::string& text, std::size_t i) {
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  return i;
}

}  // namespace

std::string xmlEncodeEntities(const std::string& text) {
  static constexpr char HEX[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '<': out += "&lt"; break;
      case '>': out += "&gt"; break;
      case '"': out += "&quot"; break;
      case '\'': out += "&apos"; break;
      case '&': out += "&amp"; break;
      default:
        if (c < 32 || c >= 127) {
          out += "&#";
          out += HEX[c >> 4];
          out += HEX[c & 15];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string xmlDecodeEntities(const std::string& text) {
  if (text.find('&') == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  std::size_t i = 0;
  auto follows = [&](const char* word, std::size_t length) {
    return text.compare(i, length, word) == 0;
  };
  while (i < n) {
    const char c = text[i++];
    if (c != '&') {
      out += c;
      continue;
    }
    // NOTE: entities have no ";" and are recognised by their length alone, so "&lt;" is "<;".
    if (i + 3 <= n && text[i] == '#') {
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
    } else if (follows("lt", 2) || follows("gt", 2)) {
      out += text[i] == 'l' ? '<' : '>';
      i += 2;
      continue;
    } else if (follows("amp", 3)) {
      out += '&';
      i += 3;
      continue;
    } else if (follows("quot", 4) || follows("apos", 4)) {
      out += text[i] == 'q' ? '"' : '\'';
      i += 4;
      continue;
    }
    // An unknown entity swallows the rest of the text, which is kept as written.
    out.append(text, i, std::string::npos);
    break;
  }
  return out;
}

std::uint8_t xmlContainerEncodeByte(std::uint8_t c, int key) {
  int shifted = c + key;
  if (shifted > 255) shifted -= 255;  // 255, not 256: the format has always wrapped this way
  return static_cast<std::uint8_t>(shifted);
}

std::uint8_t xmlContainerDecodeByte(std::uint8_t b, std::int64_t key) {
  std::int64_t c = static_cast<std::int64_t>(b) - key;
  if (c < 0) c += 255;
  // A forged key can push c out of the byte range; keep the low byte as the reader always did.
  return static_cast<std::uint8_t>(c & 0xFF);
}

std::int64_t xml_local::ContainerKey(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < 4 && 4 + i < bytes.size(); ++i)
    key |= static_cast<std::uint32_t>(bytes[4 + i]) << (8 * i);
  return static_cast<std::int32_t>(key);
}

bool xmlIsContainer(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 4) return false;
  const std::uint32_t word =
      bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  return word == static_cast<std::uint32_t>(XML_CONTAINER_MARKER);
}

std::string xmlContainerDecode(const std::vector<std::uint8_t>& bytes) {
  if (!xmlIsContainer(bytes)) return std::string(bytes.begin(), bytes.end());
  const std::int64_t key = xml_local::ContainerKey(bytes);
  std::string plain;
  plain.reserve(bytes.size());
  for (std::size_t i = 8; i < bytes.size(); ++i)
    plain += static_cast<char>(xmlContainerDecodeByte(bytes[i], key));
  return plain;
}

std::vector<std::uint8_t> xmlContainerEncode(const std::string& plain, int key) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(plain.size() + 8);
  for (const std::uint32_t word :
       {static_cast<std::uint32_t>(XML_CONTAINER_MARKER), static_cast<std::uint32_t>(key)}) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
  }
  for (const char c : plain)
    bytes.push_back(xmlContainerEncodeByte(static_cast<std::uint8_t>(c), key));
  return bytes;
}

int xmlTextToInt(const std::string& text) {
  std::size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  constexpr long long LIMIT = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > LIMIT) value = LIMIT;  // saturate instead of overflowing
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

float xmlTextToFloat(const std::string& text) {
  // Take the longest leading "[sign] digits [. digits] [e [sign] digits]" and convert only that,
  // so "inf", "nan" and hexadecimal forms read as 0 like any other non-number.
  std::size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0f;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  // strtod saturates to HUGE_VAL and underflows to 0 as the runtime does; the text it sees has
  // already been checked, so the locale's decimal point is the only thing it decides.
  const std::string number(text, start, i - start);
  double value = std::strtod(number.c_str(), nullptr);
  if (value > std::numeric_limits<float>::max()) value = std::numeric_limits<double>::infinity();
  return static_cast<float>(negative ? -value : value);
}

std::string xmlFloatToText(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%#.9g", static_cast<double>(value));
  return buffer;
}
