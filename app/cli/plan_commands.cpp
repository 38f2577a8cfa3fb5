#include "app/cli/plan_commands.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <array>
#include <charconv>

#include "app/app_state.h"
#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "eds/staged_file.h"
#include "link/eeprom_image.h"
#include "link/eeprom_procedures.h"
#include "plans/plan_state.h"
#include "platform/qt/latin1.h"
#include "platform/ui/regular_file.h"
#include "platform/ui/services.h"

namespace gw20::cli {
namespace {

// Plans and EDS files are kilobytes; anything this large is no file of ours.
constexpr std::size_t kMaxHashedBytes = std::size_t{64} << 20;

// Forwards the windows' messages, except while muted: a page loaded for a
// file alone greets no operator ("This is a new Setting for DNS gateway").
class MutableMessages : public ui::MessageBoxService {
 public:
  explicit MutableMessages(ui::MessageBoxService& to) : to_(to) {}
  ui::MessageAnswer Show(const std::string& text, const std::string& title,
                         ui::MessageButtons buttons) override {
    if (muted) return ui::MessageAnswer::Ok;
    return to_.Show(text, title, buttons);
  }
  void Note(const std::string& category, const std::string& text) override {
    if (!muted) to_.Note(category, text);
  }
  bool muted = false;

 private:
  ui::MessageBoxService& to_;
};

std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0)
    return std::nullopt;
  return value;
}

QJsonValue Text(const std::string& latin1) { return qtui::ToQString(latin1); }

}  // namespace

ScanAnswers ScanAnswersOf(const plans::Plan& plan) {
  ScanAnswers answers;
  answers.baudIndex = plans::FieldBaudIndexOf(plan.scan.bitRateBps).value_or(link::kDefaultScanBaudIndex);
  answers.checksum = plan.scan.checksum ? 1 : 0;
  answers.timeoutText = std::to_string(plan.scan.timeoutMs);
  return answers;
}

std::optional<link::FirmwareFields> ParseFirmwareText(std::string_view text) {
  const auto dot = text.find('.');
  const auto dash = text.find('-');
  const auto slash1 = text.find('/');
  const auto slash2 = text.rfind('/');
  if (dot == std::string_view::npos || dash == std::string_view::npos || slash1 == std::string_view::npos ||
      !(dot < dash && dash < slash1 && slash1 < slash2)) {
    return std::nullopt;
  }
  const auto major = Number(text.substr(0, dot));
  const auto minor = Number(text.substr(dot + 1, dash - dot - 1));
  const auto year = Number(text.substr(dash + 1, slash1 - dash - 1));
  const auto month = Number(text.substr(slash1 + 1, slash2 - slash1 - 1));
  const auto day = Number(text.substr(slash2 + 1));
  constexpr int kByte = 255;
  if (!major || !minor || !year || !month || !day || *major > kByte || *minor > kByte ||
      *year > link::kIntegerMax || *month > 12 || *day > 31) {
    return std::nullopt;
  }
  return link::FirmwareFields{*major, *minor, *year, *month, *day};
}

PlanEdsResult WritePlanEds(const plans::Plan& plan, const link::FirmwareFields& firmware,
                           ui::Services& services, std::ostream& err) {
  app::AppState state;
  plans::SetGatewayParameters(plan, state.params);
  plans::LoadChain(plan, state.modules);
  state.eeprom.FirmwareMajor = firmware.FirmwareMajor;
  state.eeprom.FirmwareMinor = firmware.FirmwareMinor;
  state.eeprom.FirmwareYear = firmware.FirmwareYear;
  state.eeprom.FirmwareMonth = firmware.FirmwareMonth;
  state.eeprom.FirmwareDay = firmware.FirmwareDay;
  MutableMessages messages(services.messages);
  ui::Services quiet{messages,       services.forms,  services.events, services.ticks,
                     services.clock, services.folder, services.port,   services.files};
  ui::TextBox status{"CommunicationState"};
  const pages::MainWindowLink main{status, services.port, 1, {}};

  // The page's own Finish builds image and file; nothing is sent.
  std::optional<pages::PreparedCommit> prepared;
  if (plan.profile == plans::Profile::CANopen) {
    canopen::COPEDS_F page(app::CanopenPageStateOf(state), quiet, main);
    messages.muted = true;
    page.Load();
    messages.muted = false;
    MakeCanopenChoices(page, state.errorControl, plan);
    prepared = page.PrepareCommit();
  } else {
    devicenet::DNSEdsSet page(app::DeviceNetPageStateOf(state), quiet, main);
    messages.muted = true;
    page.Load();
    messages.muted = false;
    std::string problem;
    const ChoiceOutcome outcome = MakeDeviceNetChoices(page, state.choices, plan, problem);
    if (outcome != ChoiceOutcome::Made) {
      if (!problem.empty()) err << "gw20cli: " << problem << std::endl;
      return {std::nullopt, 2};
    }
    prepared = page.PrepareCommit();
  }
  if (!prepared) return {std::nullopt, 1};
  const std::filesystem::path path = services.folder.Path() / prepared->fileName;
  eds::StagedFile file;
  auto written = file.Stage(path, prepared->fileText);
  if (written.ok) written = file.Place();
  if (!written.ok) {
    err << "gw20cli: cannot write " << written.path.string() << ": " << written.reason << std::endl;
    return {std::nullopt, 1};
  }
  return {path, 0};
}

std::vector<WrittenBlock> WrittenBlocks(const link::EepromImage& image, bool deviceNet) {
  // By block number, as the records list them.
  std::vector<WrittenBlock> blocks = link::CommitBlocks(image, deviceNet);
  std::ranges::sort(blocks, {}, &WrittenBlock::block);
  return blocks;
}

std::string FileSha256(const std::filesystem::path& path) {
  // Read as the plan is read: a FIFO put at its name meanwhile never blocks.
  const ui::FileReadResult read = ui::ReadRegularFile(path, kMaxHashedBytes);
  if (!read.ok || read.text.size() > kMaxHashedBytes) return {};
  return QCryptographicHash::hash(QByteArray::fromStdString(read.text), QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

std::string LocalTimeNow() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

std::string CommissioningRecordJson(const CommissioningRecord& record) {
  QJsonArray blocks;
  for (const WrittenBlock& b : record.blocks) {
    QJsonArray words;
    for (const std::uint32_t w : b.words) words.append(static_cast<double>(w));
    blocks.append(QJsonObject{{"block", b.block}, {"address", b.address}, {"words", words}});
  }
  const QJsonObject root{
      {"controllerPrompt", Text(record.controllerPrompt)},
      {"firmware", Text(record.firmware)},
      {"time", Text(record.time)},
      {"plan", QJsonObject{{"file", QString::fromStdString(record.planFile.string())},
                           {"sha256", Text(record.planSha256)}}},
      {"blocks", blocks},
      {"eds", QJsonObject{{"file", QString::fromStdString(record.edsFile.string())},
                          {"sha256", Text(record.edsSha256)}}},
      {"verify", record.verified ? "passed" : "not requested"},
  };
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
