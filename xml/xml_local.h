// State the XML module keeps once per program, shared by its source files: the error list,
// the kind of the last token read and the container key of the last file read or written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xml_local {

constexpr int TOKEN_TAG = 1;
constexpr int TOKEN_TEXT = 2;

/// Appends an error (dropped beyond XML_MAX_ERRORS) and logs it.
void RecordError(const std::string& message, int position);
void ClearErrors();

/// The key word of a container (bytes 4-7, signed; missing bytes read as 0).
std::int64_t ContainerKey(const std::vector<std::uint8_t>& bytes);

extern int tokenKind;
extern std::int64_t containerKey;

}  // namespace xml_local
