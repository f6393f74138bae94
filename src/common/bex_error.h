// An error that ends the command in progress and reaches the user through the
// program's general error report (a message box with an error icon).
#pragma once

#include <stdexcept>
#include <string>

namespace bex {

class BexError : public std::runtime_error {
 public:
  explicit BexError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace bex
