#pragma once
// Where the helper thread of a shared scan runs. Placed by load alone, a new
// thread is often put on its creator's processor and shares it, time slice by
// time slice, for several milliseconds before the other processor takes it
// (measured on two processors: started 2.5-5 ms late in about half of the
// searches of a process that had just started others, wall time twice the
// calling thread's CPU time), which makes a search shared by two threads
// slower than one thread alone.
#include <thread>

namespace vesk {

// True when this thread may run on another processor than the one it runs
// on now: only then does a second thread make a search faster.
bool AnotherProcessorAvailable();

// Keeps thread off the processor the calling thread runs on now (it may use
// every other processor this thread may use); does nothing when there is no
// other. Only where the thread runs changes, never what it does.
void KeepOffThisProcessor(std::thread::native_handle_type thread);

} // namespace vesk
