#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/eeprom.h"
#include "sim/field_port.h"

namespace gw20::sim {

// The controller's command interpreter: takes complete command lines and
// answers them. Each answer is zero or more lines ending "\r\n" followed by
// the prompt of the mode the console is then in (no line end after it).
// Error lines never contain ">", "]" or "-->", which the PC side treats as
// prompts.
//
// Modes: main (prompt MODEL ">"), EEPROM ("[EEPROM:]"), word edit ("-->",
// shown after the "Long(a)=v" line) and field-port pass-through ("[COM2:]").
class Console {
 public:
  // `eeprom` and `fieldPort` must outlive the console.
  Console(std::string model, Eeprom& eeprom, FieldPort& fieldPort);

  // Handles one line (the characters before CR, without it) and returns the
  // answer. A line that arrives while the field port is busy first stops the
  // scan or query (the answer then starts with the field port's notice).
  std::string HandleLine(std::string_view line);
  // Runs the field port's scan or query on; returns what it printed meanwhile.
  std::string Advance(std::chrono::milliseconds elapsed);
  // The prompt of the current mode.
  std::string_view Prompt() const;

 private:
  enum class Mode { kMain, kEeprom, kEdit, kFieldPort };

  std::string HandleModeLine(std::string_view line);
  std::string HandleMain(const std::vector<std::string_view>& words);
  std::string HandleEeprom(const std::vector<std::string_view>& words);
  std::string HandleEdit(std::string_view line);
  std::string HandleFieldPort(std::string_view line);

  // The prompt as shown after an answer: in edit mode it is preceded by the word being edited.
  std::string Reprompt() const;
  std::string Error(std::string_view message) const;

  std::string mainPrompt_;
  Eeprom& eeprom_;
  FieldPort& fieldPort_;
  Mode mode_ = Mode::kMain;
  int block_ = 0;
  int editAddress_ = 0;
};

}  // namespace gw20::sim
