#include "app/qt/main_f_view.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/main_f.h"
#include "app/qt/widget_factory.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {
namespace {

// A picture's minimum size in twips; the layouts give more room when there is some.
struct PictureSize {
  int width;
  int height;
};
constexpr PictureSize kControllerPicture{1500, 1900};
constexpr PictureSize kPortPicture{1650, 620};
constexpr PictureSize kModulesPicture{3000, 850};
// The other sizes, in twips unless marked.
constexpr int kToggleSide = 420;
constexpr int kPortGap = 300;
constexpr int kHintSpacing = 2;  // pixels
constexpr int kStatusMinWidth = 1800;
constexpr int kFirmwareMinWidth = 1500;
constexpr int kText1Width = 900;
// Characters of the longest padded list entry ("              Disable").
constexpr int kBaudEntryChars = 21;
constexpr int kPortEntryChars = 6;

QComboBox& MakeCombo(QWidget& parent, ui::ComboBox& model, int entryChars) {
  auto& combo = MakeBound<QComboBox>(parent, model);
  // Sized for the longest entry up front: the lists are filled after the
  // window is shown, and a combo sized to an empty list would cut them.
  combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo.setMinimumContentsLength(entryChars);
  return combo;
}

}  // namespace

MainFView::MainFView(app::Main_F& form) {
  setObjectName(QString::fromStdString(form.Name()));
  BuildMenus(form);
  QWidget& central = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&central);

  column->addWidget(&BuildCommunication(central, form));

  auto* middle = new QHBoxLayout;
  middle->addWidget(&BuildSituation(central, form), 1);
  auto* panels = new QVBoxLayout;
  panels->addWidget(&BuildParameterSetting(central, form));
  panels->addWidget(&BuildParameterViewer(central, form));
  panels->addStretch(1);
  middle->addLayout(panels, 1);
  column->addLayout(middle, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(&MakeBound<QPushButton>(central, form.WriteEDS));
  buttons->addWidget(&MakeBound<QPushButton>(central, form.EixtProgram));
  column->addLayout(buttons);

  qtui::BindWindow(*this, form);
}

void MainFView::BuildMenus(app::Main_F& form) {
  QMenu* file = menuBar()->addMenu(QString());
  file->setObjectName(QString::fromStdString(form.File.Name()));
  qtui::Bind(*file->menuAction(), form.File);
  file->addAction(&MakeMenuAction(form.OpenPlan));
  file->addAction(&MakeMenuAction(form.SavePlan));
  file->addAction(&MakeMenuAction(form.CheckAgainstPlan));
  file->addAction(&MakeMenuAction(form.ClosePlan));
  file->addSeparator();
  file->addAction(&MakeMenuAction(form.ExitProgram));
  menuBar()->addAction(&MakeMenuAction(form.About_));
}

QAction& MainFView::MakeMenuAction(ui::Menu& model) {
  auto* action = new QAction(this);  // owned by the window
  action->setObjectName(QString::fromStdString(model.Name()));
  qtui::Bind(*action, model);
  return *action;
}

QGroupBox& MainFView::BuildCommunication(QWidget& parent, app::Main_F& form) {
  auto& frame = MakeBound<QGroupBox>(parent, form.CommunicationRegion);
  auto* grid = new QGridLayout(&frame);
  grid->addWidget(&MakeBound<QLabel>(frame, form.Label1), 0, 0);
  grid->addWidget(&MakeCombo(frame, form.ComPort, kPortEntryChars), 0, 1);
  grid->addWidget(&MakeBound<QPushButton>(frame, form.Connect), 0, 2);
  grid->addWidget(&MakeBound<QLabel>(frame, form.State), 0, 3, Qt::AlignRight);
  auto& status = MakeBound<QLineEdit>(frame, form.CommunicationState);
  status.setMinimumWidth(qtui::TwipsToPixels(kStatusMinWidth, frame));
  grid->addWidget(&status, 0, 4, 1, 2);

  grid->addWidget(&MakeBound<QLabel>(frame, form.Label4), 1, 0);
  auto& firmware = MakeBound<QLineEdit>(frame, form.FirmwareVer);
  firmware.setMinimumWidth(qtui::TwipsToPixels(kFirmwareMinWidth, frame));
  grid->addWidget(&firmware, 1, 1, 1, 2);
  auto& progress = MakeBound<QProgressBar>(frame, form.ConnectProgress);
  KeepPlaceWhenHidden(progress);
  grid->addWidget(&progress, 1, 3, 1, 2);
  auto& text1 = MakeBound<QLineEdit>(frame, form.Text1);
  text1.setFixedWidth(qtui::TwipsToPixels(kText1Width, frame));
  grid->addWidget(&text1, 1, 5);
  grid->setColumnStretch(4, 1);
  return frame;
}

