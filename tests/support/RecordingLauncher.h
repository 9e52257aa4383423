#pragma once

#include "platform/Machine.h"

#include <QString>
#include <QStringList>

namespace niv {

// A launcher that starts nothing: it records every open() and answers with a chosen result.
class RecordingLauncher : public Launcher {
public:
    bool open(const QString& hostPathOrUrl) override {
        m_calls.append(hostPathOrUrl);
        return m_result;
    }

    // What open() answers from now on (true at first: the opener started).
    void setResult(bool result) { m_result = result; }

    // Every argument open() got, oldest first.
    const QStringList& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QStringList m_calls;
    bool m_result = true;
};

} // namespace niv
