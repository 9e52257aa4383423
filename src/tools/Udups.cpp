#include "tools/Udups.h"

#include "core/AppContext.h"
#include "core/Uglobalvars.h"
#include "platform/FileSys.h"
#include "platform/MessagePump.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"
#include "tools/FinderFiles.h"

#include <QCryptographicHash>
#include <QHash>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

namespace niv {

namespace {

const QString kMarker = QStringLiteral("   Path:");

// Files of one size are told apart by their first page, and only those that share it are read whole.
constexpr std::int64_t kHeadBytes = 4096;
constexpr std::int64_t kChunkBytes = 1024 * 1024;
constexpr int kPumpIntervalMs = 50;

bool stopAsked(const DupScanControl& control) {
    return control.stop && control.stop->load();
}

void report(const DupScanControl& control, const QString& label3, const QString& label4) {
    if (control.progress) control.progress(label3, label4);
}

QString filesSoFarText(std::int64_t files) {
    return QStringLiteral("Files examined: %1").arg(files);
}

struct Found {
    int folder; // index into the scan's folder list
    QString name;
    std::int64_t size;
    FileTime lastWrite;
    FileId id;
};

// Names of one file (hard links, a folder mounted a second time) are never a pair: the file stays
// once, by the name found first.
void dropSecondNames(std::vector<const Found*>& group) {
    std::sort(group.begin(), group.end(), [](const Found* a, const Found* b) {
        return std::tie(a->id.dev, a->id.ino, a) < std::tie(b->id.dev, b->id.ino, b);
    });
    group.erase(std::unique(group.begin(), group.end(),
                            [](const Found* a, const Found* b) { return a->id == b->id; }),
                group.end());
}

// Walks a drive and hands each regular file to `take`; no drive's recycle bin is entered. A folder
// the host has no handle left to open is passed over, and the user is told how many were.
class DriveWalk {
public:
    DriveWalk(AppContext& ctx, QChar drive, const DupScanControl& control)
        : m_ctx(ctx), m_drive(QString(drive.toUpper()) + u':'), m_control(control), m_bin(ctx.machine) {}

    template <class Take> bool run(Take&& take) {
        WalkOptions options;
        options.stop = m_control.stop;
        options.pacing = m_ctx.pacing(kPumpIntervalMs);
        options.passOverUnopenable = true;
        std::int64_t files = 0;
        options.progress = [&](const WalkProgress& p) {
            report(m_control, excludeTrailingBackslash(p.folder), filesSoFarText(files));
        };
        const WalkResult result = walkTree(m_ctx.machine, m_drive, options, [&](WalkEntry& e) {
            if (e.isDirectory()) return m_bin.is(e) ? WalkStep::SkipFolder : WalkStep::Continue;
            if (!e.isRegularFile()) return WalkStep::Continue;
            ++files;
            if (m_folders.isEmpty() || m_lastFolder != e.folder()) {
                m_lastFolder = e.folder();
                m_folders.append(excludeTrailingBackslash(m_lastFolder));
            }
            take(e, static_cast<int>(m_folders.size() - 1));
            return WalkStep::Continue;
        });
        m_files = files;
        if (result.stopped || stopAsked(m_control)) return false;
        if (result.passedOver > 0) m_ctx.dialogs.showMessage(DupPassedOverText(result.passedOver));
        return true;
    }

