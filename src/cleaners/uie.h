#pragma once

#include "app/Uglobalvars.h"

namespace niv {

struct AppContext;

// The Internet Explorer unit's state, kept for the whole run.
struct IeUnit {
    FoundCounter Cache, Cookies, History;
    bool ConfirmsCopy = false;
};

} // namespace niv
