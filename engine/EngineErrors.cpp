#include "EngineErrors.h"

#include <cstring>

namespace lumivex {

FileError::FileError(const std::string& path, int errorNumber, const std::string& action)
    : EngineError("Cannot " + action + " file \"" + path + "\". " + std::strerror(errorNumber)),
      path_(path),
      errno_(errorNumber) {}

FileError::FileError(const std::string& path, const std::string& action, const std::string& reason)
    : EngineError("Cannot " + action + " file \"" + path + "\". " + reason),
      path_(path),
      errno_(0) {}

ConversionError::ConversionError(const std::string& text)
    : EngineError("'" + text + "' is not a valid integer value") {}

ImageError::ImageError(const std::string& path, const std::string& reason)
    : EngineError("Cannot read picture \"" + path + "\": " + reason) {}

}  // namespace lumivex
