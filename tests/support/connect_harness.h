#pragma once
// A loaded main window wired to the in-process simulated controller on one
// virtual time, on COM3, in a program folder of its own; the scan dialog is
// answered through `choose`, then OK.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/com_para_setting_f.h"
#include "sim/controller.h"
#include "tests/support/app_harness.h"
#include "tests/support/simulated_port.h"

namespace gw20::testing {

enum class Profile { Canopen, DeviceNet };
// What a test runs: the commit of a profile's open page, or (nullopt) a connect.
using Road = std::optional<Profile>;

// RA412 at 3 and RA312 at 10: digital and analog data both ways.
inline sim::ControllerOptions TwoModules() {
  return WithModules({{.address = 0x03, .model = "RA412"}, {.address = 0x0A, .model = "RA312"}});
}
inline std::string RoadName(Road road) {
  return !road ? "connect" : *road == Profile::Canopen ? "CANopen commit" : "DeviceNet commit";
}

struct ConnectHarness {
  using Words = std::vector<std::uint32_t>;

  // The controller's receive buffer is unlimited unless `keepBuffer`: the
  // port hands it every write whole, and most tests are not about that buffer.
  explicit ConnectHarness(sim::ControllerOptions options, bool keepBuffer = false)
      : controller(keepBuffer ? std::move(options) : Unbuffered(std::move(options))) {
    h.folder.path = folder;
    h.form.Load();
    h.form.ComPort.SetListIndex(2);  // COM3
    h.forms.OnShow = [this](ui::Form& shown) {
      if (auto* dialog = dynamic_cast<link::ComParaSetting_F*>(&shown)) {
        time.At(std::chrono::milliseconds(30), [this, dialog] {
          if (choose) choose(*dialog);
          dialog->ScanSettingOkButton.Press();
        });
      }
    };
  }

  std::vector<std::string> Shown() const { return h.Shown(); }
  Words Block(int block, int from = 0, int words = 64) const {
    return EepromWords(controller, block, from, words);
  }
  std::vector<std::string> LinesSince(std::size_t first) const {
    return testing::LinesSince(controller, first);
  }
  // The lines a commit types after its wake-up: the header words at 0:40,
  // the module block, and the DeviceNet block when there is one, each word
  // as the console shows it (signed).
  static std::vector<std::string> CommitLines(const Words& header, const Words& modules,
                                              const Words& deviceNet = {}) {
    std::vector<std::string> lines{"/q", "exit", ".", "exit", "use eeprom", "block 0", "el 40"};
    const auto type = [&lines](const Words& words) {
      for (const auto w : words) lines.push_back(std::to_string(static_cast<std::int32_t>(w)));
    };
    type(header);
    lines.insert(lines.end(), {".", "block 2", "el 0"});
    type(modules);
    if (!deviceNet.empty()) {
      lines.insert(lines.end(), {".", ".", "block 1", "el 0"});
      type(deviceNet);
    }
    lines.insert(lines.end(), {".", "exit"});
    return lines;
  }

  // Every word the commit of `road` meant to write (the state's image: the
  // header, the module block and for DeviceNet block 1) is in the controller.
  bool WroteAsIntended(Road road) const {
    const auto& image = h.state.eeprom;
    const auto first = [](const Words& words, int count) {
      return Words(words.begin(), words.begin() + count);
    };
    const int moduleWords = image.ModuleBlockBytes / 4;
    return Block(0, 40, 9) == first(image.ConfigHeader, 9) &&
           Block(2, 0, moduleWords) == first(image.ModuleBlock, moduleWords) &&
           (road != Profile::DeviceNet || Block(1, 0, 7) == first(image.DeviceNetBlock, 7));
  }

  // Connects, chooses `profile` at node 5 (and the CAN bit rate of list entry
  // `baud` unless negative) and opens the profile's page.
  void OpenPage(Profile profile, int baud = -1) {
    auto& form = h.form;
    form.Connect.Press();
    EXPECT_TRUE(form.Connected);
    form.ApplicationSelect[profile == Profile::Canopen ? 0 : 1].Choose();
    if (baud >= 0) form.CANBaudrate.Pick(baud);
    form.CANNodeId.Type("5");
    form.SettingParameter.Press();
    h.messages.Clear();
    form.WriteEDS.Press();
    EXPECT_TRUE(profile == Profile::Canopen ? form.CanopenPage() != nullptr
                                            : form.DeviceNetPage() != nullptr);
  }
  // Presses the open page's Finish, or Connect.
  void Press(Road road) {
    if (!road) return h.form.Connect.Press();
    if (road == Profile::Canopen) return h.form.CanopenPage()->FinishButton.Press();
    h.form.DeviceNetPage()->FinishDeviceSet.Press();
  }
  // The EDS file a commit at node 5 writes.
  std::filesystem::path EdsFile(Profile profile) const {
    return folder / (profile == Profile::Canopen ? "COPn5.eds" : "ZELKDNS 5.eds");
  }

  VirtualTime time;
  sim::Controller controller;
  SimulatedPort port{time, controller};
  app::AppHarness h{time, port};
  std::function<void(link::ComParaSetting_F&)> choose;
  // The program's folder: a fresh one of this harness, removed with it.
  ScratchFolder scratch{"connect"};
  const std::filesystem::path& folder = scratch.Path();
};

}  // namespace gw20::testing
