// Number labels cut to a few decimals, as the physics debug renderer writes vertex coordinates.
#pragma once

#include <string>

/// `text` up to and including n - 1 characters after its first "."; unchanged when it has no "."
/// or is too short. TrimDecimals("12.3456", 2) is "12.3".
std::string TrimDecimals(const std::string& text, int n);

/// The float-to-text form of the labels: fixed notation, six decimals ("12.345600", "-4.500000").
std::string FloatText(float value);
