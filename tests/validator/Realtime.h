// What a thread does while it is marked as inside processing: heap
// allocations, lock calls and system calls, each counted where this build
// and machine can see them.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace validator {

// Marks or unmarks the calling thread as inside processing. Only the marked
// thread's own calls are counted, so other threads never disturb a check.
void markProcessing(bool inside);
// The calling thread's mark, for a watcher that reads it from another thread.
std::atomic<bool>& processingMark();

// Heap allocations made by marked threads (native glibc builds without
// sanitizers; elsewhere -1, the allocator cannot be replaced there).
long allocationsCounted();
// pthread mutex, rwlock and spinlock acquisitions and semaphore waits made by
// marked threads (Linux glibc builds without ThreadSanitizer; elsewhere -1).
long locksCounted();

struct SyscallSeen {
    long number = 0;
    uint64_t address = 0;  // the instruction that made the call
};

struct SyscallWatch {
    bool watched = false;     // the body ran with every system call reported
    std::string refusal;      // why it could not be watched, when it was not
    long count = 0;           // system calls made while marked
    std::vector<SyscallSeen> first;  // the first few of them
};

// Runs `body` on a new thread whose every system call the kernel reports to
// the calling thread (seccomp user notification) before letting it through
// unchanged; records those made while that thread is marked. When the
// kernel refuses the filter (Linux only), `body` does not run at all.
SyscallWatch watchSyscalls(const std::function<void()>& body);

// "write (nr 1) at HokMaximizer.so+0x1a2b": a system call, where it came from.
std::string describe(const SyscallSeen& call);

}  // namespace validator
