#include "platform/sandbox.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <QFile>
#include <sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

// The rights of later versions of Landlock than the system's headers know:
// the kernel may offer them all the same.
constexpr __u64 truncateRight = 1ULL << 14; // version 3
constexpr __u64 ioctlRight = 1ULL << 15;    // version 5

// Every right on files the kernel's version of Landlock can take away.
__u64 rightsOf(long version)
{
    __u64 rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;
    if (version >= 2)
        rights |= LANDLOCK_ACCESS_FS_REFER;
    if (version >= 3)
        rights |= truncateRight;
    if (version >= 5)
        rights |= ioctlRight;
    return rights;
}

QString systemWords(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

QString lockFiles(const QString &folder)
{
    const long version =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (version < 1)
        return systemWords("no Landlock");
    landlock_ruleset_attr ruleset = {};
    ruleset.handled_access_fs = rightsOf(version);
    const int rules = int(syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0));
    if (rules < 0)
        return systemWords("no Landlock rules");
    const int below = open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    // Its own files, and nothing to run or to talk through.
    landlock_path_beneath_attr scratch = {};
    scratch.allowed_access =
        ruleset.handled_access_fs & ~(LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                                      LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SOCK |
                                      LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_SYM);
    scratch.parent_fd = below;
    QString missing;
    if (below < 0)
        missing = systemWords("no scratch folder");
    else if (syscall(SYS_landlock_add_rule, rules, LANDLOCK_RULE_PATH_BENEATH, &scratch, 0) != 0)
        missing = systemWords("no Landlock rule");
    else if (syscall(SYS_landlock_restrict_self, rules, 0) != 0)
        missing = systemWords("no Landlock restriction");
    if (below >= 0)
        close(below);
    close(rules);
    return missing;
}

QString filterCalls()
{
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter)
        return QStringLiteral("no seccomp");
    const uint32_t refuse = SCMP_ACT_ERRNO(EPERM);
    bool added = true;
    for (const int call : {SCMP_SYS(socket),
                           SCMP_SYS(socketpair),
                           SCMP_SYS(connect),
                           SCMP_SYS(bind),
                           SCMP_SYS(listen),
                           SCMP_SYS(accept),
                           SCMP_SYS(accept4),
                           SCMP_SYS(execve),
                           SCMP_SYS(execveat),
                           SCMP_SYS(ptrace),
                           SCMP_SYS(fork),
                           SCMP_SYS(vfork),
                           SCMP_SYS(process_vm_readv),
                           SCMP_SYS(process_vm_writev),
                           SCMP_SYS(pidfd_getfd),
                           SCMP_SYS(unshare),
                           SCMP_SYS(setns),
                           SCMP_SYS(mount),
                           SCMP_SYS(chroot),
                           SCMP_SYS(bpf),
                           SCMP_SYS(userfaultfd),
                           SCMP_SYS(perf_event_open),
                           SCMP_SYS(keyctl),
                           SCMP_SYS(add_key),
                           SCMP_SYS(request_key),
                           SCMP_SYS(open_by_handle_at),
                           SCMP_SYS(io_uring_setup),
                           SCMP_SYS(tkill)})
        added = added && seccomp_rule_add(filter, refuse, call, 0) == 0;
    // A thread shares the process; anything else would be a new one.
    added = added && seccomp_rule_add(filter, refuse, SCMP_SYS(clone), 1,
                                      SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)) == 0;
    // Its flags are out of the filter's reach: the C library then uses clone.
    added = added && seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    // Signals to itself alone (abort() raises one).
    const auto self = scmp_datum_t(getpid());
    added = added &&
            seccomp_rule_add(filter, refuse, SCMP_SYS(kill), 1, SCMP_A0(SCMP_CMP_NE, self)) == 0 &&
            seccomp_rule_add(filter, refuse, SCMP_SYS(tgkill), 1, SCMP_A0(SCMP_CMP_NE, self)) == 0;
    // Every thread at once, should one have started.
    added = added && seccomp_attr_set(filter, SCMP_FLTATR_CTL_TSYNC, 1) == 0;
    const int loaded = added ? seccomp_load(filter) : -1;
    seccomp_release(filter);
    if (loaded != 0)
        return QStringLiteral("no seccomp filter (%1)")
            .arg(QString::fromLocal8Bit(strerror(loaded < 0 ? -loaded : EINVAL)));
    return {};
}

// How many threads the process runs, as the kernel counts them; 0 when it
// cannot tell.
int threadCount()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    // Its size says 0: read to the end rather than up to it.
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    }
    return 0;
}

} // namespace

Confinement confine(const QString &folder)
{
    // Landlock holds the calling thread and those it starts later, never one
    // already running: a library that started one as it loaded would leave a
    // way out.
    if (threadCount() > 1) {
        Confinement crowded;
        crowded.crowded = true;
        crowded.missing = QStringLiteral("other threads run already");
        return crowded;
    }
    // Neither takes hold without it; it also keeps set-user-id programs from
    // lending their rights.
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    Confinement confinement;
    const QString files = lockFiles(folder);
    const QString calls = filterCalls();
    confinement.files = files.isEmpty();
    confinement.calls = calls.isEmpty();
    confinement.missing = files.isEmpty()   ? calls
                          : calls.isEmpty() ? files
                                            : files + QStringLiteral("; ") + calls;
    return confinement;
}

} // namespace platform
