#pragma once

#include "app/Uglobalvars.h"

namespace niv {

// The Firefox/Chrome unit's state, kept for the whole run. Firefox's found counters live here;
// Chrome's live in the shared state.
struct NetUnit {
    FoundCounter Cache, Cookies, History; // Firefox
};

} // namespace niv
