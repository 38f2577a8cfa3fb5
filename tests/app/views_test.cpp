// The Qt views: each window builds offscreen, shows its models' captions,
// follows model changes, forwards the operator's clicks, and lays its
// controls out without cutting or overlapping them.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "app/about_form.h"
#include "app/logo.h"
#include "app/qt/about_form_view.h"
#include "app/qt/com_para_setting_f_view.h"
#include "app/qt/dnseds_set_view.h"
#include "app/qt/logo_view.h"
#include "app/qt/main_f_view.h"
#include "app/qt/viewer_view.h"
#include "canopen/pdo_mapping.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "devicenet/assembly_maps.h"
#include "devicenet/dnseds_set.h"
#include "devicenet/show_app_obj_new.h"
#include "devicenet/show_ass_obj.h"
#include "link/com_para_setting_f.h"
#include "link/gateway_parameters.h"
#include "modules/show_zelk_info.h"
#include "platform/widgets/window_fit.h"
#include "tests/support/app_harness.h"
#include "tests/support/module_tables.h"

namespace gw20::appqt {
namespace {

void Settle(QWidget& window) {
  window.show();
  for (int pass = 0; pass < 3; ++pass) {
    QApplication::sendPostedEvents();
    QApplication::processEvents();
  }
}

template <typename W>
W& Find(const QWidget& window, const char* name) {
  W* widget = window.findChild<W*>(QString::fromLatin1(name));
  if (widget == nullptr) throw std::runtime_error(std::string("no widget ") + name);
  return *widget;
}

// Every shown widget lies inside its parent and overlaps none of its shown
// siblings; reports the first offender.
std::string LayoutFault(const QWidget& parent) {
  const auto children = parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (const QWidget* child : children) {
    if (child->isHidden() || child->isWindow()) continue;
    const QString name = child->objectName();
    if (!parent.rect().contains(child->geometry())) return "cut off: " + name.toStdString();
    for (const QWidget* other : children) {
      if (other == child || other->isHidden() || other->isWindow()) continue;
      if (child->geometry().intersects(other->geometry())) {
        return "overlap: " + name.toStdString() + " / " + other->objectName().toStdString();
      }
    }
    std::string inner = LayoutFault(*child);
    if (!inner.empty()) return inner;
  }
  return {};
}

class MainViewTest : public ::testing::Test {
 protected:
  testing::VirtualTime time;
  testing::ScriptedPort port{time};
  app::AppHarness harness{time, port};
  std::unique_ptr<MainFView> view;

