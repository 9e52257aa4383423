#pragma once

#include <functional>

#include "app/Uglobalvars.h"
#include "cleaners/uie.h"
#include "cleaners/unet.h"
#include "platform/Machine.h"
#include "platform/Shell.h"
#include "platform/widgets/Dialogs.h"

#include <QString>

#include <array>
#include <cstdint>

class QWidget;

namespace niv {

class ModalRunner;
class MessagePump;
class Clipboard;
class TFrmstats;
class TFrmie;

// The 18 cleanup categories, in the order of their registry values.
enum Category {
    CatIECache,
    CatIECookies,
    CatIEHistory,
    CatNSCache,
    CatNSCookies,
    CatNSHistory,
    CatGCache,
    CatGCookies,
    CatGHistory,
    CatOtherc,
    CatTempc,
    CatRecentc,
    CatRecyclec,
    CatOtherj,
    CatMediac,
    CatActiveX,
    CatUrls,
    CatYourOwn,
    CategoryCount
};

// The in-memory copy of the registry settings, read once at start-up. `SkinName`, `Wipe` and
// `Tempall` live in the shared state.
struct SettingsCopy {
    bool Confirms = false;
    bool VistaMsg = false;
    bool Lockedj = false;
    std::array<bool, CategoryCount> categories{};
};

// Everything the program shares: the machine, the user-interface services, the shared state and
// each unit's own state. Created by the program entry (or a test) and passed by reference.
struct AppContext {
    AppContext(Machine& m, Dialogs& d, ModalRunner& r, MessagePump& p, Clipboard& c)
        : machine(m), dialogs(d), modal(r), pump(p), clipboard(c) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Machine& machine;
    Dialogs& dialogs;
    ModalRunner& modal;
    MessagePump& pump;
    Clipboard& clipboard;
    RecycleClock recycleClock; // empty: the host clock
    // Milliseconds on a steady clock, for pacing long walks; empty: the host's steady clock.
    std::function<qint64()> steadyClockMs;

    GlobalVars g;
    SettingsCopy settings;
    std::uint8_t WindowsVersionClass = 0;

    IeUnit ie;   // Internet Explorer
    NetUnit net; // Firefox/Chrome

    // The long-lived windows, once they exist: the main window owns the windows opened from it.
    QWidget* mainWindow = nullptr;
    TFrmstats* Frmstats = nullptr;
    TFrmie* Frmie = nullptr;
};

} // namespace niv