    const QStringList& folders() const { return m_folders; }
    std::int64_t files() const { return m_files; }

private:
    AppContext& m_ctx;
    QString m_drive;
    const DupScanControl& m_control;
    RecycleBins m_bin;
    QStringList m_folders; // without the closing "\"
    QString m_lastFolder;
    std::int64_t m_files = 0;
};

// One file to hash, prepared on the machine's thread and hashed on a worker.
struct HashJob {
    const Found* file;
    bool whole; // all the file holds, with the strong hash; else its first kHeadBytes, quickly
    ListedFile listed;
    QByteArray digest; // empty when the file could not be read, or is no longer as listed
};

// The job's digest, read in chunks. A file's first page only sorts out the files worth reading
// whole: a quick hash serves, since files are called equal only by the strong hash of all they hold.
// A whole file is read to its end, and counts only when it still has the size and last-write time
// it was listed with: one that changed meanwhile is not the file listed, and pairing it could lose
// what it holds now.
QByteArray digestOf(const HashJob& job, std::vector<char>& buffer, OpenFolder& near,
                    const std::atomic<bool>* stop) {
    FileContentReader reader(job.listed, &near);
    if (!reader.isOpen()) return {};
    if (!job.whole) {
        const std::int64_t want = std::min(kHeadBytes, job.file->size);
        std::int64_t done = 0;
        for (std::int64_t n; done < want && (n = reader.read(buffer.data() + done, want - done)) > 0;)
            done += n;
        if (done != want) return {};
        const std::size_t h = qHashBits(buffer.data(), static_cast<std::size_t>(done), 0);
        return QByteArray(reinterpret_cast<const char*>(&h), sizeof h);
    }
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    std::int64_t done = 0;
    for (;;) {
        if (stop && stop->load()) return {};
        const std::int64_t n = reader.read(buffer.data(), static_cast<std::int64_t>(buffer.size()));
        if (n < 0) return {};
        if (n == 0) break;
        hash.addData(QByteArrayView(buffer.data(), static_cast<qsizetype>(n)));
        done += n;
    }
    std::int64_t size = 0;
    FileTime lastWrite = 0;
    if (done != job.file->size || !reader.current(size, lastWrite) || size != job.file->size ||
        lastWrite != job.file->lastWrite)
        return {};
    return hash.result();
}

// Hashes every job on a few worker threads while this thread lets window messages through.
// False when stopped.
bool digestAll(std::vector<HashJob>& jobs, const DupScanControl& control, Pacer& pacer,
               std::int64_t& compared, std::int64_t candidates) {
    // Folder by folder, so that each worker finds most files in the folder it has open.
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const HashJob& a, const HashJob& b) { return a.file->folder < b.file->folder; });
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> finished{0};
    std::atomic<bool> stop{false};
    auto work = [&] {
        std::vector<char> buffer(static_cast<std::size_t>(kChunkBytes));
        OpenFolder near;
        for (std::size_t i; (i = next++) < jobs.size();) {
            jobs[i].digest = digestOf(jobs[i], buffer, near, &stop);
            ++finished;
        }
    };
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < workers; ++t)
        threads.emplace_back(work);
    const QString comparing = QStringLiteral("Comparing file contents");
    while (finished.load() < jobs.size()) {
        if (stopAsked(control)) stop = true;
        if (pacer.due()) {
            report(control, comparing,
                   QStringLiteral("Files compared: %1 of %2")
                       .arg(compared + static_cast<std::int64_t>(finished.load()))
                       .arg(candidates));
            pacer.pump();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (std::thread& t : threads)
        t.join();
    compared += static_cast<std::int64_t>(jobs.size());
    return !stop.load() && !stopAsked(control);
}

// Lines of groups: within a group by folder and name, case ignored.
void appendGroup(DupScanResult& out, const QStringList& folders, std::vector<const Found*> group) {
    std::sort(group.begin(), group.end(), [&](const Found* a, const Found* b) {
        const int c = QString::compare(folders.at(a->folder), folders.at(b->folder), Qt::CaseInsensitive);
        if (c != 0) return c < 0;
        return QString::compare(a->name, b->name, Qt::CaseInsensitive) < 0;
    });
    for (const Found* f : group) {
        out.lines.append(DupLine(folders.at(f->folder), f->name));
        out.seen.push_back({f->id, f->size, f->lastWrite});
    }
    out.files += static_cast<std::int64_t>(group.size());
    ++out.groups;
}

} // namespace

QString DupLine(const QString& folder, const QString& name) {
    return name + kMarker + folder;
}

QString DupLineToPath(const QString& line) {
    const qsizetype m = line.indexOf(kMarker);
    if (m < 0) return trimControls(line);
    // The name part keeps the marker's first blank; trimming the whole removes it again.
    const QString namePart = line.left(m + 1);
    const QString folderPart = line.mid(m + kMarker.size());
    return trimControls(folderPart + u'\\' + namePart);
}

