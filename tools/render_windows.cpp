// Renders every window of the program offscreen into PNG files, each form in
// a state that shows what it is for, so the layout can be looked at (and
// kept in the documentation) without a display or a controller.
//
//   gw20render OUTDIR [--scale FACTOR] [--screen WIDTHxHEIGHT]

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/about_form.h"
#include "app/app_state.h"
#include "app/connect_sequence.h"
#include "app/logo.h"
#include "app/main_f.h"
#include "app/qt/desktop_program.h"
#include "canopen/copeds_f.h"
#include "canopen/pdo_mapping.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "devicenet/assembly_maps.h"
#include "devicenet/dnseds_set.h"
#include "devicenet/show_app_obj_new.h"
#include "devicenet/show_ass_obj.h"
#include "link/com_para_setting_f.h"
#include "modules/module_ch_info.h"
#include "modules/module_table.h"
#include "modules/show_zelk_info.h"
#include "pages/map_tables.h"
#include "plans/plan_file.h"
#include "platform/qt/file_name.h"
#include "platform/ui/serial_port.h"
#include "platform/ui/services.h"
#include "platform/widgets/qt_form_host.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
constexpr int kSettlePasses = 3;
// Parameters as a connected controller might report them.
constexpr int kShownNodeId = 5;
constexpr int kShownCanBaudIndex = 4;   // 250 kbit/s
constexpr int kShownCom2BaudIndex = 3;  // 9600 bit/s
constexpr int kShownCom2Timeout = 100;  // ms

// Messages go to standard error and are answered Yes, so nothing waits.
class PrintedMessages : public gw20::ui::MessageBoxService {
 public:
  gw20::ui::MessageAnswer Show(const std::string& text, const std::string& title,
                               gw20::ui::MessageButtons buttons) override {
    std::fprintf(stderr, "message [%s]: %s\n", title.c_str(), text.c_str());
    return buttons == gw20::ui::MessageButtons::YesNo ? gw20::ui::MessageAnswer::Yes
                                                      : gw20::ui::MessageAnswer::Ok;
  }
};

// No controller is needed to draw windows: the port never opens.
class AbsentPort : public gw20::ui::SerialPort {
 public:
  void SetPortNumber(int number) override { number_ = number; }
  int PortNumber() const override { return number_; }
  bool SetSettings(const gw20::ui::SerialSettings&) override { return true; }
  gw20::ui::OpenResult Open() override {
    return {gw20::ui::OpenStatus::Failed, "The renderer has no serial port"};
  }
  bool IsOpen() const override { return false; }
  void Close() override {}
  int InBufferCount() override { return 0; }
  void DiscardInput() override {}
  std::string ReadAll() override { return {}; }
  void Write(std::string_view) override {}
  int OutBufferCount() override { return 0; }
  bool WaitForInput(std::chrono::milliseconds) override { return false; }

 private:
  int number_ = 1;
};

// The plan Open Plan reads, as if the operator had picked it; nothing is saved.
class PickedPlan : public gw20::ui::FileDialogService {
 public:
  std::optional<std::filesystem::path> OpenFile(const std::string&, const std::string&) override {
    return path;
  }
  std::optional<std::filesystem::path> SaveFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> path;
};

class Renderer {
 public:
  Renderer(gw20::qtui::QtFormHost& host, QString folder) : host_(host), folder_(std::move(folder)) {}

