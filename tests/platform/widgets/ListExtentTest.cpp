#include "platform/widgets/ListExtent.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>

#include <gtest/gtest.h>

namespace niv {
namespace {

class ListExtentTest : public testing::Test {
protected:
    void SetUp() override {
        list.resize(200, 150);
        list.addItems({"short", "a somewhat longer line", QString(60, 'W'), "mid length line"});
        list.show();
    }
    int textMargin() const {
        return list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    }
    // The right edge of a line's text in viewport coordinates, with the list scrolled fully right.
    int textRightAtFullScroll(int row) {
        list.horizontalScrollBar()->setValue(list.horizontalScrollBar()->maximum());
        const QRect rect = list.visualItemRect(list.item(row));
        return rect.left() + textMargin() +
               QFontMetrics(list.font()).horizontalAdvance(list.item(row)->text());
    }
    QListWidget list;
};

TEST_F(ListExtentTest, WidestLineIsMeasuredWithTheListsFont) {
    const QFontMetrics metrics(list.font());
    EXPECT_EQ(widestLineWidth(list), metrics.horizontalAdvance(QString(60, 'W')));
    QFont big = list.font();
    big.setPixelSize(40);
    list.setFont(big);
    EXPECT_EQ(widestLineWidth(list), QFontMetrics(big).horizontalAdvance(QString(60, 'W')));
    EXPECT_GT(widestLineWidth(list), metrics.horizontalAdvance(QString(60, 'W')));
}

TEST_F(ListExtentTest, EmptyListIsZeroWide) {
    list.clear();
    EXPECT_EQ(widestLineWidth(list), 0);
    setListExtent(list, widestLineWidth(list));
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}

TEST_F(ListExtentTest, WidestLineCanBeScrolledFullyIntoView) {
    setListExtent(list, widestLineWidth(list));
    const int viewport = list.viewport()->width();
    ASSERT_GT(list.horizontalScrollBar()->maximum(), 0);
    const int right = textRightAtFullScroll(2);
    EXPECT_LE(right, viewport);
    // ...and no further than the delegate's margin.
    EXPECT_GE(right, viewport - textMargin());
}

TEST_F(ListExtentTest, ShorterExtentLeavesTheWidestLineCut) {
    setListExtent(list, widestLineWidth(list) - 30);
    EXPECT_GT(textRightAtFullScroll(2), list.viewport()->width());
    // The cut line is clipped, not shortened with an ellipsis.
    EXPECT_EQ(list.textElideMode(), Qt::ElideNone);
}

TEST_F(ListExtentTest, RangeGrowsPixelForPixel) {
    setListExtent(list, 1000);
    const int at1000 = list.horizontalScrollBar()->maximum();
    setListExtent(list, 1100);
    EXPECT_EQ(list.horizontalScrollBar()->maximum() - at1000, 100);
}

TEST_F(ListExtentTest, ExtentNarrowerThanTheListGivesNoScrolling) {
    // The lines are wider than the list, but the extent decides, as for a Windows list box.
    setListExtent(list, 50);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}

TEST_F(ListExtentTest, LinesKeepTheirHeight) {
    const int before = list.visualItemRect(list.item(1)).height();
    setListExtent(list, 800);
    setListExtent(list, 900);
    EXPECT_EQ(list.visualItemRect(list.item(1)).height(), before);
    EXPECT_EQ(list.visualItemRect(list.item(1)).top(), before);
}

} // namespace
} // namespace niv
