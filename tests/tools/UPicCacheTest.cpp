#include "tools/UPicCache.h"

#include "support/AppFixture.h"
#include "support/FewHandles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

TEST(UPicCacheTest, ClassesMatchByExtensionOrThumbnailName) {
    struct Case {
        MediaClass cls;
        const char* name;
        bool matches;
    } cases[] = {
        {MediaClass::Photo, "a.jpe", false},       {MediaClass::Photo, "a.jpg.txt", false},
        {MediaClass::Video, "clip.mp3", false},    {MediaClass::Misc, "clip.mp3", true},
        {MediaClass::PicCache, "THUMBS.DB", true}, {MediaClass::PicCache, "thumbs.db.bak", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MediaFileMatches(c.cls, q(c.name)), c.matches) << c.name;
}

struct Found {
    QStringList paths;
    std::int64_t bytes = 0;
    std::int64_t passedOver = 0;
};

Found search(AppFixture& f, MediaClass cls, QChar drive = u'c') {
    Found out;
    MediaSearchHooks hooks;
    hooks.found = [&](const QString& path, std::int64_t size, FileId) {
        out.paths.append(path);
        out.bytes += size;
    };
    for (const QString& folder : MediaSearchFolders(f.ctx, cls, drive))
        out.passedOver += SearchMediaFolder(f.ctx, folder, cls, hooks);
    return out;
}

TEST(UPicCacheTest, UserFoldersAreSearchedEachOnceAndNestedOnesAgain) {
    AppFixture f;
    f.ctx.g.DocumentsFolder = q("C:\\users\\tester\\Documents");
    f.ctx.g.PicturesFolder = q("C:\\users\\tester\\Documents\\Pictures");
    f.ctx.g.DownloadsFolder = q("C:\\users\\tester\\Downloads");
    // Wine links the user folders to one home folder: the same folder named twice.
    f.ctx.g.VideosFolder = q("C:\\users\\tester\\Videos");
    f.b.file(q("C:\\users\\tester\\Documents\\a.JPG"), "12345");
    f.b.file(q("C:\\users\\tester\\Documents\\Pictures\\b.png"), "123");
    f.b.file(q("C:\\users\\tester\\Downloads\\c.gif"), "1");
    f.b.link(q("C:\\users\\tester\\Videos"), q("C:\\users\\tester\\Downloads"));
    f.b.link(q("C:\\users\\tester\\Downloads\\outside.jpg"), q("C:\\users\\tester\\Documents\\a.JPG"));

    const Found found = search(f, MediaClass::Photo);
    EXPECT_EQ(found.paths, QStringList({q("C:\\users\\tester\\Documents\\a.JPG"),
                                        q("C:\\users\\tester\\Documents\\Pictures\\b.png"),
                                        q("C:\\users\\tester\\Documents\\Pictures\\b.png"),
                                        q("C:\\users\\tester\\Downloads\\c.gif")}))
        << found.paths.join(u'\n').toStdString();
    EXPECT_EQ(found.bytes, 5 + 3 + 3 + 1);
}

TEST(UPicCacheTest, ThumbnailSearchWalksTheDriveAsGiven) {
    AppFixture f;
    f.b.file(q("C:\\Photos\\2009\\Thumbs.db"), "1234");
    f.b.file(q("C:\\THUMBS.DB"), "12");
    const std::string pipe = f.b.hostPath(q("C:\\Photos\\thumbs.db"));
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    Found found = search(f, MediaClass::PicCache);
    found.paths.sort();
    EXPECT_EQ(found.paths, QStringList({q("c:\\Photos\\2009\\Thumbs.db"), q("c:\\THUMBS.DB")}));
    EXPECT_EQ(found.bytes, 6);
}

// What the bin holds was recycled already, whichever drive reaches it.
TEST(UPicCacheTest, TheThumbnailSearchNeverListsTheBinsContents) {
    AppFixture f;
    f.b.file(q("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000\\$RAB12CD\\Thumbs.db"), "1");
    f.b.file(q("C:\\Photos\\Thumbs.db"), "1");
    f.b.drive('d', f.b.root()); // reaches drive_c as D:\drive_c
    EXPECT_EQ(search(f, MediaClass::PicCache).paths, QStringList(q("c:\\Photos\\Thumbs.db")));
    EXPECT_EQ(search(f, MediaClass::PicCache, u'd').paths, QStringList(q("d:\\drive_c\\Photos\\Thumbs.db")));
}

TEST(UPicCacheTest, AFolderTooDeepForTheHostsHandlesIsPassedOverAndTheSearchGoesOn) {
    AppFixture f;
    f.ctx.g.DocumentsFolder = q("C:\\docs");
    f.b.folder(q("C:\\docs\\a") + q("\\d").repeated(80));
    for (const char* name : {"C:\\docs\\b\\p.jpg", "C:\\docs\\z\\p.jpg", "C:\\docs\\p.jpg"})
        f.b.file(q(name), "1");
    const FewHandles few(20);
    const Found found = search(f, MediaClass::Photo);
    EXPECT_EQ(found.paths.size(), 3);
    EXPECT_EQ(found.passedOver, 1);
}

// The folder label shows while a folder's subfolder is searched, and is blank once it is done.
TEST(UPicCacheTest, TheFolderLabelIsBlankedAsEachFolderIsDone) {
    AppFixture f;
    f.b.file(q("C:\\docs\\a\\b\\p.jpg"), "1");
    QStringList shown;
    MediaSearchHooks hooks;
    hooks.display = [&](const QString& folder) { shown.append(folder); };
    EXPECT_EQ(SearchMediaFolder(f.ctx, q("C:\\docs"), MediaClass::Photo, hooks), 0);
    EXPECT_EQ(shown, QStringList({q("C:\\docs"), q("C:\\docs\\a"), QString(), QString(), QString()}))
        << shown.join(u'|').toStdString();
}

TEST(UPicCacheTest, SizesBeyondFourGiBAndMissingFilesKeepTheLabels) {
    AppFixture f;
    f.b.sizedFile(q("C:\\big.avi"), 5LL * 1024 * 1024 * 1024);
    MediaFileLabels labels{q("old"), q("old")};
    EXPECT_EQ(ReadMediaFileInfo(f.ctx, q("C:\\big.avi"), true, labels), 5LL * 1024 * 1024 * 1024);
    EXPECT_NE(labels.created, q("old"));
    MediaFileLabels kept{q("old"), q("old")};
    EXPECT_EQ(ReadMediaFileInfo(f.ctx, q("C:\\gone.avi"), true, kept), -1);
    EXPECT_EQ(kept.created, q("old"));
}

} // namespace