std::int64_t ShowDupFileTimes(AppContext& ctx, const QString& path, DupTimeLabels& labels) {
    const FinderFileInfo info = readFinderFileInfo(ctx, path);
    if (info.size < 0) return -1;
    labels.created = QStringLiteral("Created on   : ") + localFileTimeText(ctx.machine, info.creation);
    labels.written = QStringLiteral("Last updated : ") + localFileTimeText(ctx.machine, info.lastWrite);
    labels.accessed = QStringLiteral("Last accessed: ") + localFileTimeText(ctx.machine, info.lastAccess);
    return info.size;
}

QString DupSizeText(std::int64_t size) {
    return size < 0 ? QString() : QStringLiteral("Byte Size: ") + QString::number(size);
}

DupScanResult ScanDuplicateNames(AppContext& ctx, QChar drive, const DupScanControl& control) {
    DupScanResult out;
    DriveWalk walk(ctx, drive, control);
    std::vector<Found> found;
    QHash<QString, std::vector<std::size_t>> byName;
    const bool whole = walk.run([&](WalkEntry& e, int folder) {
        byName[winUpper(e.name())].push_back(found.size());
        found.push_back({folder, e.name(), e.size(), e.lastWriteTime(), e.fileId()});
    });
    if (!whole) {
        out.stopped = true;
        return out;
    }
    std::vector<const QString*> names;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        if (it.value().size() > 1) names.push_back(&it.key());
    std::sort(names.begin(), names.end(), [](const QString* a, const QString* b) { return *a < *b; });
    for (const QString* name : names) {
        std::vector<const Found*> group;
        for (std::size_t i : byName.value(*name))
            group.push_back(&found[i]);
        dropSecondNames(group);
        if (group.size() > 1) appendGroup(out, walk.folders(), std::move(group));
    }
    return out;
}

DupScanResult ScanDuplicatePatterns(AppContext& ctx, QChar drive, const DupScanControl& control) {
    DupScanResult out;
    DriveWalk walk(ctx, drive, control);
    std::vector<Found> found;
    const bool whole = walk.run([&](WalkEntry& e, int folder) {
        const std::int64_t size = e.size();
        if (size > 0) found.push_back({folder, e.name(), size, e.lastWriteTime(), e.fileId()});
    });
    if (!whole) {
        out.stopped = true;
        return out;
    }
    const QStringList& folders = walk.folders();

    // Equal sizes first: most files have a size of their own and are never opened.
    std::vector<const Found*> bySize;
    bySize.reserve(found.size());
    for (const Found& f : found)
        bySize.push_back(&f);
    std::sort(bySize.begin(), bySize.end(), [](const Found* a, const Found* b) { return a->size > b->size; });

    Pacer pacer(ctx.pacing(kPumpIntervalMs));
    std::int64_t compared = 0;
    auto fail = [&] {
        out = {};
        out.stopped = true;
        return out;
    };
    using Group = std::vector<const Found*>;
    // Sorts hashed jobs into groups of two or more equal sizes and digests; unreadable files drop out.
    auto sameDigests = [](std::vector<HashJob>& jobs) {
        std::stable_sort(jobs.begin(), jobs.end(), [](const HashJob& a, const HashJob& b) {
            if (a.file->size != b.file->size) return a.file->size > b.file->size;
            return a.digest < b.digest;
        });
        std::vector<Group> groups;
        for (std::size_t i = 0; i < jobs.size();) {
            std::size_t j = i + 1;
            while (j < jobs.size() && jobs[j].file->size == jobs[i].file->size &&
                   jobs[j].digest == jobs[i].digest)
                ++j;
            if (j - i > 1 && !jobs[i].digest.isEmpty()) {
                Group group;
                for (std::size_t k = i; k < j; ++k)
                    group.push_back(jobs[k].file);
                groups.push_back(std::move(group));
            }
            i = j;
        }
        return groups;
    };

    // Each folder is found again once, however many of its files are read.
    std::vector<std::optional<ListedFolder>> listedFolders(static_cast<std::size_t>(folders.size()));
    auto listed = [&](const Found& f) {
        std::optional<ListedFolder>& folder = listedFolders[static_cast<std::size_t>(f.folder)];
        if (!folder) folder.emplace(ctx.machine, folders.at(f.folder));
        return ListedFile(*folder, f.name, f.id);
    };

    // The first page of every file that shares its size.
    std::vector<HashJob> heads;
    for (std::size_t i = 0; i < bySize.size();) {
        std::size_t j = i + 1;
        while (j < bySize.size() && bySize[j]->size == bySize[i]->size)
            ++j;
        Group same(bySize.begin() + static_cast<std::ptrdiff_t>(i),
                   bySize.begin() + static_cast<std::ptrdiff_t>(j));
        if (same.size() > 1) dropSecondNames(same);
        for (std::size_t k = 0; same.size() > 1 && k < same.size(); ++k)
            heads.push_back({same[k], false, listed(*same[k]), {}});
        i = j;
    }
    std::int64_t candidates = static_cast<std::int64_t>(heads.size());
    if (!digestAll(heads, control, pacer, compared, candidates)) return fail();
    // Then all that those sharing their size and first page hold.
    std::vector<HashJob> wholes;
    for (Group& group : sameDigests(heads))
        for (const Found* f : group)
            wholes.push_back({f, true, listed(*f), {}});
    heads.clear();
    candidates = compared + static_cast<std::int64_t>(wholes.size());
    if (!digestAll(wholes, control, pacer, compared, candidates)) return fail();
    std::vector<Group> groups = sameDigests(wholes);

    // Larger files first: they waste the most.
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.front()->size > b.front()->size; });
    for (Group& group : groups)
        appendGroup(out, folders, std::move(group));
    return out;
}

