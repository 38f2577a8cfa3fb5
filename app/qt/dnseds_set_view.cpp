#include "app/qt/dnseds_set_view.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <array>

#include "app/qt/widget_factory.h"
#include "devicenet/dnseds_set.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {
namespace {

// The longest connection items, "OUTPUT 03(DO,App.01)" and
// "INPUT  02(Assembly)", are twenty characters; one more keeps the last clear
// of the drop-down arrow.
constexpr int kConnectionItemChars = 21;

// The items line up their numbers with blanks ("INPUT  " beside "OUTPUT "),
// so the lists use a fixed-pitch font.
QComboBox& MakeConnectionList(QWidget& parent, ui::ComboBox& model) {
  auto& list = MakeBound<QComboBox>(parent, model);
  UseFixedPitch(list);
  list.setMinimumContentsLength(kConnectionItemChars);
  list.setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

// One connection type's frame: its produced and consumed list, each under
// its label. The widgets are the frame's children, so disabling the frame
// locks its lists.
QGroupBox& MakeConnectionFrame(QWidget& parent, devicenet::DNSEdsSet& form, ui::Frame& model, int slot) {
  auto& frame = MakeBound<QGroupBox>(parent, model);
  auto* lists = new QVBoxLayout(&frame);
  lists->addWidget(&MakeBound<QLabel>(frame, form.ProducedLabel[slot]));
  lists->addWidget(&MakeConnectionList(frame, form.InpPut[slot]));
  lists->addWidget(&MakeBound<QLabel>(frame, form.ConsumedLabel[slot]));
  lists->addWidget(&MakeConnectionList(frame, form.OutPut[slot]));
  lists->addStretch(1);
  return frame;
}

}  // namespace

DnsEdsSetView::DnsEdsSetView(devicenet::DNSEdsSet& form) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);

  column->addWidget(&MakeEdsRegion(page, form));

  auto* connections = new QHBoxLayout;
  const std::array<ui::Frame*, devicenet::kConnectionSlots> frames{&form.Frame1, &form.Frame2, &form.Frame3};
  for (int slot = 0; slot < devicenet::kConnectionSlots; ++slot) {
    connections->addWidget(&MakeConnectionFrame(page, form, *frames[slot], slot), 1);
  }
  column->addLayout(connections, 1);

  auto& defaults = MakeBound<QGroupBox>(page, form.Frame5);
  auto* options = new QHBoxLayout(&defaults);
  for (ui::OptionButton& option : form.IO_Info)
    options->addWidget(&MakeBound<QRadioButton>(defaults, option));
  options->addStretch(1);
  column->addWidget(&defaults);

  AddPageButtons(*column, page, {&form.ShowZelkInf, &form.AppObj, &form.ShowSettingResult}, form.BackButton,
                 form.FinishDeviceSet);

  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
