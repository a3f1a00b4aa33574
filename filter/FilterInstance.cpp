#include "FilterCorvane.h"

// Built on the first entry-point call, whatever the selector, and destroyed
// with the library's other statics at unload.
pfFilter& GetFilterInstance()
{
    static pfFilterCorvane filter;
    return filter;
}
