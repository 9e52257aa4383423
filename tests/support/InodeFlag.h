#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace niv {

// Sets an inode flag (FS_APPEND_FL, FS_IMMUTABLE_FL) on a host entry for as long as it lives, or
// until clear(); `set` is false where the file system or the caller may not set it.
class InodeFlag {
public:
    InodeFlag(const std::string& path, int flag)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_flag(flag) {
        int flags = 0;
        set = m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0 &&
              ::ioctl(m_fd, FS_IOC_SETFLAGS, &(flags |= m_flag)) == 0;
    }
    ~InodeFlag() {
        clear();
        if (m_fd >= 0) ::close(m_fd);
    }
    InodeFlag(const InodeFlag&) = delete;
    InodeFlag& operator=(const InodeFlag&) = delete;

    void clear() {
        int flags = 0;
        if (set && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0)
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &(flags &= ~m_flag));
        set = false;
    }

    bool set = false;

private:
    int m_fd;
    int m_flag;
};

} // namespace niv
