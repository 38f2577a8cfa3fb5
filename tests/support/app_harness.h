#pragma once
// Headless services, state and main window for the application's tests, and
// a configuration page opened on them without a controller.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "app/app_state.h"
#include "app/main_f.h"
#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "platform/ui/services.h"
#include "tests/support/scripted_port.h"
#include "tests/support/test_services.h"

namespace gw20::app {

struct AppHarness {
  // `time` drives the tick counter and the event pump; it and `port` must
  // outlive the harness.
  AppHarness(testing::VirtualTime& virtualTime, ui::SerialPort& port)
      : time(virtualTime), services{messages, forms, events, ticks, clock, folder, port, files} {}

  // Clicks panel toggle `index` as the operator does (it flips, then its
  // handler runs), making the toggles visible first as a connect would.
  void ClickToggle(int index) {
    form.ComButton[index].SetVisible(true);
    form.ComButton[index].Toggle();
  }
  // The message boxes shown so far, as "title|text".
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const auto& m : messages.Messages()) shown.push_back(m.title + "|" + m.text);
    return shown;
  }

  testing::VirtualTime& time;
  testing::VirtualTicks ticks{time};
  testing::VirtualPump events{time};
  testing::MessageRecorder messages;
  testing::FormRecorder forms;
  testing::FixedClock clock;
  testing::FixedFolder folder;
  testing::ScriptedFileDialogs files;
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

// A configuration page (canopen::COPEDS_F or devicenet::DNSEdsSet) on the
// harness's state, as the main window opens it for COM3; Back shows the
// main window by counting in `mainShown`.
template <class Page>
struct PageBench {
  Page& Open() {
    pages::MainWindowLink link{status, port, 3, [this] { ++mainShown; }};
    const auto pageState = [this] {
      if constexpr (std::is_same_v<Page, canopen::COPEDS_F>) {
        return CanopenPageStateOf(h.state);
      } else {
        return DeviceNetPageStateOf(h.state);
      }
    }();
    page = std::make_unique<Page>(pageState, h.services, std::move(link));
    page->Show(false);
    return *page;
  }

  testing::VirtualTime time;
  testing::ScriptedPort port{time};
  AppHarness h{time, port};
  ui::TextBox status;
  int mainShown = 0;
  std::unique_ptr<Page> page;
};

}  // namespace gw20::app
