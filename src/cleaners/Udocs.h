#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace niv {

struct AppContext;

// A run of text slots numbered as a list numbers its values (first..last); "" is an empty slot.
class TrailSlots {
public:
    TrailSlots(int first = 1, int last = 50);

    int first() const { return m_first; }
    int last() const { return m_first + static_cast<int>(m_slots.size()) - 1; }
    QString& operator[](int n) { return m_slots.at(static_cast<std::size_t>(n - m_first)); }
    const QString& operator[](int n) const { return m_slots.at(static_cast<std::size_t>(n - m_first)); }
    void clear();
    // The number of the first slot equal to `text`, letter case included. An empty slot never
    // matches: it stands for no entry, not for an empty one.
    std::optional<int> find(const QString& text) const;

private:
    int m_first;
    std::vector<QString> m_slots;
};

constexpr int kFileNLists = 9;
constexpr int kTrailRecords = 500;

// One value of the newer recent lists, remembered so that its line can be removed.
struct TrailRecord {
    QString Key;       // under the current user's hive, as it was opened
    QString ValueName; // inside Key
    QString Text;      // the value's data, trimmed: the line shown
    QString Action;    // what removal does: "DELETE-VALUENAME"
    QString SourceTag; // the list it came from
};

// The "What You Viewed" unit's state, reached as ctx.unit<DocsUnit>(). Every scan refills it and
// removals edit it; it outlives the window, until the next scan.
struct DocsUnit {
    std::array<TrailSlots, kFileNLists> FileNSlots; // list 1 at index 0; "File" 1..50
    TrailSlots MediaUrlSlots{0, 49};
    TrailSlots MediaFileSlots{0, 49};
    TrailSlots RealUrlSlots{1, 50};
    TrailSlots RealRecentSlots{1, 50};
    // The current user's "Recent" list has its own memory, so a removal blanks only the key whose
    // value the line showed.
    TrailSlots RealRecent2Slots{1, 50};
    TrailSlots RealLocationSlots{1, 50};
    TrailSlots MorpheusSlots{1, 30};

    std::array<TrailRecord, kTrailRecords + 1> TrailTable; // records 1..500; 0 is unused
    int TrailCount = 0;
};

// Reads every source in its fixed order and returns the lines of the trail list. Values that are
// not text are passed over.
QStringList ScanViewedTrails(AppContext& ctx);

// The texts of the window.
QString TrailCountText(int count);
QString NoViewedNamesText();
QString TrailCleanedText();
QString RemoveAllQuestion();

// The clipboard track under the list: the clipboard's text, trimmed, when there is one (it can be
// cleared), else the "already clean" line.
struct ClipboardTrack {
    QString memo;
    bool canClear = false;
};
ClipboardTrack ClipboardTrackOf(bool hasText, const QString& text);

// Removes the registry entry behind one line of the list (the line itself is the window's); the
// file the line names is never touched. A key that does not open makes its step do nothing.
void RemoveTrail(AppContext& ctx, const QString& line);

// A box the window shows.
struct TrailMessage {
    MsgKind kind = MsgKind::Plain;
    QString text;
};

// Opens the file a line names with its default program. Gives the box to show when it cannot:
// the line names no file, nothing opens it, or it is a program or script, which viewing must
// never run.
std::optional<TrailMessage> ViewTrail(AppContext& ctx, const QString& line);

} // namespace niv
