#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace gw20::sim {

// The controller's EEPROM: three 256-byte blocks of 32-bit words, each word
// addressed by its byte address. Optionally mirrored in a text file with one
// "block:address=value" line per word, rewritten after every stored word.
class Eeprom {
 public:
  static constexpr int kBlockCount = 3;
  static constexpr int kBlockBytes = 256;
  static constexpr int kWordBytes = 4;
  static constexpr int kWordsPerBlock = kBlockBytes / kWordBytes;
  static constexpr int kLastAddress = kBlockBytes - kWordBytes;
  static constexpr std::uint32_t kErasedWord = 0xFFFFFFFFu;
  static constexpr int kFirmwareBlock = 0;
  static constexpr int kFirmwareVersionAddress = 0;
  static constexpr int kFirmwareDateAddress = 4;

  // A new EEPROM is erased except for the two firmware words of block 0,
  // which take the given values. With a non-empty `file`, the file's contents
  // replace the new EEPROM when it exists (firmware words included), and it is
  // created with the new contents when it does not.
  // Throws std::runtime_error naming the file (and line) when it cannot be
  // read, is malformed or incomplete, or cannot be written.
  Eeprom(std::uint32_t firmwareVersionWord, std::uint32_t firmwareDateWord, std::filesystem::path file);

  static bool IsValidBlock(int block);
  // True for word addresses: multiples of kWordBytes from 0 to kLastAddress.
  static bool IsValidAddress(int address);

  // Throws std::out_of_range for an invalid block or address.
  std::uint32_t Word(int block, int address) const;
  // Stores the word and saves the file if there is one. Throws
  // std::out_of_range for an invalid block or address, std::runtime_error
  // when the file cannot be written.
  void SetWord(int block, int address, std::uint32_t value);

 private:
  static constexpr std::size_t kWordCount = static_cast<std::size_t>(kBlockCount) * kWordsPerBlock;

  static std::size_t Index(int block, int address);
  void Load();
  void Save() const;

  std::array<std::uint32_t, kWordCount> words_{};
  std::filesystem::path file_;
};

}  // namespace gw20::sim
