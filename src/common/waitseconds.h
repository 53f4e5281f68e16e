#pragma once

namespace sokuri {

// Waits the given number of whole seconds while every pending event of the
// thread runs: socket events, timers and clicks are handled meanwhile. The
// wait sleeps until the next event or the end of the time, so a waiting
// program uses no CPU, and it measures on a monotonic clock, so a wait across
// midnight or a change of the system time lasts its full length.
//
// Returns true when the full time has passed, false when the application was
// told to quit meanwhile (the caller must then unwind without touching state
// that may be gone). A count of 0 or less only lets the pending events run.
bool WaitSeconds(int seconds);

} // namespace sokuri
