#pragma once
// What the fault tests share: a main window on the in-process controller
// whose cable can be pulled once a number of command lines reached it, and a
// road's page opened with the DeviceNet connections chosen.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <utility>

#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "pages/commit_messages.h"
#include "tests/support/connect_harness.h"

namespace gw20::testing {

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
  // Connects and opens the profile's page, the connections chosen.
  void OpenRoad(Profile profile, int output = devicenet::kPoll) {
    OpenPage(profile);
    if (profile == Profile::DeviceNet) ChooseConnections(output);
  }
  // A road's page open; for a connect, a controller configured by a
  // DeviceNet commit and the main window shown again.
  void Prepare(Road road, int output = devicenet::kPoll) {
    OpenRoad(road.value_or(Profile::DeviceNet), output);
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

  std::optional<int> cutAt;  // the pulled cable's line
};

}  // namespace gw20::testing
