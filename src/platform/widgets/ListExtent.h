#pragma once

class QListWidget;

namespace niv {

// The sizing-frame width of windows (GetSystemMetrics(SM_CXFRAME)), fixed as on a Windows 7
// machine with the classic metrics.
constexpr int sizingFrameWidth() {
    return 4;
}

// The width in pixels of the list's widest line, measured with the list's own font; 0 when the
// list is empty.
int widestLineWidth(const QListWidget& list);

// Gives the list a horizontal scroll range of `pixels` (LB_SETHORIZONTALEXTENT): a line that many
// pixels wide can be scrolled fully into view, and no further. Lines wider than that are clipped,
// never elided. Applies to the lines the list holds now; call it again after filling the list.
void setListExtent(QListWidget& list, int pixels);

} // namespace niv
