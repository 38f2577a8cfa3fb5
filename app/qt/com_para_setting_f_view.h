#pragma once
// The Qt face of the scan-parameters dialog: the "COM2" frame with the bit
// rate, checksum and time-out fields inside the outer frame, and OK.

#include <QWidget>

namespace gw20::link {
class ComParaSetting_F;
}

namespace gw20::appqt {

class ComParaSettingFView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ComParaSettingFView(link::ComParaSetting_F& form);
};

}  // namespace gw20::appqt
