#include "link/com_para_setting_f.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "link/gateway_parameters.h"
#include "platform/ui/numbers.h"

namespace gw20::link {
namespace {

// What the operator typed, as the 16-bit field can hold it: an out-of-range
// value must neither stop the program nor wrap into a surprising time-out.
int TimeoutFromText(const std::string& text) {
  const std::int64_t value = ui::RoundHalfEven(ui::LeadingNumber(text));
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, kMaxScanTimeoutMs));
}

// "     9600 BPS": the numbers end in line.
RatePadding ScanPadding(int digits) { return {13 - 2 * digits, 1}; }

}  // namespace

ComParaSetting_F::ComParaSetting_F(GatewayParameters& params, bool& ScanParamsDone, ui::FormHost& host,
                                   ui::Form& mainForm)
    : ui::Form("ComParaSetting_F", host),
      params_(params),
      scanParamsDone_(ScanParamsDone),
      mainForm_(mainForm) {
  ComOutFrame.SetName("ComOutFrame");
  ComFrame.SetName("ComFrame");
  ScanBaudrate.SetName("ScanBaudrate");
  ScanBaudrateCombol.SetName("ScanBaudrateCombol");
  Label3.SetName("Label3");
  ScanChecksumCombol.SetName("ScanChecksumCombol");
  Label1.SetName("Label1");
  ScanTimeout.SetName("ScanTimeout");
  ScanSettingOkButton.SetName("ScanSettingOkButton");

  SetCaption("Com Port Scan Parameters Setting");
  ComOutFrame.SetCaption("COM Port SCAN Parameters Setting");
  ComFrame.SetCaption("COM2");
  ScanBaudrate.SetCaption("Baudrate");
  Label3.SetCaption("CheckSum");
  Label1.SetCaption("Timeout");
  ScanSettingOkButton.SetCaption("OK");
  ScanSettingOkButton.OnMouseUp = [this] { ScanSettingOkButton_MouseUp(); };
  SetSize(kComParaSettingWidth, kComParaSettingHeight);
}

void ComParaSetting_F::Form_Load() {
  ScanBaudrateCombol.Clear();
  for (auto& entry : RateEntries(kFieldBitRates, ScanPadding, "BPS")) {
    ScanBaudrateCombol.AddItem(std::move(entry));
  }
  ScanChecksumCombol.Clear();
  for (const auto& texts : kChecksumTexts) ScanChecksumCombol.AddItem(std::string(texts.ScanEntry));
  ScanBaudrateCombol.SetListIndex(params_.ScanBaudIndex);
  ScanChecksumCombol.SetListIndex(params_.ScanChecksum);
  ScanTimeout.SetText(std::to_string(params_.ScanTimeoutMs));
  CentreOnScreen();
}

void ComParaSetting_F::Form_Unload(int& /*Cancel*/) {
  // Nothing selected can only come from a preset outside the list; keeping
  // the old value is better than storing -1 for the scan to index with.
  if (ScanBaudrateCombol.ListIndex() >= 0) params_.ScanBaudIndex = ScanBaudrateCombol.ListIndex();
  if (ScanChecksumCombol.ListIndex() >= 0) params_.ScanChecksum = ScanChecksumCombol.ListIndex();
  params_.ScanTimeoutMs = TimeoutFromText(ScanTimeout.Text());
  mainForm_.SetEnabled(true);
  scanParamsDone_ = true;
}

void ComParaSetting_F::ScanSettingOkButton_MouseUp() { Unload(); }

}  // namespace gw20::link
