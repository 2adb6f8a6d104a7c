// Small services of the application shell that the screens call: opening a web address in the
// user's browser and the window frame's minimise box.
#pragma once

#include <string>

/// Opens a web address or a local file in the user's browser. An address without a scheme that
/// names an existing file becomes a file: address (an anchor after "#" is kept), any other
/// becomes an http:// address. Returns false when the system could not open it.
bool OpenWebAddress(const std::string& address);
/// The address OpenWebAddress hands to the system.
std::string WebAddressFor(const std::string& address);

/// Adds the minimise box to the window frame. Desktop window managers here already offer it.
void EnableMinimizeBox();
