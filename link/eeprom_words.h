#pragma once
// Words read and stored at the controller's EEPROM edit prompt. Every line
// typed there is checked by its echo before Enter (see Console). A line whose
// echo came back with a wrong character is never trusted: it is entered, the
// word is reopened with "el", read, given the intended value when it differs,
// and read back, all with the console's own commands; a second fault on the
// way ends the conversation. A line whose echo stopped is never entered. A
// value the console shows garbled is never typed back.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gw20::link {

class ConsoleSteps;

// "Long(40)=": the key the console shows a word of the open block with.
std::string LongKey(int address);

// Whether `reply`, what answered an Enter up to the first ">" (or all of it
// after a time-out), came from inside the EEPROM editor: a word it shows,
// or its edit prompt "-->".
bool ShowsEditPrompt(std::string_view reply);

struct WordsRead {
  enum class Outcome {
    Ok,
    Timeout,  // an exchange got no answer, or a repair did not settle
    Garbled,  // word `index` was not shown as one number; "." ended the edit there
  };
  Outcome outcome = Outcome::Ok;
  int index = 0;
};

// How a read moves from word to word.
enum class ReadStyle {
  // Each value is typed back as shown, which opens the next word: the
  // console's own way, one line per word. Noise that turns a shown digit into
  // another digit is stored with it, since the text still reads as a number.
  TypeBack,
  // Each word is opened with "el" and left with ".": two lines per word, but
  // no value is ever typed, so nothing read can change a stored word.
  Alone,
};

// Reads `count` words (into words[0..count-1]) of the selected block from
// byte address `firstAddress` and ends at the EEPROM prompt.
WordsRead ReadWords(ConsoleSteps& steps, int firstAddress, std::vector<std::uint32_t>& words, int count,
                    ReadStyle style = ReadStyle::TypeBack);

// Opens the word at `firstAddress` and stores words[0..count-1] from there on,
// counting each word in `typed` as it is typed; the edit stays open at the
// word after them, whose value goes to `next` (`nextClean`: shown as one
// number). False when an exchange got no answer or a repair did not settle.
bool WriteWords(ConsoleSteps& steps, int firstAddress, const std::vector<std::uint32_t>& words, int count,
                int& typed, std::uint32_t& next, bool& nextClean);

// Types "." at the edit prompt of the word at `address`, which shows `shown`
// (`shownClean`: as one number), ending the edit without changing it. When
// the "." came back other than typed and the word's value is known, the word
// is repaired back to `shown`.
bool EndEdit(ConsoleSteps& steps, int address, std::uint32_t shown, bool shownClean);

}  // namespace gw20::link
