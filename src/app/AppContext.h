#pragma once

#include "platform/Machine.h"
#include "platform/widgets/Dialogs.h"

namespace niv {

class ModalRunner;
class MessagePump;
class Clipboard;

// Everything the program shares: the machine and the user-interface services. Created by the
// program entry (or a test) and passed by reference.
struct AppContext {
    Machine& machine;
    Dialogs& dialogs;
    ModalRunner& modal;
    MessagePump& pump;
    Clipboard& clipboard;
};

} // namespace niv
