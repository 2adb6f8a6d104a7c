// Pieces the XML module's source files share: reading the container's key. The module keeps no
// state of its own beyond its documents: every error list lives in the document it belongs to.
#pragma once

#include <cstdint>
#include <vector>

namespace xml_local {

/// The key word of a container (bytes 4-7, signed; missing bytes read as 0).
std::int64_t ContainerKey(const std::vector<std::uint8_t>& bytes);

}  // namespace xml_local
