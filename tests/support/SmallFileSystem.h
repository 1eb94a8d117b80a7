#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <string>

#include "TempFolder.h"

namespace lumivex::testing {

// A small file system of its own (tmpfs), for running out of room for real. Mounting needs
// root; `mounted()` is false otherwise and the test skips.
class SmallFileSystem {
public:
    explicit SmallFileSystem(unsigned kilobytes) {
        if (::geteuid() != 0)
            return;
        const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0700";
        mounted_ = ::mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_)
            ::umount2(folder_.path().c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    std::string slash() const { return folder_.slash(); }
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    TempFolder folder_;
    bool mounted_ = false;
};

}  // namespace lumivex::testing
