#include "LazyLibrary.h"

#include <gtest/gtest.h>

#include <string>

#include "EngineErrors.h"

namespace lumivex {
namespace {

struct LazyCase {
    const char* soname;
    const char* function;
    const char* error;  // empty when the function is found
};

class LazyLibraryTest : public ::testing::TestWithParam<LazyCase> {};

// A missing library or function fails the call that needs it, by name, and not the program;
// a second call fails the same way rather than finding a half-opened library.
TEST_P(LazyLibraryTest, FindsTheFunctionOrNamesWhatIsMissing) {
    LazyLibrary library(GetParam().soname);
    for (int call = 0; call < 2; ++call) {
        if (*GetParam().error == '\0') {
            EXPECT_NE(library.function(GetParam().function), nullptr);
            continue;
        }
        try {
            library.function(GetParam().function);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(GetParam().error, 0), 0u) << e.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, LazyLibraryTest,
    ::testing::Values(LazyCase{"libm.so.6", "cos", ""},
                      LazyCase{"libm.so.6", "no_such_function",
                               "The library libm.so.6 has no function no_such_function"},
                      LazyCase{"libnot-there.so.9", "cos",
                               "Cannot load the library libnot-there.so.9: "}));

}  // namespace
}  // namespace lumivex
