#pragma once
// A loaded main window wired to the in-process simulated controller on one
// virtual time, on COM3; the scan dialog is answered through `choose`, then OK.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/com_para_setting_f.h"
#include "sim/controller.h"
#include "tests/app/app_harness.h"
#include "tests/support/simulated_port.h"

namespace gw20::testing {

struct ConnectHarness {
  using Words = std::vector<std::uint32_t>;

  explicit ConnectHarness(sim::ControllerOptions options) : controller(std::move(options)) {
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

  // Message texts and titles shown so far, as "title|text".
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const auto& m : h.messages.Messages()) shown.push_back(m.title + "|" + m.text);
    return shown;
  }
  // `words` EEPROM words of `block` from address `from` on.
  Words Block(int block, int from = 0, int words = 64) const {
    Words out;
    for (int k = 0; k < words; ++k) out.push_back(controller.Word(block, from + 4 * k));
    return out;
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
