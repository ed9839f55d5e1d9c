// Lines: a call's whole output, built on the stack and returned by value, so
// that the module can hand it to the system in one write.
#pragma once

#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <system_error>

namespace calvune {

class Lines {
  public:
    // The longest output is two labelled lines ("X1: ", "X2: ") of at most
    // 13 characters of value each ("-1.23457e-308"): 36 bytes.
    static constexpr std::size_t longest = 2 * (sizeof "X1: " - 1 + 13 + 1);
    static constexpr std::size_t capacity = 64;
    static_assert(longest <= capacity, "the longest output must fit");

    // Nothing is ever written past the buffer, in any build: a piece that
    // does not fit is left out (the assertions fail on it in the checked
    // build). Testing before the copy, rather than clamping its size, keeps
    // the copy of a literal a move of a fixed size.
    Lines &operator<<(std::string_view text) {
        assert(text.size() <= sizeof buffer_ - size_);
        if (text.size() <= sizeof buffer_ - size_) {
            std::memcpy(buffer_ + size_, text.data(), text.size());
            size_ += text.size();
        }
        return *this;
    }

    // The text of std::cout's default double format, "%g" with six
    // significant digits ("-0", "inf", "-nan" included), without its locale
    // and printf machinery.
    Lines &operator<<(double value) {
        const auto result = std::to_chars(buffer_ + size_, buffer_ + sizeof buffer_, value,
                                          std::chars_format::general, 6);
        assert(result.ec == std::errc{});
        if (result.ec == std::errc{}) {
            size_ = static_cast<std::size_t>(result.ptr - buffer_);
        }
        return *this;
    }

    const char *data() const { return buffer_; }
    std::size_t size() const { return size_; }

  private:
    char buffer_[capacity];
    std::size_t size_ = 0;
};

} // namespace calvune
