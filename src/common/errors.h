#pragma once
// Exceptions that carry a message. The image classes raise EVistrelError; the format
// classes add their own kinds so a caller can tell which codec failed.
#include <stdexcept>
#include <string>

namespace pelira {

class EVistrelError : public std::runtime_error {
public:
  explicit EVistrelError(const std::string& message) : std::runtime_error(message) {}
};

class ETiffError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

class ETgaError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

class EPNGError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

class EGbmError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

}  // namespace pelira
