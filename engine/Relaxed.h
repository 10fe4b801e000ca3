// A value shared between the audio thread, the user-interface thread and the
// host's other threads. The design has no locks: each shared field is one
// aligned 32-bit (or smaller) value that is read and written whole. Relaxed
// atomic loads and stores make exactly that well defined; on x86 they compile
// to the same plain moves.
#pragma once
#include <atomic>

template <typename T>
class Relaxed {
public:
    constexpr Relaxed(T v = T()) noexcept : value_(v) {}
    Relaxed(const Relaxed& other) noexcept : value_(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept {
        store(other.load());
        return *this;
    }
    Relaxed& operator=(T v) noexcept {
        store(v);
        return *this;
    }
    operator T() const noexcept { return load(); }
    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T v) noexcept { value_.store(v, std::memory_order_relaxed); }

    // Read-modify-write by the field's single writer: a load and a store, as
    // the plain field would do; not an atomic read-modify-write.
    Relaxed& operator+=(T v) noexcept { store(load() + v); return *this; }
    Relaxed& operator-=(T v) noexcept { store(load() - v); return *this; }
    Relaxed& operator*=(T v) noexcept { store(load() * v); return *this; }

private:
    std::atomic<T> value_;
    static_assert(std::atomic<T>::is_always_lock_free, "shared fields must be lock-free");
};
