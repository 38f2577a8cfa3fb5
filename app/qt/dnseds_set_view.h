#pragma once
// The Qt face of the DeviceNet configuration page: the EDS information
// texts, the produced and consumed connection of Poll, Strobe and
// COS/Cyclic, the default connection, the three viewer buttons, Back and
// Finish.

#include <QWidget>

namespace gw20::devicenet {
class DNSEdsSet;
}

namespace gw20::appqt {

class DnsEdsSetView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit DnsEdsSetView(devicenet::DNSEdsSet& form);
};

}  // namespace gw20::appqt
