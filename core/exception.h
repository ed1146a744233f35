// The program's one error kind, and the conversion failure that callers tell apart.
#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

// Raised for conversion failures, refused writes and invalid operations. The message is meant for the user.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not convert to the number it should hold (the prefix form of a mask).
class ConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace quorvane
