#pragma once

#include <mutex>
#include <string>

namespace lumivex {

// A shared library opened at its first use rather than at the program's start: the editor's
// window comes up without loading codecs and SSH code that a session may never need, and a
// missing library fails the one task that needs it instead of the program.
class LazyLibrary {
public:
    explicit LazyLibrary(std::string soname) : soname_(std::move(soname)) {}
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // The address of the library's function `name`; throws EngineError naming the library, or
    // the function, when it cannot be found. Safe from any thread.
    void* function(const char* name);

    // Sets `to` to the library's function `name`.
    template <class Function>
    void load(Function*& to, const char* name) {
        to = reinterpret_cast<Function*>(function(name));
    }

private:
    std::string soname_;
    std::once_flag opened_;
    void* handle_ = nullptr;  // never closed: the tables of functions live as long as the program
    std::string error_;
};

}  // namespace lumivex

// A table of a C library's functions, declared from the library's own header so that every
// pointer has the function's exact type: FUNCTIONS(X) lists X(name) for each one.
#define LUMIVEX_LAZY_POINTER(name) decltype(&::name) name = nullptr;
#define LUMIVEX_LAZY_LOAD(name) library.load(table.name, #name);

// Defines `const Table& accessor()`: the table of FUNCTIONS from the library `soname`, opened at
// the first call. A call that throws leaves the table to be tried again by the next.
#define LUMIVEX_LAZY_TABLE(Table, accessor, FUNCTIONS, soname) \
    const Table& accessor() {                                  \
        static const Table functions = [] {                    \
            static ::lumivex::LazyLibrary library(soname);     \
            Table table;                                       \
            FUNCTIONS(LUMIVEX_LAZY_LOAD)                       \
            return table;                                      \
        }();                                                   \
        return functions;                                      \
    }
