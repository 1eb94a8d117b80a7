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

namespace {

std::string listed(const std::vector<std::string>& problems) {
    if (problems.size() == 1)
        return problems.front();
    std::string text = std::to_string(problems.size()) + " photos gave no slide:";
    for (const std::string& p : problems)
        text += "\n" + p;
    return text;
}

}  // namespace

SlidesNotMadeError::SlidesNotMadeError(std::vector<std::string> problems)
    : EngineError(listed(problems)), problems_(std::move(problems)) {}

NotPublishedError::NotPublishedError(std::string projectFile, const std::string& reason)
    : EngineError("The project was saved as \"" + projectFile +
                  "\", but it was not published: the folder keeps its last publish.\n" + reason),
      projectFile_(std::move(projectFile)) {}

PublishCancelledError::PublishCancelledError()
    : EngineError("The publish was cancelled: the folder keeps its last publish.") {}

}  // namespace lumivex
