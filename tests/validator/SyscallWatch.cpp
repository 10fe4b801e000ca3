// Watches a thread's system calls through seccomp user notification: the
// thread installs a filter that hands every call to a listener, the calling
// thread reads each one, notes it if the watched thread is marked as inside
// processing, and lets it through unchanged.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "tests/validator/Realtime.h"

#ifdef __linux__
#include <dlfcn.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#endif

namespace validator {

#ifdef __linux__
namespace {

// What the watched thread tells the listening one, without a system call:
// anything that blocks would wait for a listener that does not exist yet.
struct Handover {
    std::atomic<int> listener{-1};
    std::atomic<int> refusedErrno{0};
    std::atomic<const char*> refusedStep{nullptr};
    std::atomic<std::atomic<bool>*> mark{nullptr};
};

void refuse(Handover& h, const char* step) {
    h.refusedStep.store(step);
    h.refusedErrno.store(errno ? errno : EINVAL);
}

void runFiltered(Handover& h, const std::function<void()>& body) {
    h.mark.store(&processingMark());
    // Lets an unprivileged thread install a filter; it affects this thread only.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return refuse(h, "prctl(PR_SET_NO_NEW_PRIVS)");
    sock_filter every[] = {BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_USER_NOTIF)};
    sock_fprog program = {1, every};
    // No TSYNC flag: only this thread (and threads it starts) is filtered.
    long fd = syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_NEW_LISTENER, &program);
    if (fd < 0) return refuse(h, "seccomp(SECCOMP_FILTER_FLAG_NEW_LISTENER)");
    h.listener.store(int(fd));
    body();
}

}  // namespace

SyscallWatch watchSyscalls(const std::function<void()>& body) {
    SyscallWatch result;
    Handover h;
    std::thread watched([&] { runFiltered(h, body); });
    while (h.listener.load() < 0 && h.refusedErrno.load() == 0) usleep(200);
    if (h.listener.load() < 0) {
        watched.join();
        result.refusal = std::string(h.refusedStep.load()) + ": " + std::strerror(h.refusedErrno.load());
        return result;
    }
    const int fd = h.listener.load();
    std::atomic<bool>& mark = *h.mark.load();
    // Filled without allocating: the watched thread may be stopped inside
    // malloc or stdio, holding the locks those would need here.
    SyscallSeen first[8];
    long count = 0;
    for (;;) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 100) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (p.revents & POLLIN) {
            seccomp_notif call;
            std::memset(&call, 0, sizeof call);  // the kernel insists on a zeroed record
            if (ioctl(fd, SECCOMP_IOCTL_NOTIF_RECV, &call) != 0) continue;  // the caller went away
            if (mark.load()) {
                if (count < long(std::size(first))) first[count] = {call.data.nr, call.data.instruction_pointer};
                ++count;
            }
            seccomp_notif_resp answer;
            std::memset(&answer, 0, sizeof answer);
            answer.id = call.id;
            answer.flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
            ioctl(fd, SECCOMP_IOCTL_NOTIF_SEND, &answer);
        } else if (p.revents & (POLLHUP | POLLERR)) {
            break;  // no filtered thread is left
        }
    }
    // Closing the listener first lets any call still pending fail rather than
    // hang, should the loop have ended on an error.
    close(fd);
    watched.join();
    result.watched = true;
    result.count = count;
    result.first.assign(first, first + std::min<long>(count, long(std::size(first))));
    return result;
}

std::string describe(const SyscallSeen& call) {
    static const struct {
        long number;
        const char* name;
    } names[] = {{SYS_read, "read"},   {SYS_write, "write"},         {SYS_openat, "openat"},
                 {SYS_close, "close"}, {SYS_mmap, "mmap"},           {SYS_munmap, "munmap"},
                 {SYS_brk, "brk"},     {SYS_futex, "futex"},         {SYS_nanosleep, "nanosleep"},
                 {SYS_clock_nanosleep, "clock_nanosleep"},           {SYS_sched_yield, "sched_yield"},
                 {SYS_getpid, "getpid"}, {SYS_getppid, "getppid"},   {SYS_madvise, "madvise"},
                 {SYS_mprotect, "mprotect"}, {SYS_clock_gettime, "clock_gettime"}};
    const char* name = "system call";
    for (const auto& n : names)
        if (n.number == call.number) name = n.name;
    char text[512];
    Dl_info where;
    if (dladdr(reinterpret_cast<void*>(call.address), &where) && where.dli_fname) {
        const char* file = std::strrchr(where.dli_fname, '/');
        std::snprintf(text, sizeof text, "%s (nr %ld) at %s+0x%llx", name, call.number,
                      file ? file + 1 : where.dli_fname,
                      static_cast<unsigned long long>(call.address - reinterpret_cast<uintptr_t>(where.dli_fbase)));
    } else {
        std::snprintf(text, sizeof text, "%s (nr %ld) at 0x%llx", name, call.number,
                      static_cast<unsigned long long>(call.address));
    }
    return text;
}

#else

SyscallWatch watchSyscalls(const std::function<void()>&) {
    SyscallWatch result;
    result.refusal = "system calls are watched on Linux only";
    return result;
}

std::string describe(const SyscallSeen& call) { return "system call " + std::to_string(call.number); }

#endif

}  // namespace validator
