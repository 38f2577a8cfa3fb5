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

#include "app/app_state.h"
#include "canopen/canopen_eds_writer.h"
#include "canopen/copeds_f.h"
#include "devicenet/dns_eds_writer.h"
#include "devicenet/dnseds_set.h"
#include "eds/staged_file.h"
#include "link/eeprom_image.h"
#include "link/eeprom_procedures.h"
#include "plans/plan_state.h"
#include "platform/qt/file_name.h"
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

QJsonValue Text(const std::string& latin1) { return qtui::ToQString(latin1); }

}  // namespace

ScanAnswers ScanAnswersOf(const plans::Plan& plan) {
  ScanAnswers answers;
  answers.baudIndex = plans::FieldBaudIndexOf(plan.scan.bitRateBps).value_or(link::kDefaultScanBaudIndex);
  answers.checksum = plan.scan.checksum ? 1 : 0;
  answers.timeoutText = std::to_string(plan.scan.timeoutMs);
  return answers;
}

PlanCommit PreparePlanCommit(const plans::Plan& plan, const link::FirmwareFields& firmware,
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
      return {std::nullopt, {}, 2};
    }
    prepared = page.PrepareCommit();
  }
  if (!prepared) return {std::nullopt, {}, 1};
  // PrepareCommit left the image in the state, as Finish leaves it before sending.
  return {std::move(prepared), WrittenBlocks(state.eeprom, plan.profile == plans::Profile::DeviceNet), 0};
}

PlanEdsResult WritePlanEds(const plans::Plan& plan, const link::FirmwareFields& firmware,
                           ui::Services& services, std::ostream& err) {
  const PlanCommit commit = PreparePlanCommit(plan, firmware, services, err);
  if (!commit.prepared) return {std::nullopt, commit.exitCode};
  const auto& prepared = commit.prepared;
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

EdsTextsResult ReadEdsTexts(const std::filesystem::path& path) {
  const ui::FileReadResult read = ui::ReadRegularFile(path, kMaxHashedBytes);
  if (!read.ok) return {std::nullopt, read.reason};
  if (read.text.size() > kMaxHashedBytes) return {std::nullopt, "too large for an EDS file"};
  if (auto info = canopen::ReadCanopenEdsTexts(read.text)) return {std::move(info), {}};
  if (auto info = devicenet::ReadDnsEdsTexts(read.text)) return {std::move(info), {}};
  return {std::nullopt,
          "no EDS file of a commit: it has neither [FileInfo] Description and CreatedBy nor "
          "a \"$ File Description Section :\""};
}

std::vector<WrittenBlock> WrittenBlocks(const link::EepromImage& image, bool deviceNet) {
  // By block number, as the records list them.
  std::vector<WrittenBlock> blocks = link::CommitBlocks(image, deviceNet);
  std::ranges::sort(blocks, {}, &WrittenBlock::block);
  return blocks;
}

FileHash FileSha256(const std::filesystem::path& path) {
  // Read as the plan is read: a FIFO put at its name meanwhile never blocks.
  const ui::FileReadResult read = ui::ReadRegularFile(path, kMaxHashedBytes);
  if (!read.ok) return {{}, "cannot read " + path.string() + " to hash it for the record: " + read.reason};
  if (read.text.size() > kMaxHashedBytes) {
    return {{}, "cannot hash " + path.string() + " for the record: it is larger than 64 MiB"};
  }
  return {QCryptographicHash::hash(QByteArray::fromStdString(read.text), QCryptographicHash::Sha256)
              .toHex()
              .toStdString(),
          {}};
}

std::string LocalTimeNow() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

namespace {

QJsonObject BlockJson(const WrittenBlock& b) {
  QJsonArray words;
  for (const std::uint32_t w : b.words) words.append(static_cast<double>(w));
  return QJsonObject{{"block", b.block}, {"address", b.address}, {"words", words}};
}

}  // namespace

std::string BlockText(const WrittenBlock& block) {
  return QJsonDocument(BlockJson(block)).toJson(QJsonDocument::Compact).toStdString();
}

std::string CommissioningRecordJson(const CommissioningRecord& record) {
  QJsonArray blocks;
  for (const WrittenBlock& b : record.blocks) blocks.append(BlockJson(b));
  const QJsonObject root{
      {"port", qtui::ToQtFileName(record.port)},
      {"node", record.node},
      {"version", QString::fromStdString(record.version)},
      {"controllerPrompt", Text(record.controllerPrompt)},
      {"firmware", Text(record.firmware)},
      {"time", Text(record.time)},
      {"plan",
       QJsonObject{{"file", qtui::ToQtFileName(record.planFile)}, {"sha256", Text(record.planSha256)}}},
      {"blocks", blocks},
      {"eds", QJsonObject{{"file", qtui::ToQtFileName(record.edsFile)}, {"sha256", Text(record.edsSha256)}}},
      {"verify", record.verified ? "passed" : "not requested"},
  };
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
