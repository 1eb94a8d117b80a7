#include <gtest/gtest.h>

#include <filesystem>

#include "ProgramFolder.h"
#include "TempFolder.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

struct Installation {
    Installation() {
        fs::create_directories(data.path() / "templates");
        fs::create_directories(data.path() / "help");
        fs::create_directories(data.path() / "samples");
        fs::create_directories(exe.path() / "bin");
        WriteFile(data.file("lumivex.js"), "runtime 1");
        WriteFile(data.file("templates/Plain.lvx"), "template");
        WriteFile(data.file("help/index.html"), "help");
        WriteFile(data.file("samples/index.html"), "samples");
        context.executableFolder = exe.slash() + "bin/";
        context.installedDataFolder = data.slash();
        context.home = home.path().string();
    }
    testing::TempFolder exe, data, home;
    ProgramFolderContext context;
};

TEST(ProgramFolder, AWritableFolderWithTheRuntimeIsUsedAsItIs) {
    Installation i;
    WriteFile(i.exe.file("bin/lumivex.js"), "portable");
    EXPECT_EQ(ResolveProgramFolder(i.context), i.exe.slash() + "bin/");
    EXPECT_FALSE(fs::exists(i.home.path() / ".local"));
}

TEST(ProgramFolder, AnInstalledProgramGetsAPerUserFolderSeededFromItsData) {
    Installation i;
    const std::string folder = ResolveProgramFolder(i.context);
    EXPECT_EQ(folder, i.home.slash() + ".local/share/lumivex/");
    EXPECT_EQ(ReadFile(folder + "lumivex.js"), "runtime 1");
    EXPECT_EQ(ReadFile(folder + "templates/Plain.lvx"), "template");
    EXPECT_TRUE(fs::is_symlink(folder + "help"));
    EXPECT_EQ(ReadFile(folder + "help/index.html"), "help");
    EXPECT_EQ(ReadFile(folder + "samples/index.html"), "samples");

    // Next start: the user's templates stay as they are, a changed runtime is refreshed.
    WriteFile(folder + "templates/Plain.lvx", "edited by the user");
    WriteFile(folder + "templates/Mine.lvx", "mine");
    WriteFile(i.data.file("lumivex.js"), "runtime 2");
    WriteFile(i.data.file("templates/New.lvx"), "new");
    EXPECT_EQ(ResolveProgramFolder(i.context), folder);
    EXPECT_EQ(ReadFile(folder + "lumivex.js"), "runtime 2");
    EXPECT_EQ(ReadFile(folder + "templates/Plain.lvx"), "edited by the user");
    EXPECT_TRUE(fs::exists(folder + "templates/Mine.lvx"));
    EXPECT_FALSE(fs::exists(folder + "templates/New.lvx"));
}

TEST(ProgramFolder, XdgFoldersCountOnlyWhenAbsolute) {
    Installation i;
    testing::TempFolder xdg;
    i.context.dataHome = xdg.path().string();
    EXPECT_EQ(ResolveProgramFolder(i.context), xdg.slash() + "lumivex/");
    EXPECT_TRUE(fs::exists(xdg.file("lumivex/lumivex.js")));
    i.context.dataHome = "relative/data";
    EXPECT_EQ(ResolveProgramFolder(i.context), i.home.slash() + ".local/share/lumivex/");

    i.context.cacheHome = xdg.path().string();
    EXPECT_EQ(DefaultImageCacheFolder(i.context), xdg.slash() + "lumivex/");
    i.context.cacheHome = "";
    EXPECT_EQ(DefaultImageCacheFolder(i.context), i.home.slash() + ".cache/lumivex/");
    i.context.cacheHome = "cache";
    EXPECT_EQ(DefaultImageCacheFolder(i.context), i.home.slash() + ".cache/lumivex/");
}

TEST(ProgramFolder, TheProcessFindsItsOwnFolderAndTheSourceData) {
    const ProgramFolderContext c = ProgramFolderContext::FromEnvironment();
    EXPECT_FALSE(c.executableFolder.empty());
    EXPECT_EQ(c.executableFolder.back(), '/');
    EXPECT_TRUE(fs::exists(c.installedDataFolder + "lumivex.js")) << c.installedDataFolder;
}

}  // namespace
}  // namespace lumivex
