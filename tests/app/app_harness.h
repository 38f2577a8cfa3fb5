#pragma once
// Headless services, state and main window for the application's tests.

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/main_f.h"
#include "platform/ui/services.h"
#include "tests/support/scripted_port.h"
#include "tests/support/test_services.h"

namespace gw20::app {

struct AppHarness {
  // `time` drives the tick counter and the event pump; it and `port` must
  // outlive the harness.
  AppHarness(testing::VirtualTime& virtualTime, ui::SerialPort& port)
      : time(virtualTime), services{messages, forms, events, ticks, clock, folder, port} {}

  // Clicks panel toggle `index` as the operator does (it flips, then its
  // handler runs), making the toggles visible first as a connect would.
  void ClickToggle(int index) {
    form.ComButton[index].SetVisible(true);
    form.ComButton[index].Toggle();
  }

  testing::VirtualTime& time;
  testing::VirtualTicks ticks{time};
  testing::VirtualPump events{time};
  testing::MessageRecorder messages;
  testing::FormRecorder forms;
  testing::FixedClock clock;
  testing::FixedFolder folder;
  ui::Services services;
  AppState state;
  Main_F form{state, services};
};

// A loaded main window on a scripted (silent) port.
class LoadedMainForm : public ::testing::Test {
 protected:
  LoadedMainForm() { h.form.Load(); }
  testing::VirtualTime time;
  testing::ScriptedPort port{time};
  AppHarness h{time, port};
  Main_F& form = h.form;
  link::GatewayParameters& params = h.state.params;
};

}  // namespace gw20::app
