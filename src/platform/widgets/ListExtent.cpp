#include "platform/widgets/ListExtent.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QStyle>

#include <algorithm>

namespace niv {

int widestLineWidth(const QListWidget& list) {
    const QFontMetrics metrics(list.font());
    int widest = 0;
    for (int row = 0; row < list.count(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(list.item(row)->text()));
    return widest;
}

void setListExtent(QListWidget& list, int pixels) {
    // The view scrolls over its items' widths, so every line gets the extent as its width. The
    // item delegate keeps a text margin on both sides; it is added so that `pixels` of text fit.
    const int textMargin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    const int width = std::max(0, pixels) + 2 * textMargin;
    list.setTextElideMode(Qt::ElideNone);
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem* item = list.item(row);
        item->setSizeHint(QSize());
        const int height = list.sizeHintForRow(row);
        item->setSizeHint(QSize(width, height));
    }
    list.doItemsLayout();
}

} // namespace niv
