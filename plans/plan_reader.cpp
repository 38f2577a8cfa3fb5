// Reading a plan: the JSON layer finds the values and where they stand, this
// layer checks the keys and types, then CheckPlan the values themselves.

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <map>
#include <span>
#include <utility>

#include "plans/json_document.h"
#include "plans/plan_file.h"
#include "platform/ui/regular_file.h"

namespace gw20::plans {
namespace {

// Where the value at `path`, or else the nearest enclosing one, stands;
// nullptr when not even the root's place is known.
const JsonPosition* NearestPosition(const std::map<std::string, JsonPosition>& positions, std::string path) {
  for (;;) {
    if (const auto found = positions.find(path); found != positions.end()) return &found->second;
    const auto cut = path.find_last_of(".[");
    if (cut == std::string::npos) {
      const auto root = positions.find("");
      return root == positions.end() ? nullptr : &root->second;
    }
    path.resize(cut);
  }
}

using Keys = std::span<const std::string_view>;

constexpr std::string_view kCanopenRootKeys[] = {
    "format", "profile", "nodeId", "canBitRateKbps", "fieldPort", "scan", "modules", "edsInfo", "canopen"};
constexpr std::string_view kDeviceNetRootKeys[] = {
    "format", "profile", "nodeId", "canBitRateKbps", "fieldPort", "scan", "modules", "edsInfo", "deviceNet"};
constexpr std::string_view kSerialKeys[] = {"bitRateBps", "checksum", "timeoutMs"};
constexpr std::string_view kModuleKeys[] = {"address", "model", "typeCode", "dataFormat"};
constexpr std::string_view kEdsInfoKeys[] = {"description", "createdBy"};
constexpr std::string_view kGuardingKeys[] = {"errorControl", "guardTimeMs", "lifeTimeFactor", "otherFlags"};
constexpr std::string_view kHeartbeatKeys[] = {"errorControl", "heartbeatTimeMs", "otherFlags"};
constexpr std::string_view kDeviceNetKeys[] = {"poll", "strobe", "cosCyclic", "defaultConnection"};
constexpr std::string_view kConnectionKeys[] = {"produced", "consumed"};
// What a hint of ExpectKeys says for a key that may be left out.
constexpr std::string_view kOptional = "optional";
constexpr std::string_view kLatin1Reason = "a character outside Latin-1; the program's texts are 8-bit";

std::string Join(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

// A value or a key that is not as a plan needs it; caught by ParsePlan.
struct Refusal {
  std::string path;
  JsonPosition at;
  std::string reason;
};

std::string KeyList(Keys keys) {
  std::string text;
  for (const std::string_view key : keys) text += (text.empty() ? "" : ", ") + std::string(key);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class PlanReader {
 public:
  Plan Read(const JsonValue& root) {
    Plan plan;
    if (root.kind != JsonKind::Object) throw Refusal{"", root.at, "a plan is one JSON object: { ... }"};
    // The format first: a later format may well have keys this one does not.
    const JsonValue& format = Required(root, "", "format");
    const std::string formatName = Text(format, "format");
    if (formatName != kPlanFormat && formatName != kPlanFormatFirst) {
      throw Refusal{"format", format.at,
                    ShownQuote(format.text) + " is not a format this program reads; it reads " +
                        JsonQuote(kPlanFormat) + " and " + JsonQuote(kPlanFormatFirst)};
    }
    // The first format knows no firmware; the second may name it.
    const bool mayNameFirmware = formatName == kPlanFormat;
    const JsonValue& profileValue = Required(root, "", "profile");
    const std::string profile = Text(profileValue, "profile");
    if (profile == ProfileName(Profile::DeviceNet)) {
      plan.profile = Profile::DeviceNet;
    } else if (profile != ProfileName(Profile::CANopen)) {
      throw Refusal{"profile", profileValue.at,
                    ShownQuote(profileValue.text) + " is not a profile; use \"canopen\" or \"devicenet\""};
    }
    const bool canopen = plan.profile == Profile::CANopen;
    ExpectKeys(root, "", canopen ? Keys(kCanopenRootKeys) : Keys(kDeviceNetRootKeys),
               [&](std::string_view key) {
                 if (key == "deviceNet" && canopen)
                   return std::string("a CANopen plan has no DeviceNet part");
                 if (key == "canopen" && !canopen) return std::string("a DeviceNet plan has no CANopen part");
                 if (key == "firmware") {
                   return mayNameFirmware ? std::string(kOptional)
                                          : "a " + JsonQuote(kPlanFormatFirst) + " plan has no firmware; a " +
                                                JsonQuote(kPlanFormat) + " plan may name it";
                 }
                 return std::string();
               });
    if (const JsonValue* firmware = root.Member("firmware")) plan.firmware = Text(*firmware, "firmware");
    plan.nodeId = Number(*root.Member("nodeId"), "nodeId");
    plan.canBitRateKbps = Number(*root.Member("canBitRateKbps"), "canBitRateKbps");
    plan.fieldPort = Serial(*root.Member("fieldPort"), "fieldPort");
    plan.scan = Serial(*root.Member("scan"), "scan");
    ReadModules(*root.Member("modules"), plan.modules);
    const JsonValue& texts = *root.Member("edsInfo");
    ExpectKeys(texts, "edsInfo", kEdsInfoKeys);
    plan.edsInfo[eds::kEdsDescription] = Text(*texts.Member("description"), "edsInfo.description");
    plan.edsInfo[eds::kEdsCreator] = Text(*texts.Member("createdBy"), "edsInfo.createdBy");
    if (canopen) {
      plan.errorControl = ErrorControl(*root.Member("canopen"));
    } else {
      plan.deviceNet = DeviceNet(*root.Member("deviceNet"));
    }
    return plan;
  }

  // Where the value at `path`, or else the nearest enclosing one, stands.
  JsonPosition PositionOf(const std::string& path) const { return *NearestPosition(positions_, path); }

  void Remember(const std::string& path, const JsonPosition& at) { positions_[path] = at; }
  const std::map<std::string, JsonPosition>& Positions() const { return positions_; }

 private:
  // `object` must be an object with exactly `keys`: the first unknown key in
  // the order written, else the first missing one in the order of `keys`, is
  // refused. `hint` may say more about an unknown key than that it is one.
  template <typename Hint>
  void ExpectKeys(const JsonValue& object, const std::string& path, Keys keys, Hint hint) {
    Expect(object, path, JsonKind::Object, "an object: { ... }");
    for (std::size_t i = 0; i < object.keys.size(); ++i) {
      const std::string& key = object.keys[i];
      if (std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
      std::string reason = hint(key);
      if (reason == kOptional) continue;
      if (reason.empty()) reason = "unknown key; here the keys are " + KeyList(keys);
      throw Refusal{Join(path, ShownText(key)), object.keyAt[i], reason};
    }
    for (const std::string_view key : keys) Required(object, path, key);
  }
  void ExpectKeys(const JsonValue& object, const std::string& path, Keys keys) {
    ExpectKeys(object, path, keys, [](std::string_view) { return std::string(); });
  }

  const JsonValue& Required(const JsonValue& object, const std::string& path, std::string_view key) {
    const JsonValue* value = object.Member(key);
    if (value == nullptr) throw Refusal{Join(path, key), object.at, "missing"};
    return *value;
  }

  void Expect(const JsonValue& value, const std::string& path, JsonKind kind, std::string_view what) {
    Remember(path, value.at);
    if (value.kind != kind) throw Refusal{path, value.at, "must be " + std::string(what)};
  }

  // A whole number; one beyond int is kept as the nearest int, which no
  // range of a plan takes, so CheckPlan refuses it with its range.
  int Number(const JsonValue& value, const std::string& path) {
    Expect(value, path, JsonKind::Number, "a whole number");
    if (value.text.find_first_of(".eE") != std::string::npos) {
      throw Refusal{path, value.at, "must be a whole number"};
    }
    long long number = 0;
    const char* end = value.text.data() + value.text.size();
    if (std::from_chars(value.text.data(), end, number).ec != std::errc{}) {
      number = value.text.starts_with('-') ? LLONG_MIN : LLONG_MAX;
    }
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
  }

  bool Boolean(const JsonValue& value, const std::string& path) {
    Expect(value, path, JsonKind::Boolean, "true or false");
    return value.boolean;
  }

  // The text as the program's 8-bit text.
  std::string Text(const JsonValue& value, const std::string& path) {
    Expect(value, path, JsonKind::String, "a text in double quotes");
    std::string latin1;
    for (std::size_t i = 0; i < value.text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(value.text[i]);
      if (byte < 0x80) {
        latin1 += static_cast<char>(byte);
      } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < value.text.size()) {
        // Two-byte forms with a lead of C2 or C3 are exactly U+0080..U+00FF.
        const auto next = static_cast<unsigned char>(value.text[++i]);
        latin1 += static_cast<char>(((byte & 0x03) << 6) | (next & 0x3F));
      } else {
        throw OutsideLatin1(value, path, i);
      }
    }
    return latin1;
  }

  // The text's character at byte `at` names itself and its place: the column
  // counts from the value's opening quote, as written when no escape comes
  // before it.
  static Refusal OutsideLatin1(const JsonValue& value, const std::string& path, std::size_t at) {
    const std::string_view text = value.text;
    int before = 0;
    for (std::size_t i = 0; i < at; ++i)
      before += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 ? 1 : 0;
    const auto lead = static_cast<unsigned char>(text[at]);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    std::uint32_t code = lead & (0x7Fu >> length);
    for (int k = 1; k < length && at + static_cast<std::size_t>(k) < text.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(text[at + static_cast<std::size_t>(k)]) & 0x3Fu);
    }
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
    const JsonPosition place{value.at.line, value.at.column + 1 + before};
    return Refusal{path, place,
                   "holds " + std::string(name) + " at column " + std::to_string(place.column) + ", " +
                       std::string(kLatin1Reason)};
  }

  int Hex(const JsonValue& value, const std::string& path) {
    const std::string text = Text(value, path);
    if (text.size() != 2 || HexDigit(text[0]) < 0 || HexDigit(text[1]) < 0) {
      throw Refusal{path, value.at, "must be two hexadecimal digits, like \"0A\""};
    }
    return HexDigit(text[0]) * 16 + HexDigit(text[1]);
  }

  PlanSerial Serial(const JsonValue& object, const std::string& path) {
    ExpectKeys(object, path, kSerialKeys);
    return {Number(*object.Member("bitRateBps"), Join(path, "bitRateBps")),
            Boolean(*object.Member("checksum"), Join(path, "checksum")),
            Number(*object.Member("timeoutMs"), Join(path, "timeoutMs"))};
  }

  void ReadModules(const JsonValue& list, std::vector<PlanModule>& chain) {
    Expect(list, "modules", JsonKind::Array, "a list: [ ... ]");
    for (std::size_t i = 0; i < list.items.size(); ++i) {
      const JsonValue& object = list.items[i];
      const std::string path = "modules[" + std::to_string(i) + "]";
      ExpectKeys(object, path, kModuleKeys);
      chain.push_back({Hex(*object.Member("address"), Join(path, "address")),
                       Text(*object.Member("model"), Join(path, "model")),
                       Hex(*object.Member("typeCode"), Join(path, "typeCode")),
                       Hex(*object.Member("dataFormat"), Join(path, "dataFormat"))});
    }
  }

  PlanErrorControl ErrorControl(const JsonValue& object) {
    Expect(object, "canopen", JsonKind::Object, "an object: { ... }");
    PlanErrorControl e;
    const JsonValue& protocol = Required(object, "canopen", "errorControl");
    const std::string name = Text(protocol, "canopen.errorControl");
    if (name == "heartbeat") {
      e.protocol = ErrorControlProtocol::Heartbeat;
    } else if (name != "guarding") {
      throw Refusal{
          "canopen.errorControl", protocol.at,
          ShownQuote(protocol.text) + " is not an error control; use \"guarding\" or \"heartbeat\""};
    }
    const bool heartbeat = e.protocol == ErrorControlProtocol::Heartbeat;
    ExpectKeys(object, "canopen", heartbeat ? Keys(kHeartbeatKeys) : Keys(kGuardingKeys),
               [&](std::string_view key) {
                 if (key == "heartbeatTimeMs")
                   return std::string("goes with \"errorControl\": \"heartbeat\"");
                 if (key == "guardTimeMs" || key == "lifeTimeFactor") {
                   return std::string("goes with \"errorControl\": \"guarding\"");
                 }
                 return std::string();
               });
    if (heartbeat) {
      e.heartbeatTimeMs = Number(*object.Member("heartbeatTimeMs"), "canopen.heartbeatTimeMs");
    } else {
      e.guardTimeMs = Number(*object.Member("guardTimeMs"), "canopen.guardTimeMs");
      e.lifeTimeFactor = Number(*object.Member("lifeTimeFactor"), "canopen.lifeTimeFactor");
    }
    e.otherFlags = Hex(*object.Member("otherFlags"), "canopen.otherFlags");
    return e;
  }

  PlanDeviceNet DeviceNet(const JsonValue& object) {
    ExpectKeys(object, "deviceNet", kDeviceNetKeys);
    PlanDeviceNet d;
    for (std::size_t slot = 0; slot < std::size(kSlotKeys); ++slot) {
      const std::string path = Join("deviceNet", kSlotKeys[slot]);
      const JsonValue& connection = *object.Member(kSlotKeys[slot]);
      ExpectKeys(connection, path, kConnectionKeys);
      d.connections[slot] = {Text(*connection.Member("produced"), Join(path, "produced")),
                             Text(*connection.Member("consumed"), Join(path, "consumed"))};
    }
    d.defaultConnection = Text(*object.Member("defaultConnection"), "deviceNet.defaultConnection");
    return d;
  }

  std::map<std::string, JsonPosition> positions_;
};

PlanReadResult Refused(const std::string& file, const JsonPosition& at, std::string path,
                       std::string reason) {
  return {std::nullopt, {file, at.line, at.column, std::move(path), std::move(reason)}, {}};
}

PlanReadResult FileRefused(const std::filesystem::path& path, std::string reason) {
  return {std::nullopt, {path.string(), 0, 0, "", std::move(reason)}, {}};
}

}  // namespace

std::string PlanError::Text() const {
  std::string text = file;
  if (line > 0) text += (text.empty() ? "" : ":") + std::to_string(line) + ":" + std::to_string(column);
  if (!text.empty()) text += ": ";
  if (!path.empty()) text += path + ": ";
  return text + reason;
}

PlanError PlanReadResult::ErrorAt(const std::string& file, const PlanProblem& problem) const {
  const JsonPosition* at = NearestPosition(places, problem.path);
  return at == nullptr ? PlanError{file, 0, 0, problem.path, problem.reason}
                       : PlanError{file, at->line, at->column, problem.path, problem.reason};
}

PlanReadResult ParsePlan(std::string_view text, const std::string& fileName) {
  JsonSyntaxError syntax;
  const std::optional<JsonValue> root = ParseJson(text, syntax);
  if (!root) return Refused(fileName, syntax.at, "", syntax.reason);
  PlanReader reader;
  reader.Remember("", root->at);
  try {
    Plan plan = reader.Read(*root);
    if (const auto problem = CheckPlan(plan)) {
      return Refused(fileName, reader.PositionOf(problem->path), problem->path, problem->reason);
    }
    return {std::move(plan), {}, reader.Positions()};
  } catch (const Refusal& refusal) {
    return Refused(fileName, refusal.at, refusal.path, refusal.reason);
  }
}

PlanReadResult ReadPlan(const std::filesystem::path& path) {
  // A FIFO or a device at the name is refused at once, never waited on.
  ui::FileReadResult read = ui::ReadRegularFile(path, kMaxPlanFileBytes);
  if (!read.ok) return FileRefused(path, std::move(read.reason));
  if (read.text.size() > kMaxPlanFileBytes) {
    return FileRefused(path, "larger than " + std::to_string(kMaxPlanFileBytes >> 10) +
                                 " KiB; a plan is a few kilobytes of JSON");
  }
  return ParsePlan(read.text, path.string());
}

}  // namespace gw20::plans
