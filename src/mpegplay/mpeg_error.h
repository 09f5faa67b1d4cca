// The one exception type of the MPEG audio wrapper: a message and a one-byte code.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class TMPEGError : public std::runtime_error {
 public:
  TMPEGError(const std::string &message, uint8_t code) : std::runtime_error(message), code_(code) {}
  uint8_t code() const { return code_; }

 private:
  uint8_t code_;
};

namespace mpegplay {

// Codes of the wrapper's own failures, beyond the library's table of 0..5.
constexpr uint8_t kNoStreamCode = 254;
constexpr uint8_t kLoadFailedCode = 255;

// The message for a library error code; codes past the table get a generic text.
std::string libraryErrorMessage(int32_t code);

}  // namespace mpegplay
