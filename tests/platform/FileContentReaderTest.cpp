#include "platform/Walk.h"

#include "support/MachineBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

// The id of a file as a walk of its folder lists it.
FileId listedId(MachineBuilder& b, const QString& folder, const QString& name) {
    FileId id;
    walkTree(b.machine(), folder, {}, [&](WalkEntry& e) {
        if (e.name() == name) id = e.fileId();
        return WalkStep::Continue;
    });
    return id;
}

TEST(FileContentReaderTest, ReadsOnlyTheRegularFileThatWasListed) {
    MachineBuilder b;
    b.file(q("C:\\d\\kept.txt"), "content");
    b.file(q("C:\\d\\swapped.txt"), "old");
    b.file(q("C:\\d\\other.txt"), "other");
    b.file(q("C:\\d\\pipe"), "was a file");
    b.file(q("C:\\d\\link"), "was a file");
    struct Case {
        const char* name;
        bool readable;
    } cases[] = {{"kept.txt", true}, {"swapped.txt", false}, {"pipe", false}, {"link", false}};
    std::vector<FileId> ids;
    for (const Case& c : cases)
        ids.push_back(listedId(b, q("C:\\d"), q(c.name)));

    // Changed after the walk: another file in its place, a FIFO, a link to a readable file.
    ASSERT_EQ(
        std::rename(b.hostPath(q("C:\\d\\other.txt")).c_str(), b.hostPath(q("C:\\d\\swapped.txt")).c_str()),
        0);
    ASSERT_EQ(std::remove(b.hostPath(q("C:\\d\\pipe")).c_str()), 0);
    ASSERT_EQ(::mkfifo(b.hostPath(q("C:\\d\\pipe")).c_str(), 0644), 0);
    ASSERT_EQ(std::remove(b.hostPath(q("C:\\d\\link")).c_str()), 0);
    b.link(q("C:\\d\\link"), q("C:\\d\\kept.txt"));

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        FileContentReader reader(b.machine(), q("C:\\d\\") + q(cases[i].name), ids[i]);
        EXPECT_EQ(reader.isOpen(), cases[i].readable) << cases[i].name;
        if (!cases[i].readable) continue;
        char data[16];
        EXPECT_EQ(reader.read(data, sizeof data), 7);
        EXPECT_EQ(reader.read(data, sizeof data), 0);
    }
    // A link listed as itself is never read through.
    FileContentReader link(b.machine(), q("C:\\d\\link"), listedId(b, q("C:\\d"), q("link")));
    EXPECT_FALSE(link.isOpen());
}

} // namespace
