#include "app/cli/check_command.h"

#include "plans/json_document.h"

namespace gw20::cli {
namespace {

std::string JsonSide(const std::optional<plans::DifferenceValue>& value) {
  return value ? value->json : std::string("null");
}

}  // namespace

std::string DifferencesText(const CheckOutcome& outcome, const ComparedSides& sides) {
  std::string text;
  for (const std::string& line : plans::OutcomeLines(outcome, sides.first, sides.second)) text += line + "\n";
  return text;
}

std::string DifferencesJson(const CheckOutcome& outcome, const ComparedSides& sides) {
  std::string json =
      "{\n  \"same\": " + std::string(outcome.Holds() ? "true" : "false") + ",\n  \"noPlan\": ";
  // The message is the program's 8-bit text; JSON is UTF-8.
  json += outcome.noPlan.empty() ? "null" : plans::JsonQuote(plans::Latin1ToUtf8(outcome.noPlan));
  json += ",\n  \"differences\": [";
  for (std::size_t i = 0; i < outcome.differences.size(); ++i) {
    const auto& d = outcome.differences[i];
    json += std::string(i == 0 ? "" : ",") + "\n    {\"key\": " + plans::JsonQuote(d.key) + ", \"" +
            std::string(sides.firstKey) + "\": " + JsonSide(d.first) + ", \"" + std::string(sides.secondKey) +
            "\": " + JsonSide(d.second) + "}";
  }
  json += outcome.differences.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return json;
}

}  // namespace gw20::cli
