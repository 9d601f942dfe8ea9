#pragma once
// Bounds-checked reading of file bytes for the format readers. Every read checks what is
// left with 64-bit arithmetic; a short read marks the cursor failed and yields zeros, so a
// reader can parse a whole header and test ok() once.
#include <cstdint>
#include <cstring>
#include <span>

namespace pelira {

class ByteCursor {
public:
  explicit ByteCursor(std::span<const std::uint8_t> bytes, std::size_t pos = 0)
      : data_(bytes), pos_(pos <= bytes.size() ? pos : bytes.size()), ok_(pos <= bytes.size()) {}

  bool ok() const { return ok_; }
  std::size_t pos() const { return pos_; }
  std::size_t size() const { return data_.size(); }
  std::uint64_t left() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }

  // Moves to an absolute position; past the end fails.
  bool Seek(std::uint64_t at) {
    if (at > data_.size()) return Fail();
    pos_ = static_cast<std::size_t>(at);
    return true;
  }
  bool Skip(std::uint64_t n) {
    if (n > left()) {
      pos_ = data_.size();
      return Fail();
    }
    pos_ += static_cast<std::size_t>(n);
    return true;
  }

  std::uint8_t U8() {
    if (pos_ >= data_.size()) return Fail(), 0;
    return data_[pos_++];
  }
  std::uint16_t U16LE() {
    if (left() < 2) return Short(), 0;
    const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t U32LE() {
    if (left() < 4) return Short(), 0;
    const std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) |
                            (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8) |
                            (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) |
                            (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  std::uint16_t U16BE() {
    if (left() < 2) return Short(), 0;
    const std::uint16_t v = static_cast<std::uint16_t>((data_[pos_] << 8) | data_[pos_ + 1]);
    pos_ += 2;
    return v;
  }
  std::uint32_t U32BE() {
    if (left() < 4) return Short(), 0;
    const std::uint32_t v = (static_cast<std::uint32_t>(data_[pos_]) << 24) |
                            (static_cast<std::uint32_t>(data_[pos_ + 1]) << 16) |
                            (static_cast<std::uint32_t>(data_[pos_ + 2]) << 8) |
                            static_cast<std::uint32_t>(data_[pos_ + 3]);
    pos_ += 4;
    return v;
  }
  std::int16_t I16LE() { return static_cast<std::int16_t>(U16LE()); }
  std::int32_t I32LE() { return static_cast<std::int32_t>(U32LE()); }

  // The next n bytes as a view (empty and failed when fewer are left).
  std::span<const std::uint8_t> Take(std::uint64_t n) {
    if (n > left()) {
      pos_ = data_.size();
      Fail();
      return {};
    }
    const auto s = data_.subspan(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return s;
  }
  bool Read(void* out, std::size_t n) {
    const auto s = Take(n);
    if (s.size() != n) {
      std::memset(out, 0, n);
      return false;
    }
    if (n) std::memcpy(out, s.data(), n);
    return true;
  }
  // Everything from the current position on.
  std::span<const std::uint8_t> Rest() const { return data_.subspan(pos_); }

private:
  bool Fail() {
    ok_ = false;
    return false;
  }
  void Short() {
    pos_ = data_.size();
    ok_ = false;
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_;
  bool ok_;
};

}  // namespace pelira
