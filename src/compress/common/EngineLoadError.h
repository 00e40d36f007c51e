#pragma once
// Raised when "7z.so" exists but is not a usable 7-Zip library: the one engine error that reaches
// the facade's caller as an exception (the job runner turns it into a failed item).
#include <stdexcept>
#include <string>

class E7zLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
