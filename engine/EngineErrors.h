#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace lumivex {

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened, created, written or read; carries the system's description.
class FileError : public EngineError {
public:
    FileError(const std::string& path, int errorNumber, const std::string& action);
    // A refusal of the program's own, with its reason instead of the system's.
    FileError(const std::string& path, const std::string& action, const std::string& reason);
    const std::string& path() const { return path_; }
    int errorNumber() const { return errno_; }

private:
    std::string path_;
    int errno_;
};

// Text that should have held a whole number.
class ConversionError : public EngineError {
public:
    explicit ConversionError(const std::string& text);
};

// An image that cannot be decoded or encoded.
class ImageError : public EngineError {
public:
    ImageError(const std::string& path, const std::string& reason);
};

// Project settings that would produce broken or unsafe output.
class InvalidProjectError : public EngineError {
public:
    using EngineError::EngineError;
};

// One setting that cannot be written in the form of its field.
class SettingError : public InvalidProjectError {
public:
    SettingError(std::string field, const std::string& message);
    const std::string& field() const { return field_; }

private:
    std::string field_;
};

// Photos that gave no slide: those that could not be read, and those that are gone with no
// published slide to stand for them. Each line of the text names one photo; a single photo
// that could not be read gives its decoder's error as it is.
class SlidesNotMadeError : public EngineError {
public:
    explicit SlidesNotMadeError(std::vector<std::string> problems);
    const std::vector<std::string>& problems() const { return problems_; }

private:
    std::vector<std::string> problems_;
};

// A save that wrote the project file but published nothing: the folder keeps its last publish.
class NotPublishedError : public EngineError {
public:
    NotPublishedError(std::string projectFile, const std::string& reason);
    const std::string& projectFile() const { return projectFile_; }

private:
    std::string projectFile_;
};

// A publish stopped at the user's request, before it changed anything in the folder.
class PublishCancelledError : public EngineError {
public:
    PublishCancelledError();
};

}  // namespace lumivex
