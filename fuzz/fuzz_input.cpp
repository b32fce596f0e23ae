#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

namespace vesk::fuzz {

void Fail(const char* what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

} // namespace vesk::fuzz
