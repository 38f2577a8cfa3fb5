#pragma once
// A console on virtual time over a test port of type Port, which is built
// from the bench's time and the constructor's arguments and opened.

#include <utility>

#include "link/console.h"
#include "tests/support/test_services.h"

namespace gw20::testing {

template <class Port>
struct ConsoleBench {
  template <class... Args>
  explicit ConsoleBench(Args&&... args) : port(time, std::forward<Args>(args)...) {
    port.Open();
  }

  VirtualTime time;
  VirtualTicks ticks{time};
  VirtualPump events{time};
  Port port;
  link::ConsoleState state;
  link::Console console{port, events, ticks, state};
};

}  // namespace gw20::testing
