#pragma once
// gw20cli batch: its ports looked at before the first apply starts, so that a
// line is refused whole rather than left with some controllers written and
// others not for a port that was never usable.

#include <string>
#include <vector>

#include "platform/ui/console_address.h"

namespace gw20::cli {

// One line per unusable port of `ports` (as CliOptions::ports holds them:
// "COMn" or an absolute device path), in the order given: a device that does
// not exist, one that cannot be opened or that another program holds (each
// is opened and released at once, as a connect opens it, unless `open` is
// false), and a device named a second time under another name (a link and
// its target). A network address is left to its connect. Empty: every port
// is usable.
std::vector<std::string> UnusablePorts(const std::vector<std::string>& ports, bool open,
                                       const ui::VariableLookup& lookup);

}  // namespace gw20::cli
