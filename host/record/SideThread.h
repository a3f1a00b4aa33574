// A second thread for one step of a delivery. Copying a big preview's rows
// is bound by the first touches of fresh memory, and two processors take
// those nearly twice as fast as one.
#pragma once

#include <functional>

// Runs fnBeside on a thread of its own while fnHere runs on this one, and
// returns once both have. Without a second thread (the system refuses one,
// or CORVANE_THREADS is 1) they run here one after the other. An exception from either comes out
// here, after both have ended.
void RunBeside(const std::function<void()>& fnHere, const std::function<void()>& fnBeside);
