#include "platform/helperprocess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <unistd.h>

namespace platform {

namespace {

// A job's files: the source and a cover beside it.
constexpr int mostFilesHanded = 4;
// FFmpeg and TagLib hold a few files each; anything beyond is no job of theirs.
constexpr rlim_t mostOpenFiles = 64;

bool systemFolder(const QString &path)
{
    for (const QLatin1String folder :
         {QLatin1String("/proc"), QLatin1String("/sys"), QLatin1String("/dev")}) {
        if (path == folder || path.startsWith(folder + u'/'))
            return true;
    }
    return false;
}

} // namespace

void limitHelper(qint64 addressSpace, qint64 fileSize)
{
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    const rlimit space{rlim_t(addressSpace), rlim_t(addressSpace)};
    setrlimit(RLIMIT_AS, &space);
#else
    Q_UNUSED(addressSpace);
#endif
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit files{mostOpenFiles, mostOpenFiles};
    setrlimit(RLIMIT_NOFILE, &files);
    const rlimit written{rlim_t(fileSize), rlim_t(fileSize)};
    setrlimit(RLIMIT_FSIZE, &written);
    prctl(PR_SET_DUMPABLE, 0);
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

void startBare(QProcess &process, const QString &folder, int fileChannel)
{
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment;
    // Names of files in UTF-8; temporary files in its own folder.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("TMPDIR"), folder);
    const QProcessEnvironment ours = QProcessEnvironment::systemEnvironment();
    // The tests' switches, and what sanitizer builds and uninstalled
    // libraries need.
    for (const QString &kept :
         {QStringLiteral("ZARVELLO_WORKER_TEST_JOBS"), QStringLiteral("ZARVELLO_WORKER_UNCONFINED"),
          QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral("ASAN_OPTIONS"),
          QStringLiteral("UBSAN_OPTIONS"), QStringLiteral("LSAN_OPTIONS"),
          QStringLiteral("TSAN_OPTIONS")}) {
        if (ours.contains(kept))
            environment.insert(kept, ours.value(kept));
    }
    process.setProcessEnvironment(environment);
    // In the child, between fork and exec: system calls alone. Every other
    // descriptor closes at exec, the one that reports a failed exec to Qt
    // among them. The channel cannot have been put at its number by Qt: it
    // was open before Qt made its own.
    process.setChildProcessModifier([fileChannel] {
        if (fileChannel == helperFileChannel)
            fcntl(helperFileChannel, F_SETFD, 0);
        else
            dup2(fileChannel, helperFileChannel);
        if (close_range(helperFileChannel + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
            for (int file = helperFileChannel + 1; file < 65536; ++file)
                fcntl(file, F_SETFD, FD_CLOEXEC);
        }
    });
}

FileChannel makeFileChannel()
{
    int ends[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return {};
    return {ends[0], ends[1]};
}

int duplicateFile(int file)
{
    return file < 0 ? -1 : fcntl(file, F_DUPFD_CLOEXEC, 0);
}

void closeFile(int file)
{
    if (file >= 0)
        close(file);
}

int openForHelper(const QString &path, QString &reason)
{
    // By its name: /dev is a file system like others.
    if (systemFolder(QDir::cleanPath(QFileInfo(path).absoluteFilePath()))) {
        reason = QStringLiteral("a file of the system's own");
        return -1;
    }
    // Not blocking: a pipe would hold the open until a writer comes.
    const int file = open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    struct stat status = {};
    struct statfs system = {};
    if (file < 0 || fstat(file, &status) != 0 || fstatfs(file, &system) != 0) {
        reason = QString::fromLocal8Bit(strerror(errno));
        closeFile(file);
        return -1;
    }
    if (!S_ISREG(status.st_mode))
        reason = QStringLiteral("not a regular file");
    else if (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC)
        reason = QStringLiteral("a file of the system's own");
    else if (status.st_size == 0)
        reason = QStringLiteral("an empty file");
    if (!reason.isEmpty()) {
        closeFile(file);
        return -1;
    }
    fcntl(file, F_SETFL, fcntl(file, F_GETFL) & ~O_NONBLOCK);
    return file;
}

namespace {

// One byte, and room beside it for the most descriptors handed at once.
struct FileMessage
{
    FileMessage()
    {
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = space;
        message.msg_controllen = sizeof space;
    }
    FileMessage(const FileMessage &) = delete;
    FileMessage &operator=(const FileMessage &) = delete;

    char byte = 0;
    iovec data = {&byte, 1};
    alignas(cmsghdr) char space[CMSG_SPACE(sizeof(int) * mostFilesHanded)] = {};
    msghdr message = {};
};

} // namespace

bool handFiles(int channel, const QList<int> &files)
{
    FileMessage sent;
    msghdr &message = sent.message;
    const qsizetype count = std::min<qsizetype>(files.size(), mostFilesHanded);
    if (count == 0) {
        message.msg_control = nullptr;
        message.msg_controllen = 0;
    } else {
        message.msg_controllen = CMSG_SPACE(sizeof(int) * size_t(count));
        cmsghdr *header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int) * size_t(count));
        std::memcpy(CMSG_DATA(header), files.constData(), sizeof(int) * size_t(count));
    }
    return sendmsg(channel, &message, MSG_NOSIGNAL) == 1;
}

QList<int> takeFiles(int channel)
{
    FileMessage taken;
    msghdr &message = taken.message;
    QList<int> files;
    if (recvmsg(channel, &message, MSG_CMSG_CLOEXEC) != 1)
        return files;
    for (cmsghdr *header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int file = -1;
            std::memcpy(&file, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
            files.append(file);
        }
    }
    return files;
}

bool processGone(qint64 pid)
{
    return pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

QString crashCause(int exitCode)
{
    // QProcess gives the number of the signal that ended it.
    return QString::fromLocal8Bit(strsignal(exitCode));
}

} // namespace platform