QGroupBox& MainFView::BuildSituation(QWidget& parent, app::Main_F& form) {
  auto& frame = MakeBound<QGroupBox>(parent, form.Frame2);
  auto* column = new QVBoxLayout(&frame);
  auto* top = new QHBoxLayout;
  // Only one controller picture shows at a time; both share the place.
  auto* controller = new QGridLayout;
  for (auto& picture : form.ImageGW20) {
    auto& label = MakePicture(frame, picture, kControllerPicture.width, kControllerPicture.height);
    KeepPlaceWhenHidden(label);
    controller->addWidget(&label, 0, 0);
  }
  top->addLayout(controller, 1);
  auto* ports = new QVBoxLayout;
  ports->addLayout(MakePortBlock(frame, form, 0), 1);
  ports->addSpacing(qtui::TwipsToPixels(kPortGap, frame));
  ports->addLayout(MakePortBlock(frame, form, 1), 1);
  top->addLayout(ports, 1);
  column->addLayout(top, 1);
  auto& modules = MakePicture(frame, form.ModulesImage, kModulesPicture.width, kModulesPicture.height);
  KeepPlaceWhenHidden(modules);
  column->addWidget(&modules);
  return frame;
}

QVBoxLayout* MainFView::MakePortBlock(QWidget& parent, app::Main_F& form, int index) {
  auto& toggle = MakeBound<QPushButton>(parent, form.ComButton[index]);
  const int side = qtui::TwipsToPixels(kToggleSide, parent);
  toggle.setFixedSize(side, side);
  auto& caption = MakeBound<QLabel>(parent, form.ComCaption[index]);
  auto& picture = MakePicture(parent, form.ComImage[index], kPortPicture.width, kPortPicture.height);
  auto& hint = MakeBound<QLabel>(parent, form.MousePoint[index]);
  hint.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  for (QWidget* widget : {static_cast<QWidget*>(&toggle), static_cast<QWidget*>(&caption),
                          static_cast<QWidget*>(&picture), static_cast<QWidget*>(&hint)}) {
    KeepPlaceWhenHidden(*widget);
  }
  auto* block = new QVBoxLayout;
  block->setSpacing(kHintSpacing);  // the hint belongs to the picture above it
  auto* heading = new QHBoxLayout;
  heading->addWidget(&toggle);
  heading->addWidget(&caption, 1);
  block->addLayout(heading);
  block->addWidget(&picture, 1);
  block->addWidget(&hint);
  return block;
}

QGroupBox& MainFView::BuildParameterSetting(QWidget& parent, app::Main_F& form) {
  auto& frame = MakeBound<QGroupBox>(parent, form.ParaSetting);
  auto* column = new QVBoxLayout(&frame);

  auto& layer = MakeBound<QGroupBox>(frame, form.ApplicationLayerFrame);
  KeepPlaceWhenHidden(layer);
  auto* options = new QHBoxLayout(&layer);
  for (auto& option : form.ApplicationSelect) options->addWidget(&MakeBound<QRadioButton>(layer, option));
  column->addWidget(&layer);

  auto* grid = new QGridLayout;
  grid->addWidget(&MakeBound<QLabel>(frame, form.ParaSettingC1), 0, 0);
  auto& baud = MakeCombo(frame, form.CANBaudrate, kBaudEntryChars);
  UseFixedPitch(baud);
  grid->addWidget(&baud, 0, 1);
  for (auto& label : form.ParaSettingC2) grid->addWidget(&MakeBound<QLabel>(frame, label), 1, 0);
  grid->addWidget(&MakeBound<QLineEdit>(frame, form.CANNodeId), 1, 1);
  grid->addWidget(&MakeBound<QLabel>(frame, form.ParaSettingC0), 2, 0);
  auto& checksum = MakeCombo(frame, form.ComChecksum, kBaudEntryChars);
  UseFixedPitch(checksum);
  grid->addWidget(&checksum, 2, 1);
  grid->setColumnStretch(1, 1);
  for (int i = 0; i < grid->count(); ++i) KeepPlaceWhenHidden(*grid->itemAt(i)->widget());
  column->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto& setting = MakeBound<QPushButton>(frame, form.SettingParameter);
  KeepPlaceWhenHidden(setting);
  buttons->addWidget(&setting);
  column->addLayout(buttons);
  return frame;
}

QGroupBox& MainFView::BuildParameterViewer(QWidget& parent, app::Main_F& form) {
  auto& frame = MakeBound<QGroupBox>(parent, form.ParaView);
  auto* grid = new QGridLayout(&frame);
  grid->addWidget(&MakeBound<QLabel>(frame, form.ViewerC0), 0, 0);
  for (auto& label : form.ViewerC1) grid->addWidget(&MakeBound<QLabel>(frame, label), 1, 0);
  for (auto& label : form.ViewerC2) grid->addWidget(&MakeBound<QLabel>(frame, label), 2, 0);
  for (int row = 0; row < static_cast<int>(form.ViewerText.size()); ++row) {
    auto& text = MakeBound<QLineEdit>(frame, form.ViewerText[row]);
    grid->addWidget(&text, row, 1);
  }
  UseFixedPitch(*grid->itemAtPosition(0, 1)->widget());
  grid->setColumnStretch(1, 1);
  for (int i = 0; i < grid->count(); ++i) KeepPlaceWhenHidden(*grid->itemAt(i)->widget());
  return frame;
}

}  // namespace gw20::appqt
