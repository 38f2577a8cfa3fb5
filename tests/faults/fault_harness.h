#pragma once
// What the fault tests share: a main window on the in-process controller
// whose cable can be pulled once a number of command lines reached it, and a
// road's page opened with the DeviceNet connections chosen.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "pages/commit_messages.h"
#include "tests/support/connect_harness.h"

namespace gw20::testing {

inline constexpr std::array<Road, 3> kRoads{Road{}, Road{Profile::Canopen}, Road{Profile::DeviceNet}};

// Whether any of the texts shown holds `text`.
inline bool Said(const std::vector<std::string>& shown, std::string_view text) {
  return std::ranges::any_of(shown,
                             [text](const std::string& s) { return s.find(text) != std::string::npos; });
}

struct FaultHarness : ConnectHarness {
  explicit FaultHarness(sim::ControllerOptions options = TwoModules(), bool keepBuffer = false)
      : ConnectHarness(std::move(options), keepBuffer) {
    time.OnAdvance([this](std::chrono::milliseconds) {
      if (cutAt && static_cast<int>(controller.Transcript().size()) >= *cutAt) port.SetConnected(false);
    });
  }

  // The open DeviceNet page produces on Poll and consumes on `output`.
  void ChooseConnections(int output = devicenet::kPoll) {
    auto& page = *h.form.DeviceNetPage();
    page.InpPut[devicenet::kPoll].Pick(1);
    page.OutPut[output].Pick(1);
  }
  // A road's page open, the connections chosen; for a connect, a controller
  // configured by a DeviceNet commit and the main window shown again.
  void Prepare(Road road, int output = devicenet::kPoll) {
    OpenPage(road.value_or(Profile::DeviceNet));
    if (road.value_or(Profile::DeviceNet) == Profile::DeviceNet) ChooseConnections(output);
    h.messages.Clear();
    if (!road) {
      Press(Profile::DeviceNet);
      EXPECT_TRUE(Shown().empty() && h.form.CommunicationState.Text() == pages::kEdsOkStatus);
      LeavePage();
    }
  }
  // Back to the main window from whichever page is open.
  void LeavePage() {
    if (auto* page = h.form.CanopenPage()) page->BackButton.Press();
    if (auto* page = h.form.DeviceNetPage()) page->BackButton.Press();
  }
  // Presses `road`; how many command lines it typed.
  std::size_t LinesTyped(Road road) {
    const std::size_t before = controller.Transcript().size();
    Press(road);
    return controller.Transcript().size() - before;
  }
  // The line `lines` more lines on, as the controller counts them.
  int LineAfter(std::size_t lines) const { return static_cast<int>(controller.Transcript().size() + lines); }
  // Connect from the main window, the line healthy again: what it said.
  std::vector<std::string> Reconnect() {
    LeavePage();
    h.messages.Clear();
    h.form.Connect.Press();
    auto again = Shown();
    EXPECT_TRUE(h.form.Connected) << (again.empty() ? "" : again.back());
    return again;
  }

  std::optional<int> cutAt;  // the pulled cable's line
};

}  // namespace gw20::testing
