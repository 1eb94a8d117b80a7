#include "LazyLibrary.h"

#include <dlfcn.h>

#include "EngineErrors.h"

namespace lumivex {

void* LazyLibrary::function(const char* name) {
    std::call_once(opened_, [this] {
        handle_ = ::dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr)
            error_ = ::dlerror();
    });
    if (handle_ == nullptr)
        throw EngineError("Cannot load the library " + soname_ + ": " + error_);
    void* found = ::dlsym(handle_, name);
    if (found == nullptr)
        throw EngineError("The library " + soname_ + " has no function " + name);
    return found;
}

}  // namespace lumivex
