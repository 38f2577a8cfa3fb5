#pragma once
// The Qt face of the scan-parameters dialog: the "COM2" frame with the bit
// rate, checksum and time-out fields inside the outer frame, and OK. Enter
// presses OK; Escape closes the dialog as its frame's close button does (the
// dialog has no Cancel: closing keeps what is shown, as OK does).

#include <QWidget>

class QPushButton;

namespace gw20::link {
class ComParaSetting_F;
}

namespace gw20::appqt {

class ComParaSettingFView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ComParaSettingFView(link::ComParaSetting_F& form);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPushButton* ok_ = nullptr;  // owned by the view
};

}  // namespace gw20::appqt
