#pragma once
// A growable array of plain values that holds up to N of them in place and
// goes to the heap only beyond. Copying one that is in place copies the
// place whole, a few fixed moves with no call and no allocation; one that
// has gone to the heap keeps that buffer from then on, so that strings
// copied on every key allocate nothing once they have met their longest.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>

namespace korimo {

template <typename T, std::size_t N>
class InlineBuffer {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  InlineBuffer() = default;
  InlineBuffer(const InlineBuffer& other) { *this = other; }
  InlineBuffer& operator=(const InlineBuffer& other) {
    if (!heap_ && !other.heap_) {
      place_ = other.place_;
      size_ = other.size_;
    } else if (this != &other) {
      assign(other.data_, other.size_);
    }
    return *this;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t capacity() const { return capacity_; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T* begin() { return data(); }
  T* end() { return data() + size_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  T& operator[](std::size_t i) { return data()[i]; }
  const T& operator[](std::size_t i) const { return data()[i]; }
  T& back() { return data()[size_ - 1]; }
  operator std::span<const T>() const { return {data(), size_}; }
  // Keys held as text read and compare as text.
  template <typename U = T>
  requires std::is_same_v<U, char16_t>
  operator std::u16string_view() const { return {data(), size_}; }
  template <typename U = T>
  requires std::is_same_v<U, char16_t> InlineBuffer& operator=(std::u16string_view text) {
    assign(text.data(), text.size());
    return *this;
  }
  template <typename U = T>
  requires std::is_same_v<U, char16_t>
  bool operator==(std::u16string_view text) const {
    return std::u16string_view(data(), size_) == text;
  }

  void clear() { size_ = 0; }
  void reserve(std::size_t n) {
    if (n > capacity()) grow(n);
  }
  void push_back(T value) {
    reserve(size_ + 1);
    data()[size_++] = value;
  }
  // values must not lie in this buffer: growing it would free them.
  void append(const T* values, std::size_t n) {
    reserve(size_ + n);
    copyForward(data() + size_, values, n);
    size_ += n;
  }
  // values may lie in this buffer.
  void assign(const T* values, std::size_t n) {
    reserve(n);
    copyForward(data(), values, n);
    size_ = n;
  }
  // Shorter keeps the first n; longer adds values of T{}.
  void resize(std::size_t n) {
    if (n > size_) {
      reserve(n);
      std::fill(data() + size_, data() + n, T{});
    }
    size_ = n;
  }
  // Drops the first n.
  void eraseFront(std::size_t n) {
    std::memmove(data(), data() + n, (size_ - n) * sizeof(T));
    size_ -= n;
  }

  friend bool operator==(const InlineBuffer& a, const InlineBuffer& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  // The short runs of the key path are copied in line rather than by a
  // library call that costs more than they do; a forward copy is right for
  // a source at or after the destination.
  static void copyForward(T* to, const T* from, std::size_t n) {
    if (n > 8) {
      std::memmove(to, from, n * sizeof(T));
      return;
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  }

  void grow(std::size_t n) {
    const std::size_t capacity = std::max(n, 2 * this->capacity());
    auto heap = std::make_unique_for_overwrite<T[]>(capacity);
    std::copy_n(data(), size_, heap.get());
    heap_ = std::move(heap);
    data_ = heap_.get();
    capacity_ = capacity;
  }

  std::array<T, N> place_{};
  T* data_ = place_.data();  // place_ or heap_; a copy keeps its own
  std::size_t size_ = 0;
  std::size_t capacity_ = N;
  std::unique_ptr<T[]> heap_;
};

// A short text held in place: a syllable's keys, or the text it shows.
using ShortText = InlineBuffer<char16_t, 16>;

}  // namespace korimo
