#pragma once
// The command-line tool's operator: a form host that shows nothing and
// answers the windows it has a script for, between events, as a person at
// the screen would. It is also the tool's event pump, so its answers come
// while the program waits, never inside the call that opened the window.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "link/gateway_parameters.h"
#include "platform/ui/services.h"

namespace gw20::cli {

// What the operator chooses in the scan-parameters dialog.
struct ScanAnswers {
  int baudIndex = link::kDefaultScanBaudIndex;  // entry of the bit-rate list
  int checksum = link::kDefaultScanChecksum;    // 0 off, 1 on
  // Typed into the time-out box, ms.
  std::string timeoutText = std::to_string(link::kDefaultScanTimeoutMs);
};

class ScriptedOperator : public ui::FormHost, public ui::EventPump {
 public:
  // `events` (the real pump) must outlive the operator.
  ScriptedOperator(ui::EventPump& events, ScanAnswers answers);

  // A scan-parameters dialog is answered at the next pump. A modal form
  // without a script is closed at once, so nothing waits for an answer that
  // cannot come; other forms are only noted.
  void Show(ui::Form& form, bool modal) override;
  void Hide(ui::Form& form) override;
  void Unloaded(ui::Form& form) override;
  int ScreenWidthTwips() const override;
  int ScreenHeightTwips() const override;

  // Answer what is pending, then pump the real events.
  void ProcessEvents() override;
  void Pause(std::chrono::milliseconds period) override;

  // Names of the forms shown, in order.
  const std::vector<std::string>& Shown() const { return shown_; }

 private:
  struct Pending {
    ui::Form* form;
    std::weak_ptr<const void> alive;  // expired: the form has gone
  };
  void AnswerPending();

  ui::EventPump& events_;
  ScanAnswers answers_;
  std::vector<Pending> pending_;
  std::vector<std::string> shown_;
};

}  // namespace gw20::cli