QString DupPassedOverText(std::int64_t folders) {
    return FoldersPassedOverText(folders, QStringLiteral("Duplicates in them are not listed."));
}

QString DupEmptyDeleteText() {
    return QStringLiteral("Please use the find button to find duplicate files on your system first.");
}

QString DupEmptyViewText() {
    return QStringLiteral("Your list is empty. Use the Duplicates button to find duplicate files first.");
}

QString DupFileNotFoundText() {
    return QStringLiteral("File not found.");
}

QString DupNoViewerText() {
    return QStringLiteral("You do not have a default viewer on your system to view this file type.");
}

QString DupRecycleRefusedText(const QString& path) {
    return QStringLiteral("Windows will not allow this file (") + path +
           QStringLiteral(") to be added to the recycle bin. The most ") +
           QStringLiteral("likely cause is because the file or program is probably in use right now. ") +
           QStringLiteral("Since the file is in use, it should not be removed.");
}

QString DupChangedText() {
    return QStringLiteral(
        "This file has changed since the scan found it, so it may no longer be a duplicate. "
        "It has not been removed.");
}

DupAction RecycleDupLine(AppContext& ctx, const QString& line, const DupSeen& seen) {
    const QString path = DupLineToPath(line);
    // The listed file, checked and recycled as one entry.
    const HostPath found = resolve(ctx.machine, path, Spelling::Exact);
    if (!FileExists(ctx.machine, found)) return DupAction::NotFound;
    const FileContentReader file{ListedFile(ctx.machine, found, seen.id)};
    std::int64_t size = 0;
    FileTime lastWrite = 0;
    if (!isListedFile(found, seen.id) || !file.current(size, lastWrite) || size != seen.size ||
        lastWrite != seen.lastWrite)
        return DupAction::Changed;
    return RecycleFile(ctx, found, false) ? DupAction::Done : DupAction::Refused;
}

DupAction ViewDupLine(AppContext& ctx, const QString& line) {
    const QString path = DupLineToPath(line);
    if (!FileExists(ctx.machine, path, Spelling::Exact)) return DupAction::NotFound;
    return viewFinderFile(ctx, path) ? DupAction::Done : DupAction::Refused;
}

} // namespace niv
