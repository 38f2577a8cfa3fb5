#pragma once
// The echo round trip of one character through a simulated controller, as a
// bare client sees it: the shortest pause that pacing by the echo can have
// on this machine, whatever program does the typing.

#include <string>

namespace gw20::bench {

// Types `count` characters one at a time into the console on `device` (the
// simulator's pseudo-terminal, at its main prompt), each once the previous
// one has echoed, ending a line every few characters; returns the median
// time from writing a character to reading its echo, in ms. Throws
// std::runtime_error when the device cannot be used or an echo does not come
// within a second.
double MedianEchoRoundTripMs(const std::string& device, int count);

}  // namespace gw20::bench
