#include "engine/helper_processor.h"

#include <pthread.h>
#include <sched.h>

namespace vesk {
namespace {

// The processors this thread may use, less the one it runs on; false when
// that leaves none (or either cannot be told).
bool OtherProcessors(cpu_set_t& others)
{
    CPU_ZERO(&others);
    if (::sched_getaffinity(0, sizeof others, &others) != 0)
        return false;
    const int here = ::sched_getcpu();
    if (here < 0 || here >= CPU_SETSIZE || !CPU_ISSET(here, &others))
        return false;
    CPU_CLR(here, &others);
    return CPU_COUNT(&others) > 0;
}

} // namespace

bool AnotherProcessorAvailable()
{
    cpu_set_t others;
    return OtherProcessors(others);
}

void KeepOffThisProcessor(std::thread::native_handle_type thread)
{
    cpu_set_t others;
    if (OtherProcessors(others))
        ::pthread_setaffinity_np(thread, sizeof others, &others); // a refusal leaves it placed by load
}

} // namespace vesk
