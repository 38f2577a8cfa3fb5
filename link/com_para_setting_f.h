#pragma once
// The scan-parameters dialog: before the field port is scanned the operator
// states the modules' bit rate, checksum and answer time-out. The connect
// sequence disables the main window, shows this dialog (not modal), clears
// ScanParamsDone and pumps events until the dialog sets it again on closing.
// Headless model; the Qt view only arranges widgets and binds them.

#include "link/gateway_parameters.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace gw20::link {

// Dialog size in twips.
inline constexpr int kComParaSettingWidth = 4455;
inline constexpr int kComParaSettingHeight = 3390;

// ScanTimeoutMs is a 16-bit signed field: a typed time-out is clamped into
// 0..kMaxScanTimeoutMs (ms).
inline constexpr int kMaxScanTimeoutMs = kIntegerMax;

class ComParaSetting_F : public ui::Form {
 public:
  // `params` (ScanBaudIndex, ScanChecksum, ScanTimeoutMs are read at load and
  // written at unload), `ScanParamsDone`, `host` and `mainForm` must outlive
  // the dialog. `mainForm` is enabled again whenever the dialog closes.
  ComParaSetting_F(GatewayParameters& params, bool& ScanParamsDone, ui::FormHost& host, ui::Form& mainForm);

  ui::Frame ComOutFrame;   // "COM Port SCAN Parameters Setting", holds ComFrame
  ui::Frame ComFrame;      // "COM2"
  ui::Label ScanBaudrate;  // "Baudrate"
  ui::ComboBox ScanBaudrateCombol;
  ui::Label Label3;  // "CheckSum"
  ui::ComboBox ScanChecksumCombol;
  ui::Label Label1;                // "Timeout"
  ui::TextBox ScanTimeout;         // ms, decimal
  ui::Button ScanSettingOkButton;  // "OK"

  // Fills both lists and preselects the current scan parameters.
  void Form_Load() override;
  // Any close (OK or the window frame): stores the three values, enables the
  // main window, sets ScanParamsDone. Never cancels. A list with nothing
  // selected leaves its parameter unchanged; the time-out is the leading
  // number of the text (none gives 0), rounded, clamped to 0..kMaxScanTimeoutMs.
  void Form_Unload(int& Cancel) override;
  // Closes (unloads) the dialog.
  void ScanSettingOkButton_MouseUp();

 private:
  GatewayParameters& params_;
  bool& scanParamsDone_;
  ui::Form& mainForm_;
};

}  // namespace gw20::link
