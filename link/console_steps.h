#pragma once
// The required exchanges of a procedure: each one is passed on to the
// console, and the first that fails is remembered so the procedure can say
// which command got no answer.

#include <cstdint>
#include <string>
#include <string_view>

namespace gw20::link {

class Console;

class ConsoleSteps {
 public:
  // `console` must outlive the steps.
  explicit ConsoleSteps(Console& console) : console_(console) {}

  // ConsoleExchange; false (and remembered) when Prompt did not arrive in time.
  bool Exchange(std::string_view Command, std::string_view Prompt);
  // ConsoleReadValue; false (and remembered) when Key and the edit prompt did
  // not arrive in time. Value is written only on success.
  bool Read(std::string_view Command, std::string_view Key, std::uint32_t& Value);
  // ConsoleExchange whose result does not count: it only brings the console
  // into a known state.
  void Try(std::string_view Command, std::string_view Prompt);

  // Where the last failure happened, e.g. `no "[EEPROM:]" after "block 0"`;
  // empty while nothing failed.
  const std::string& FailureText() const { return failure_; }

 private:
  bool Note(bool ok, std::string_view Command, std::string_view awaited);

  Console& console_;
  std::string failure_;
};

}  // namespace gw20::link
