// Reading a fuzz input as a sequence of fixed-size values. Values are the input's raw bytes, so a
// float can be any bit pattern (NaN, infinities, denormals); once the input is used up every
// further value is 0, so short inputs still run the whole scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace fuzz {

class InputBytes {
public:
    InputBytes(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    template <typename T> T take() {
        static_assert(std::is_trivially_copyable_v<T>, "values are copied byte by byte");
        unsigned char bytes[sizeof(T)] = {};
        const size_t available = size_ - used_ < sizeof(T) ? size_ - used_ : sizeof(T);
        if (available > 0) std::memcpy(bytes, data_ + used_, available);
        used_ += available;
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

    bool takeBool() { return (take<uint8_t>() & 1u) != 0; }
    // One of count choices (count > 0).
    size_t takeChoice(size_t count) { return take<uint8_t>() % count; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t used_ = 0;
};

} // namespace fuzz
