#pragma once
// The required exchanges of a procedure: each one is passed on to the
// console, and the first that fails is remembered so the procedure can say
// which command got no answer, or came back other than typed.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "link/link_fwd.h"

namespace gw20::link {

class ConsoleSteps {
 public:
  // `console` must outlive the steps.
  explicit ConsoleSteps(Console& console) : console_(console) {}

  // ConsoleExchange; false (and remembered) when Prompt did not arrive in time
  // or the command's echo differed (EchoDiffered).
  bool Exchange(std::string_view Command, std::string_view Prompt);
  // ConsoleReadValue; false (and remembered) when Key and the edit prompt did
  // not arrive in time or the command's echo differed. Value and Clean are
  // written only on success.
  bool Read(std::string_view Command, std::string_view Key, std::uint32_t& Value);
  bool Read(std::string_view Command, std::string_view Key, std::uint32_t& Value, bool& Clean);
  // ConsoleEnter: Enter alone, completing a line that came back other than
  // typed; the index of the prompt that came, -1 (and remembered) when none
  // did. From then on EnteredBrokenLine() holds.
  int Enter(std::initializer_list<std::string_view> Prompts);
  // ConsoleExchange whose result does not count: it only brings the console
  // into a known state.
  void Try(std::string_view Command, std::string_view Prompt);

  // The last failed step came back other than typed: its Enter was not
  // typed, so the command is still half-typed in the console's line.
  bool EchoDiffered() const { return echoDiffered_; }
  // A line that came back other than typed was entered (Enter) and its word
  // has not been read back as intended since (Settled): it may hold a value
  // nobody meant.
  bool EnteredBrokenLine() const { return entered_; }
  void Settled() { entered_ = false; }
  // Where the last failure happened, e.g. `no "[EEPROM:]" after "block 0"`
  // or `"bl#" came back for "block 0"`; empty while nothing failed.
  const std::string& FailureText() const { return failure_; }

 private:
  bool Note(bool ok, std::string_view Command, std::string_view awaited);

  Console& console_;
  std::string failure_;
  bool echoDiffered_ = false;
  bool entered_ = false;
};

}  // namespace gw20::link