  void SetUp() override {
    harness.form.Load();
    view = std::make_unique<MainFView>(harness.form);
    Settle(*view);
  }
};

// A caption reaching its widget is the binder's (widgets_test); here what the views add.
// Every caption the loaded window shows, as "name=text" sorted by name.
std::string Captions(const QMainWindow& window) {
  QStringList captions{"title=" + window.windowTitle()};
  for (const QAction* menu : window.menuBar()->actions()) captions << "menu=" + menu->text();
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    if (!button->text().isEmpty()) captions << button->objectName() + "=" + button->text();
  }
  for (const QGroupBox* frame : window.findChildren<QGroupBox*>()) {
    captions << frame->objectName() + "=" + frame->title();
  }
  captions.sort();
  return captions.join('|').toStdString();
}

TEST_F(MainViewTest, MainWindow_LoadedBare_TogglesSwitchPanels_EditsReachTheViewer) {
  EXPECT_EQ(
      Captions(*view),
      "ApplicationLayerFrame=Application Layer|ApplicationSelect(0)=CANopen|ApplicationSelect(1)=DeviceNet|"
      "CommunicationRegion=Communication|Connect=Connect|EixtProgram=Exit Program|"
      "Frame2=GW20x series Situation|ParaSetting=|ParaView=|SettingParameter=Setting|"
      "WriteEDS=Build EDS File|menu=About|menu=File|title=General Setting");
  EXPECT_EQ(port.Settings(), "115200,n,8,1");
  EXPECT_EQ(Find<QComboBox>(*view, "ComPort").currentText(), "COM1");
  EXPECT_TRUE(Find<QWidget>(*view, "CANBaudrate").isHidden() &&
              Find<QWidget>(*view, "ComButton(0)").isHidden());
  EXPECT_EQ(LayoutFault(*view), "");

  auto& form = harness.form;
  form.SelectedPanel = app::kNoPanel;  // as after the start of a connect
  for (auto& toggle : form.ComButton) toggle.SetVisible(true);
  form.ImageGW20[0].SetVisible(true);
  form.ModulesImage.SetVisible(true);

  Find<QPushButton>(*view, "ComButton(0)").click();
  Settle(*view);
  EXPECT_FALSE(Find<QGroupBox>(*view, "ApplicationLayerFrame").isHidden());
  EXPECT_EQ(Find<QLineEdit>(*view, "ViewerText(1)").text(), "CANopen");
  EXPECT_EQ(Find<QGroupBox>(*view, "ParaSetting").title(), "CAN Parameter Setting");
  EXPECT_EQ(LayoutFault(*view), "");

  Find<QPushButton>(*view, "ComButton(1)").click();
  Settle(*view);
  EXPECT_TRUE(Find<QWidget>(*view, "ApplicationLayerFrame").isHidden() &&
              !Find<QWidget>(*view, "ComChecksum").isHidden());
  EXPECT_EQ(Find<QComboBox>(*view, "CANBaudrate").itemText(7), "      115200  BPS");  // the list refilled
  EXPECT_EQ(Find<QLineEdit>(*view, "ViewerText(1)").text(), "Disable");
  EXPECT_EQ(Find<QGroupBox>(*view, "ParaView").title(), "COM Parameter Viewer");
  EXPECT_TRUE(Find<QPushButton>(*view, "ComButton(1)").isChecked() &&
              !Find<QPushButton>(*view, "ComButton(0)").isChecked());
  EXPECT_EQ(LayoutFault(*view), "");

  // The operator's edits on the CAN panel reach the models and the viewer.
  Find<QPushButton>(*view, "ComButton(0)").click();
  Find<QRadioButton>(*view, "ApplicationSelect(1)").click();
  EXPECT_FALSE(Find<QRadioButton>(*view, "ApplicationSelect(0)").isChecked());
  auto& rates = Find<QComboBox>(*view, "CANBaudrate");
  ASSERT_EQ(rates.count(), 3);
  rates.setCurrentIndex(2);
  emit rates.activated(2);  // as the operator's pick does
  auto& node = Find<QLineEdit>(*view, "CANNodeId");
  node.clear();
  QTest::keyClicks(&node, "42");
  Find<QPushButton>(*view, "SettingParameter").click();
  EXPECT_EQ(Find<QLineEdit>(*view, "ViewerText(0)").text(), "       500    KBPS");
  EXPECT_EQ(Find<QLineEdit>(*view, "ViewerText(2)").text(), "42");
  EXPECT_EQ(Find<QLineEdit>(*view, "CommunicationState").text(), "Setting Ok");
  EXPECT_TRUE(Find<QLineEdit>(*view, "ViewerText(2)").isReadOnly());
}

TEST_F(MainViewTest, FileMenu_ListsThePlanItemsAboveExit_AndEachReachesItsHandler) {
  const auto* file = view->findChild<QMenu*>("File");
  ASSERT_NE(file, nullptr);
  QStringList items;
  for (const QAction* action : file->actions()) items << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(items.join('|').toStdString(),
            "Open Plan...|Save Plan...|Check Against Plan...|Close Plan|-|Exit");
  Find<QAction>(*view, "SavePlan").trigger();  // before a connect
  EXPECT_EQ(Find<QLineEdit>(*view, "CommunicationState").text(), "Connect to GW-20 first");
  Find<QAction>(*view, "OpenPlan").trigger();  // the scripted dialog is cancelled
  EXPECT_EQ(harness.files.asked, std::vector<std::string>{"Open Plan|Plans (*.json)"});
}

// The module table as a scan of RA412, RA850, RA312 and RA502 leaves it.
modules::ModuleTable FourModules() {
  return testing::Scanned({{"1", "RA412"}, {"10", "RA850"}, {"19", "RA312"}, {"28", "RA502"}});
}

TEST(DeviceNetPageViewTest, ListsFollowThePageAndAFrameLocksItsWidgets) {
  app::PageBench<devicenet::DNSEdsSet> bench;
  bench.h.state.modules = FourModules();
  auto& page = bench.Open();
  DnsEdsSetView pageView(page);
  Settle(pageView);
  EXPECT_EQ(LayoutFault(pageView), "");
  auto& produced = Find<QComboBox>(pageView, "InpPut(1)");
  ASSERT_EQ(produced.count(), page.InpPut[1].ListCount());
  page.Frame2.SetEnabled(false);
  EXPECT_TRUE(!produced.isEnabled() && Find<QComboBox>(pageView, "InpPut(0)").isEnabled());
  Find<QRadioButton>(pageView, "IO_Info(3)").click();
  EXPECT_EQ(page.DefaultIOInfo(), devicenet::kDefaultCyclic);
}

TEST(SmallWindowsTest, SplashAndAbout_FitAndShowTheirCaption) {
  testing::FormRecorder host;
  app::Logo logo(host);
  app::AboutForm about(host);
  LogoView logoView(logo);
  AboutFormView aboutView(about);
  for (QWidget* window : {static_cast<QWidget*>(&logoView), static_cast<QWidget*>(&aboutView)}) {
    Settle(*window);
    EXPECT_EQ(LayoutFault(*window), "") << window->objectName().toStdString();
  }
  EXPECT_EQ(aboutView.windowTitle(), QString::fromLatin1(about.Caption().c_str()));
}

// Enter is OK and Escape closes (the dialog has no Cancel; closing keeps what
// is shown, as OK does); the window is wide enough for its title.
TEST(ScanDialogViewTest, EnterPressesOk_EscapeCloses_TitleFits) {
  testing::FormRecorder host;
  ui::Form mainForm{"Main_F", host};
  link::GatewayParameters params;
  bool done = false;
  link::ComParaSetting_F dialog(params, done, host, mainForm);
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    done = false;
    dialog.Show();
    ComParaSettingFView view(dialog);
    Settle(view);
    EXPECT_GE(view.width(), qtui::TitleBarWidth(view));
    auto& timeout = Find<QLineEdit>(view, "ScanTimeout");
    timeout.setFocus();
    timeout.selectAll();
    QTest::keyClicks(&timeout, key == Qt::Key_Return ? "750" : "900");
    QTest::keyClick(&timeout, key);
    EXPECT_TRUE(done && !dialog.Loaded()) << key;
    EXPECT_EQ(params.ScanTimeoutMs, key == Qt::Key_Return ? 750 : 900);
  }
}

