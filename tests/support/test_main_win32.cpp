// Entry point of the Windows test programs. Once every test has run and its
// report is flushed, the process ends at once: a fresh Wine prefix can keep
// a finished process waiting in its teardown for minutes, which would turn a
// passing run into a time-out. Nothing is left to clean up by then; each test
// releases what it created.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    ::testing::InitGoogleMock(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
