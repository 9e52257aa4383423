#pragma once

namespace niv {

// Lets the application handle pending window messages during long work (ProcessMessages).
class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void processMessages() = 0;
};

// QCoreApplication::processEvents.
class QtMessagePump : public MessagePump {
public:
    void processMessages() override;
};

} // namespace niv
