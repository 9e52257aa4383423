#include "platform/Walk.h"
#include "platform/WinPath.h"

#include "support/MachineBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

TEST(FileContentReaderTest, ReadsOnlyTheRegularFileThatWasListed) {
    MachineBuilder b;
    // The id of a file as a walk of its folder lists it.
    const auto listedId = [&b](const char* name) {
        FileId id;
        EXPECT_EQ(walkTree(b.machine(), q("C:\\d"), {},
                           [&](WalkEntry& e) {
                               if (e.name() == q(name)) id = e.fileId();
                               return WalkStep::Continue;
                           })
                      .error,
                  ERROR_SUCCESS);
        return id;
    };
    for (const char* name : {"kept.txt", "swapped.txt", "other.txt", "pipe", "link"})
        b.file(q("C:\\d\\") + q(name), "content");
    const std::pair<const char*, bool> cases[] = {
        {"kept.txt", true}, {"swapped.txt", false}, {"pipe", false}, {"link", false}};
    std::vector<FileId> ids;
    for (const auto& c : cases)
        ids.push_back(listedId(c.first));

    // Changed after the walk: another file in its place, a FIFO, a link to a readable file.
    const auto host = [&b](const char* name) { return b.hostPath(q("C:\\d\\") + q(name)); };
    ASSERT_EQ(std::rename(host("other.txt").c_str(), host("swapped.txt").c_str()), 0);
    ASSERT_EQ(std::remove(host("pipe").c_str()), 0);
    ASSERT_EQ(::mkfifo(host("pipe").c_str(), 0644), 0);
    ASSERT_EQ(std::remove(host("link").c_str()), 0);
    b.link(q("C:\\d\\link"), q("C:\\d\\kept.txt"));

    const auto listed = [&b](const char* name, FileId id) {
        return ListedFile(b.machine(), resolve(b.machine(), q("C:\\d\\") + q(name)), id);
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        FileContentReader reader(listed(cases[i].first, ids[i]));
        EXPECT_EQ(reader.isOpen(), cases[i].second) << cases[i].first;
        char data[16];
        if (cases[i].second) {
            EXPECT_EQ(reader.read(data, sizeof data), 7);
        }
    }
    // A link listed as itself is never read through.
    EXPECT_FALSE(FileContentReader(listed("link", listedId("link"))).isOpen());
}

} // namespace
