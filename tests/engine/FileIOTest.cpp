#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "EngineErrors.h"
#include "FileIO.h"
#include "TempFolder.h"

namespace lumivex {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

struct FaultHookGuard {
    ~FaultHookGuard() { SetWriteFaultHook(nullptr); }
};

TEST(AtomicWrite, AFailedWriteLeavesThePreviousFileAndNoLitter) {
    TempFolder dir;
    const std::string target = dir.file("project.lvx");
    WriteFile(target, "old contents");
    FaultHookGuard guard;
    SetWriteFaultHook([](std::size_t written) { return written > 0 ? ENOSPC : 0; });
    const std::string big(3 << 20, 'x');
    try {
        WriteFileAtomically(target, big);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find(target), std::string::npos);
    }
    EXPECT_EQ(ReadFile(target), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    SetWriteFaultHook(nullptr);
    WriteFileAtomically(target, big);
    EXPECT_EQ(ReadFile(target), big);
}

TEST(AtomicWrite, FolderInTheWayAndMissingFolderAreReported) {
    TempFolder dir;
    std::filesystem::create_directory(dir.path() / "taken");
    EXPECT_THROW(WriteFileAtomically(dir.file("taken"), "x"), FileError);
    try {
        WriteFileAtomically(dir.file("missing/a.txt"), "x");
        FAIL();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "taken"));
}

TEST(AtomicWrite, KeepsThePermissionsOfTheReplacedFile) {
    TempFolder dir;
    const std::string target = dir.file("a.txt");
    WriteFile(target, "1");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    WriteFileAtomically(target, "2");
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

TEST(FileNames, OnlyPlainNamesStayInTheirFolder) {
    for (const char* good : {"slider0.jpg", "wait.gif", "a..b.gif", " x", ".hidden"}) {
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    }
    for (const char* bad : {"", ".", "..", "../x.gif", "a/b.gif", "/etc/passwd", "..\\x.gif"}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
}

}  // namespace
}  // namespace lumivex
