#include "tests/support/fuzz_input.h"

#include <cstdio>
#include <cstdlib>

namespace orvex::fuzzing {

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

} // namespace orvex::fuzzing
