// Reads typed values from a fuzzer's byte stream; past the end every read is 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    template <typename T>
    T read() {
        T v{};
        size_t n = sizeof v < size_ - pos_ ? sizeof v : size_ - pos_;
        if (pos_ < size_) std::memcpy(&v, data_ + pos_, n);
        pos_ += n;
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
