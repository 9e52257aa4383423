#pragma once

namespace niv {

class TFrminit;
class TFrmdir;
class TFrmsavecookie;
class TFrmviewer;
class TFrmstats;
class TFrmreg;
class TFrmaol;
class TFrmstartup;

// The windows that live for the whole run, once they exist. The program entry creates them after
// the main window, owned by it, and hands them to it; the main window passes on to the windows it
// opens what each of them reaches.
struct AppWindows {
    TFrminit* Frminit = nullptr;
    TFrmdir* Frmdir = nullptr;
    TFrmsavecookie* Frmsavecookie = nullptr;
    TFrmviewer* Frmviewer = nullptr;
    TFrmstats* Frmstats = nullptr;
    TFrmreg* Frmreg = nullptr;
    TFrmaol* Frmaol = nullptr;
    TFrmstartup* Frmstartup = nullptr;
};

} // namespace niv
