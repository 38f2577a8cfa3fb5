// Writing a plan: the keys in the order docs/PLANS.md lists them, laid out as
// common JSON tools lay it out (two-space indent, "key": value, one member a
// line), so a file passed through such a tool keeps its text.

#include <string>
#include <vector>

#include "eds/staged_file.h"
#include "plans/json_document.h"
#include "plans/plan_file.h"
#include "platform/ui/number_text.h"

namespace gw20::plans {
namespace {

class PrettyJson {
 public:
  PrettyJson() { Open('{'); }

  void Member(std::string_view key, const std::string& literal) {
    Next();
    Key(key);
    text_ += literal;
  }
  // An object or a list as a member (`key` given) or as a list element.
  void Open(std::string_view key, char bracket) {
    Next();
    Key(key);
    Open(bracket);
  }
  void Open(char bracket) {
    text_ += bracket;
    empty_.push_back(true);
  }
  void Close(char bracket) {
    const bool empty = empty_.back();
    empty_.pop_back();
    if (!empty) NewLine();
    text_ += bracket;
  }
  std::string Finish() {
    Close('}');
    return text_ + "\n";
  }
  void Next() {
    if (!empty_.back()) text_ += ",";
    empty_.back() = false;
    NewLine();
  }

 private:
  void Key(std::string_view key) { text_ += JsonQuote(key) + ": "; }
  void NewLine() {
    text_ += "\n";
    text_.append(2 * empty_.size(), ' ');
  }

  std::string text_;
  std::vector<bool> empty_;  // per open bracket: nothing written inside yet
};

// The program's 8-bit text as a JSON string.
std::string Text(const std::string& latin1) { return JsonQuote(Latin1ToUtf8(latin1)); }

std::string Number(int value) { return std::to_string(value); }
std::string Hex(int value) { return "\"" + ui::H2(value) + "\""; }
std::string Boolean(bool value) { return value ? "true" : "false"; }

void WriteSerial(PrettyJson& out, std::string_view key, const PlanSerial& serial) {
  out.Open(key, '{');
  out.Member("bitRateBps", Number(serial.bitRateBps));
  out.Member("checksum", Boolean(serial.checksum));
  out.Member("timeoutMs", Number(serial.timeoutMs));
  out.Close('}');
}

void WriteErrorControl(PrettyJson& out, const PlanErrorControl& e) {
  out.Open("canopen", '{');
  if (e.protocol == ErrorControlProtocol::Heartbeat) {
    out.Member("errorControl", Text("heartbeat"));
    out.Member("heartbeatTimeMs", Number(e.heartbeatTimeMs));
  } else {
    out.Member("errorControl", Text("guarding"));
    out.Member("guardTimeMs", Number(e.guardTimeMs));
    out.Member("lifeTimeFactor", Number(e.lifeTimeFactor));
  }
  out.Member("otherFlags", Hex(e.otherFlags));
  out.Close('}');
}

void WriteDeviceNet(PrettyJson& out, const PlanDeviceNet& d) {
  out.Open("deviceNet", '{');
  for (std::size_t slot = 0; slot < d.connections.size(); ++slot) {
    out.Open(kSlotKeys[slot], '{');
    out.Member("produced", Text(d.connections[slot].produced));
    out.Member("consumed", Text(d.connections[slot].consumed));
    out.Close('}');
  }
  out.Member("defaultConnection", Text(d.defaultConnection));
  out.Close('}');
}

}  // namespace

std::string WritePlanText(const Plan& plan) {
  PrettyJson out;
  out.Member("format", Text(std::string(kPlanFormat)));
  out.Member("profile", Text(std::string(ProfileName(plan.profile))));
  out.Member("nodeId", Number(plan.nodeId));
  out.Member("canBitRateKbps", Number(plan.canBitRateKbps));
  if (!plan.firmware.empty()) out.Member("firmware", Text(plan.firmware));
  WriteSerial(out, "fieldPort", plan.fieldPort);
  WriteSerial(out, "scan", plan.scan);
  out.Open("modules", '[');
  for (const PlanModule& m : plan.modules) {
    out.Next();
    out.Open('{');
    out.Member("address", Hex(m.address));
    out.Member("model", Text(m.model));
    out.Member("typeCode", Hex(m.typeCode));
    out.Member("dataFormat", Hex(m.dataFormat));
    out.Close('}');
  }
  out.Close(']');
  out.Open("edsInfo", '{');
  out.Member("description", Text(plan.edsInfo[eds::kEdsDescription]));
  out.Member("createdBy", Text(plan.edsInfo[eds::kEdsCreator]));
  out.Close('}');
  if (plan.profile == Profile::CANopen) {
    WriteErrorControl(out, plan.errorControl);
  } else {
    WriteDeviceNet(out, plan.deviceNet);
  }
  return out.Finish();
}

std::optional<PlanError> WritePlan(const std::filesystem::path& path, const Plan& plan) {
  if (const auto problem = CheckPlan(plan))
    return PlanError{path.string(), 0, 0, problem->path, problem->reason};
  eds::StagedFile file;
  eds::FileWriteResult result = file.Stage(path, WritePlanText(plan));
  if (result.ok) result = file.Place();
  if (!result.ok) return PlanError{result.path.string(), 0, 0, "", result.reason};
  return std::nullopt;
}

}  // namespace gw20::plans
