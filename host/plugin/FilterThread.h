// A host that calls the filter on a thread of its own (Paint.NET's
// PSFilterPdn): the selectors run there while the calling thread, which owns
// the host's window, keeps dispatching its messages until they are done.
#pragma once

#include <cstdint>
#include <functional>

// Runs call on a new thread and returns its result; an exception it throws
// comes back here. Under Windows this thread dispatches its messages
// meanwhile.
int16_t CallOnFilterThread(const std::function<int16_t()>& call);
