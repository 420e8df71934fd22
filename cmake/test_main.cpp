// The main function of every test program. The sanitizer options and the offscreen Qt platform are compiled
// in, so a test behaves the same when run by ctest, from a shell or under a debugger.
#include <gtest/gtest.h>

#include <cstdlib>

extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1";
}

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QVL_OUTPUT_DIR", QVL_TEST_OUTPUT_DIR, 0);
    setenv("QVL_SOURCE_DIR", QVL_TEST_SOURCE_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
