// Opening web addresses and the window frame's minimise box.
#include "state/shell.h"

#include <cctype>
#include <filesystem>

#include "media/media.h"

namespace {

/// "scheme:" at the start: letters, digits, "+", "-" or "." after a first letter.
bool HasScheme(const std::string& address) {
  const auto colon = address.find(':');
  if (colon == std::string::npos || colon < 2) return false;  // "C:" would be a drive, not a scheme
  if (!std::isalpha(static_cast<unsigned char>(address[0]))) return false;
  for (std::size_t i = 1; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(address[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

}  // namespace

std::string WebAddressFor(const std::string& address) {
  if (HasScheme(address)) return address;
  const auto hash = address.find('#');
  const std::string path = address.substr(0, hash);
  const std::string anchor = hash == std::string::npos ? "" : address.substr(hash);
  std::error_code ec;
  if (!path.empty() && std::filesystem::is_regular_file(path, ec)) {
    return "file://" + std::filesystem::absolute(path, ec).string() + anchor;
  }
  return "http://" + address;
}

bool OpenWebAddress(const std::string& address) { return OpenURL(WebAddressFor(address)); }

void EnableMinimizeBox() {}
