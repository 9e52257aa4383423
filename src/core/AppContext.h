#pragma once

#include "core/Categories.h"
#include "core/Uglobalvars.h"
#include "platform/Dialogs.h"
#include "platform/Machine.h"
#include "platform/MessagePump.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"
#include "platform/WindowTimer.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace niv {

class ModalRunner;
class Clipboard;

// Each unit's own state, created on first use and kept for the run. A unit names its state type;
// the context holds it without knowing it, so units can be added without touching the context.
class UnitStates {
public:
    template <class State> State& get() {
        std::shared_ptr<void>& slot = m_states[std::type_index(typeid(State))];
        if (!slot) slot = std::make_shared<State>();
        return *static_cast<State*>(slot.get());
    }

private:
    std::unordered_map<std::type_index, std::shared_ptr<void>> m_states;
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
    // Milliseconds on a steady clock, for pacing long work; empty: the host's steady clock.
    ClockMs steadyClockMs;
    // Where the windows' timers come from; tests put a scripted clock here.
    std::shared_ptr<TimerFactory> timers = std::make_shared<QtTimerFactory>();
    // The local date and time; empty: the host clock.
    std::function<QDateTime()> localClock;
    // The memory status; empty: the host's. False when the figures cannot be had.
    std::function<bool(MemoryStatusEx&)> memorySource;

    QDateTime now() const { return localClock ? localClock() : QDateTime::currentDateTime(); }
    // Long work lets messages through this pump on this clock, at most once per interval.
    Pacing pacing(int intervalMs) {
        ClockMs clock;
        if (steadyClockMs) clock = [this] { return steadyClockMs(); };
        return {&pump, std::move(clock), intervalMs};
    }
    bool memoryStatus(MemoryStatusEx& status) const {
        return memorySource ? memorySource(status) : GlobalMemoryStatusEx(status);
    }

    GlobalVars g;
    SettingsCopy settings;
    std::uint8_t WindowsVersionClass = 0;

    template <class State> State& unit() { return m_units.get<State>(); }

private:
    UnitStates m_units;
};

} // namespace niv