  // Shows the form and saves its view as NAME.png; false when it failed.
  bool Render(gw20::ui::Form& form, const QString& name) {
    form.Show(false);
    // Shown and hidden controls post layout requests; let every one settle.
    for (int pass = 0; pass < kSettlePasses; ++pass) {
      QApplication::sendPostedEvents();
      QApplication::processEvents();
    }
    QWidget* view = host_.ViewOf(form);
    const QString file = QDir(folder_).filePath(name + QStringLiteral(".png"));
    if (view == nullptr || !view->grab().save(file)) {
      std::fprintf(stderr, "could not render %s\n", qPrintable(file));
      return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
  }

  // The shown window `form` with its menu `menuName` open below the menu bar,
  // drawn over the window as the operator sees it, saved as NAME.png.
  bool RenderMenu(gw20::ui::Form& form, const std::string& menuName, const QString& name) {
    auto* window = qobject_cast<QMainWindow*>(host_.ViewOf(form));
    auto* menu = window == nullptr ? nullptr : window->findChild<QMenu*>(QString::fromStdString(menuName));
    const QString file = QDir(folder_).filePath(name + QStringLiteral(".png"));
    if (menu == nullptr) {
      std::fprintf(stderr, "could not render %s: no menu %s\n", qPrintable(file), menuName.c_str());
      return false;
    }
    QMenuBar* bar = window->menuBar();
    const QPoint at = bar->mapTo(window, bar->actionGeometry(menu->menuAction()).bottomLeft());
    menu->popup(window->mapToGlobal(at));
    for (int pass = 0; pass < kSettlePasses; ++pass) {
      QApplication::sendPostedEvents();
      QApplication::processEvents();
    }
    QPixmap shot = window->grab();
    {
      QPainter painter(&shot);
      painter.drawPixmap(at, menu->grab());
    }
    menu->hide();
    if (!shot.save(file)) {
      std::fprintf(stderr, "could not render %s\n", qPrintable(file));
      return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
  }

 private:
  gw20::qtui::QtFormHost& host_;
  QString folder_;
};

// What a completed connect leaves on the main window, done through the same
// controls and handlers the connect sequence uses.
void ShowAsConnected(gw20::app::Main_F& form, gw20::app::AppState& state) {
  auto& eeprom = state.eeprom;
  eeprom.FirmwareMajor = 2, eeprom.FirmwareMinor = 5;
  eeprom.FirmwareYear = 2006, eeprom.FirmwareMonth = 3, eeprom.FirmwareDay = 7;
  state.params.NodeId = kShownNodeId;
  state.params.CanBaudIndex = kShownCanBaudIndex;
  state.params.Com2BaudIndex = kShownCom2BaudIndex;
  state.params.Com2Timeout = kShownCom2Timeout;
  state.params.Com2Checksum = 1;
  form.SelectedPanel = gw20::app::kNoPanel;
  form.ImageGW20[0].SetVisible(true);
  for (int i = 0; i < 2; ++i) {
    form.ComImage[i].SetVisible(true);
    form.ComButton[i].SetVisible(true);
    form.MousePoint[i].SetVisible(true);
    form.ComCaption[i].SetVisible(true);
  }
  form.ModulesImage.SetVisible(true);
  form.FirmwareVer.SetText(
      gw20::link::FirmwareText({eeprom.FirmwareMajor, eeprom.FirmwareMinor, eeprom.FirmwareYear,
                                eeprom.FirmwareMonth, eeprom.FirmwareDay}));
  form.CommunicationState.SetText("Waiting for configuration");
  form.Connected = true;
  form.ComButton[0].SetValue(true);
  form.ComButton_MouseUp(0, gw20::ui::kLeftButton, 0, 330, 330);
}

// The main window with a plan loaded: its caption names the plan and the
// status line says what the plan preset. The plan holds what the window
// shows already and no modules (none are scanned yet), so the windows drawn
// afterwards look as without it; it is closed again.
bool RenderPlanLoaded(Renderer& renderer, gw20::app::Main_F& form, PickedPlan& files) {
  QTemporaryDir dir;
  gw20::plans::Plan plan;
  plan.nodeId = kShownNodeId;
  plan.canBitRateKbps = 250;
  plan.fieldPort = {9600, true, kShownCom2Timeout};
  files.path = gw20::qtui::FromQtFileName(dir.path()) / "press3.json";
  if (!dir.isValid() || gw20::plans::WritePlan(*files.path, plan)) return false;
  form.OpenPlan.Press();
  const bool ok = renderer.Render(form, QStringLiteral("main_plan_loaded"));
  form.ClosePlan.Press();
  return ok;
}

// What a scan of four modules leaves in the table: digital, analog and mixed
// modules and a counter module, with the type codes they report.
void ScanShownModules(gw20::modules::ModuleTable& table) {
  struct Shown {
    const char* name;
    const char* address;
    int typeCode;
    int dataFormat;
  };
  constexpr Shown kShown[] = {{"RA412", "1", 0x0D, 0x00},
                              {"RA850", "3", 0x08, 0x02},
                              {"RA312", "10", 0x40, 0x00},
                              {"RA502", "26", 0x50, 0x1F}};
  gw20::modules::ResetModuleTable(table);
  for (const Shown& shown : kShown) {
    auto& record = table.ModuleList[table.CurrentModule];
    record.ModelName = shown.name;
    record.Address = shown.address;
    gw20::modules::ModuleChInfo(table, shown.name);
    record.TypeCode = shown.typeCode;
    record.DataFormat = shown.dataFormat;
    // The scan copies the module's answer into its application object too.
    auto& object = table.AppObjList[table.CurrentModule];
    object.TypeCode = shown.typeCode;
    object.DataFormat = shown.dataFormat;
    ++table.CurrentModule;
  }
  gw20::modules::BuildModuleOrder(table);
}

// The three viewers over that table, each tab of the tabbed ones.
bool RenderViewers(Renderer& renderer, gw20::qtui::QtFormHost& host, gw20::app::AppState& state) {
  ScanShownModules(state.modules);
  gw20::canopen::BuildPdoMaps(state.modules, state.maps);

  gw20::modules::ShowZelkInfo zelk(state.modules, host);
  bool ok = renderer.Render(zelk, QStringLiteral("zelk_information"));
  zelk.Unload();
  gw20::canopen::ShowPDO pdo(state.maps, state.params, host);
  ok = renderer.Render(pdo, QStringLiteral("pdo_receive")) && ok;
  pdo.PDOParaTableTag.Click(gw20::canopen::kTransmitPdoTab);
  ok = renderer.Render(pdo, QStringLiteral("pdo_transmit")) && ok;
  pdo.Unload();
  gw20::canopen::ShowAppObjDect dictionary(state.modules, state.CounterModuleCount, host);
  ok = renderer.Render(dictionary, QStringLiteral("dictionary_manufacturer")) && ok;
  dictionary.ObjDictTableTag.Click(gw20::canopen::kStandardizedTab);
  ok = renderer.Render(dictionary, QStringLiteral("dictionary_standardized")) && ok;
  dictionary.Unload();
  return ok;
}

// The DeviceNet viewers over the same table, both tabs of the assembly viewer.
// The assemblies go into tables of their own, so the CANopen windows keep
// theirs.
bool RenderDeviceNetViewers(Renderer& renderer, gw20::qtui::QtFormHost& host, gw20::app::AppState& state) {
  const auto assemblies = std::make_unique<gw20::pages::MapTables>();
  gw20::devicenet::BuildAssemblyMaps(state.modules, *assemblies);
  gw20::devicenet::ShowAppObjNew application(state.modules, host);
  bool ok = renderer.Render(application, QStringLiteral("application_objects"));
  application.Unload();
  gw20::devicenet::ShowAssObj assembly(state.modules, *assemblies, host);
  ok = renderer.Render(assembly, QStringLiteral("assembly_output")) && ok;
  assembly.AssObjParaTableTag.Click(1);  // the modules shown have outputs, so inputs are second
  ok = renderer.Render(assembly, QStringLiteral("assembly_input")) && ok;
  assembly.Unload();
  return ok;
}

// The CANopen page in node-guarding mode, then with heartbeat chosen.
bool RenderCanopenPage(Renderer& renderer, gw20::app::Main_F& mainForm) {
  auto* page = mainForm.CanopenPage();
  if (page == nullptr) return false;
  page->EDSInfo[gw20::eds::kEdsDescription].SetText("Packing line 3, station B");
  page->GuardTime_T[0].SetText("1000");
  page->GuardTime_T[1].SetText("3");
  bool ok = renderer.Render(*page, QStringLiteral("canopen_page"));
  page->ErrControl[gw20::canopen::kHeartbeat].Choose();
  page->Heartbeat_T.SetText("300");
  ok = renderer.Render(*page, QStringLiteral("canopen_page_heartbeat")) && ok;
  page->BackButton.Press();
  return ok;
}

// Picks the entry `text` of `list`, as the operator would; nothing when absent.
void PickItem(gw20::ui::ComboBox& list, std::string_view text) {
  const auto& items = list.Items();
  const auto found = std::find(items.begin(), items.end(), text);
  if (found != items.end()) list.Pick(static_cast<int>(found - items.begin()));
}

// The DeviceNet page with a Poll and a Strobe connection chosen, showing the
// longest items the lists hold.
bool RenderDeviceNetPage(Renderer& renderer, gw20::app::Main_F& mainForm) {
  auto* page = mainForm.DeviceNetPage();
  if (page == nullptr) return false;
  page->EDSInfo[gw20::eds::kEdsDescription].SetText("Packing line 3, station B");
  PickItem(page->InpPut[gw20::devicenet::kPoll], "INPUT  02(Assembly)");
  PickItem(page->OutPut[gw20::devicenet::kPoll], "OUTPUT 03(DO,App.01)");
  PickItem(page->InpPut[gw20::devicenet::kStrobe], "INPUT  01(Assembly)");
  page->IO_Info[gw20::devicenet::kDefaultStrobe].Choose();
  return renderer.Render(*page, QStringLiteral("dnseds_set"));
}

int RenderAll(const QString& folder) {
  PrintedMessages messages;
  AbsentPort port;
  PickedPlan files;
  gw20::appqt::DesktopProgram program(port, {.messages = &messages, .files = &files});
  gw20::qtui::QtFormHost& host = program.Forms();
  gw20::app::AppState& state = program.State();
  gw20::app::Logo& logo = program.Splash();
  gw20::app::Main_F& mainForm = program.MainForm();
  Renderer renderer(host, folder);

  bool ok = renderer.Render(logo, QStringLiteral("logo"));
  logo.Unload();
  ok = renderer.Render(mainForm, QStringLiteral("main_loaded")) && ok;
  ShowAsConnected(mainForm, state);
  ok = renderer.Render(mainForm, QStringLiteral("main_can_panel")) && ok;
  ok = renderer.RenderMenu(mainForm, mainForm.File.Name(), QStringLiteral("main_file_menu")) && ok;
  mainForm.ComButton[1].Toggle();  // the operator opens the field-port panel
  ok = renderer.Render(mainForm, QStringLiteral("main_com_panel")) && ok;
  ok = RenderPlanLoaded(renderer, mainForm, files) && ok;
  {
    // Opened as the connect sequence opens it, with the defaults preset.
    gw20::link::ComParaSetting_F scanDialog(state.params, state.ScanParamsDone, host, mainForm);
    ok = renderer.Render(scanDialog, QStringLiteral("scan_parameters")) && ok;
    scanDialog.Unload();
  }
  mainForm.About_.Press();
  ok = mainForm.AboutWindow() != nullptr &&
       renderer.Render(*mainForm.AboutWindow(), QStringLiteral("about")) && ok;
  ok = RenderViewers(renderer, host, state) && ok;
  ok = RenderDeviceNetViewers(renderer, host, state) && ok;
  mainForm.WriteEDS.Press();  // opens the CANopen page (the CANopen option is on)
  ok = RenderCanopenPage(renderer, mainForm) && ok;
  mainForm.ApplicationSelect[1].Choose();
  mainForm.WriteEDS.Press();  // opens the DeviceNet page
  ok = RenderDeviceNetPage(renderer, mainForm) && ok;
  // Closed as the operator would (the exit question is answered Yes), so no
  // view outlives the controls it shows.
  mainForm.Unload();
  return ok ? EXIT_SUCCESS : kExitFailed;
}

// A screen as large as common desktops, so the windows show whole unless a
// smaller screen is asked for.
constexpr QSize kDefaultScreen{1920, 1080};

// "1024x768" as a size; an empty size when the text is not one.
QSize ParseScreen(std::string_view text) {
  const QList<QByteArray> parts = QByteArray(text.data(), static_cast<qsizetype>(text.size())).split('x');
  if (parts.size() != 2) return {};
  return {parts[0].toInt(), parts[1].toInt()};
}

// Runs the offscreen platform (the default) on one screen of `device` pixels:
// the platform reads its screens from a JSON file named in its options.
// False when another platform was chosen; it keeps its own screens.
bool UseOffscreenScreen(QSize device, QTemporaryFile& file) {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!platform.isEmpty() && platform != "offscreen") return false;
  if (!file.open()) return false;
  file.write(QStringLiteral("{\"screens\": [{\"name\": \"gw20render\", \"x\": 0, \"y\": 0, "
                            "\"width\": %1, \"height\": %2}]}")
                 .arg(device.width())
                 .arg(device.height())
                 .toLatin1());
  file.close();
  qputenv("QT_QPA_PLATFORM",
          "offscreen:configfile=" +
              QByteArray::fromStdString(gw20::qtui::FromQtFileName(file.fileName()).native()));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QString folder;
  QByteArray scale;
  QSize screen = kDefaultScreen;
  bool screenGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--scale" && i + 1 < argc) {
      scale = argv[++i];
    } else if (arg == "--screen" && i + 1 < argc) {
      screen = ParseScreen(argv[++i]);
      screenGiven = true;
    } else if (!arg.starts_with("-") && folder.isEmpty()) {
      folder = gw20::qtui::ToQtFileName(argv[i]);
    } else {
      folder.clear();
      break;
    }
  }
  const double factor = scale.isEmpty() ? 1.0 : scale.toDouble();
  if (folder.isEmpty() || factor <= 0 || screen.isEmpty()) {
    std::fprintf(stderr,
                 "usage: gw20render OUTDIR [--scale FACTOR] [--screen WIDTHxHEIGHT]\n"
                 "  the screen is in the windows' pixels, before scaling; 1920x1080 unless given\n");
    return kExitUsage;
  }
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "cannot create the folder %s\n", qPrintable(folder));
    return kExitFailed;
  }
  // All must be set before the application starts to take effect; the
  // screen file must stay until then.
  if (!scale.isEmpty()) qputenv("QT_SCALE_FACTOR", scale);
  QTemporaryFile screenFile;
  if (!UseOffscreenScreen(screen * factor, screenFile) && screenGiven) {
    std::fprintf(stderr, "the screen size applies to the offscreen platform only\n");
  }

  QApplication application(argc, argv);
  gw20::appqt::StyleApplication();
  const int result = RenderAll(folder);
  // Views of unloaded forms are deleted later; let that happen while Qt is up.
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return result;
}