// The first cell whose text is wider than its column in the font the table
// draws it with (bold header cells included), or "".
std::string TextCutOff(const QTableWidget& table) {
  constexpr int kCellMargins = 6;  // pixels the style keeps free in a cell
  for (int row = 0; row < table.rowCount(); ++row) {
    for (int col = 0; col < table.columnCount(); ++col) {
      const QTableWidgetItem* item = table.item(row, col);
      if (item == nullptr) continue;
      const int needed = QFontMetrics(item->font()).horizontalAdvance(item->text()) + kCellMargins;
      if (needed > table.columnWidth(col)) return item->text().toStdString();
    }
  }
  return {};
}

TEST(ViewerViewsTest, Viewers_FollowTheirTabsAndFitEveryText) {
  testing::FormRecorder host;
  modules::ModuleTable table = FourModules();
  auto maps = std::make_unique<canopen::MapTables>();
  ASSERT_TRUE(canopen::BuildPdoMaps(table, *maps));
  link::GatewayParameters params;
  int counterModules = 0;
  modules::ShowZelkInfo zelk(table, host);
  canopen::ShowPDO pdo(*maps, params, host);
  canopen::ShowAppObjDect dictionary(table, counterModules, host);
  auto assemblies = std::make_unique<pages::MapTables>();
  devicenet::BuildAssemblyMaps(table, *assemblies);
  devicenet::ShowAppObjNew application(table, host);
  devicenet::ShowAssObj assembly(table, *assemblies, host);
  const auto open = [](auto& form) {
    form.Load();
    auto view = std::make_unique<ViewerView>(form);
    Settle(*view);
    return view;
  };
  const auto zelkView = open(zelk), pdoView = open(pdo), dictionaryView = open(dictionary),
             applicationView = open(application), assemblyView = open(assembly);
  Find<QTabBar>(*pdoView, "PDOParaTableTag").setCurrentIndex(canopen::kTransmitPdoTab);
  Find<QTabBar>(*dictionaryView, "ObjDictTableTag").setCurrentIndex(canopen::kStandardizedTab);
  Settle(*pdoView), Settle(*dictionaryView);

  EXPECT_EQ(Find<QTableWidget>(*pdoView, "PDOParaRecord").item(1, 1)->text(), "181");
  EXPECT_EQ(Find<QTableWidget>(*dictionaryView, "ObjDectRecord").item(0, 8)->text(), "0x6444");
  for (const QWidget* view :
       {zelkView.get(), pdoView.get(), dictionaryView.get(), applicationView.get(), assemblyView.get()}) {
    EXPECT_EQ(TextCutOff(*view->findChild<QTableWidget*>()), "") << view->objectName().toStdString();
    EXPECT_EQ(LayoutFault(*view), "") << view->objectName().toStdString();
  }
}

}  // namespace
}  // namespace gw20::appqt
