#include "export/gif_lzw.h"

#include <array>
#include <memory>

namespace tarsel {

namespace {

constexpr int kMaxCode = 4095;  // codes have at most 12 bits

// Codes written least significant bit first, as GIF packs them.
class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>* out) : out_(out) {}
  void Put(int code, int width) {
    bits_ |= static_cast<std::uint32_t>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      out_->push_back(static_cast<std::uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  void Flush() {
    if (count_ > 0) out_->push_back(static_cast<std::uint8_t>(bits_));
    bits_ = 0;
    count_ = 0;
  }

 private:
  std::vector<std::uint8_t>* out_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

// The string table as a tree: each code's children, the strings one index longer.
class Table {
 public:
  explicit Table(int roots) : roots_(roots) { Reset(); }
  void Reset() {
    next_ = roots_ + 2;  // after the clear and end codes
    for (int c = 0; c < roots_; ++c) first_child_[c] = -1;
  }
  // The code of string `code` followed by `index`, or -1.
  int Find(int code, std::uint8_t index) const {
    for (int c = first_child_[code]; c >= 0; c = sibling_[c]) {
      if (last_[c] == index) return c;
    }
    return -1;
  }
  // Adds the string and returns its code.
  int Add(int code, std::uint8_t index) {
    const int c = next_++;
    last_[c] = index;
    first_child_[c] = -1;
    sibling_[c] = first_child_[code];
    first_child_[code] = c;
    return c;
  }

 private:
  int roots_;
  int next_ = 0;
  std::array<int, kMaxCode + 1> first_child_{}, sibling_{};
  std::array<std::uint8_t, kMaxCode + 1> last_{};
};

}  // namespace

std::vector<std::uint8_t> LzwCode(const std::vector<LzwPixel>& pixels, int min_code_size,
                                  std::uint8_t keep) {
  std::vector<std::uint8_t> out;
  const int clear = 1 << min_code_size, end = clear + 1;
  BitWriter writer(&out);
  auto table = std::make_unique<Table>(clear);
  int width = min_code_size + 1;
  int last_code = end;  // the highest code in the table
  writer.Put(clear, width);
  if (pixels.empty()) {
    writer.Put(end, width);
    writer.Flush();
    return out;
  }
  const auto first_choice = [&](const LzwPixel& p, std::uint8_t before) {
    return p.may_keep && before != p.index ? keep : p.index;
  };
  std::uint8_t previous = pixels[0].index;
  int current = previous;
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const LzwPixel& p = pixels[i];
    // Extend the string with whichever way of writing the pixel the table already holds,
    // trying first the one the string ended with.
    const std::uint8_t preferred = first_choice(p, previous);
    const std::uint8_t other = preferred == keep ? p.index : keep;
    int longer = table->Find(current, preferred);
    std::uint8_t chosen = preferred;
    if (longer < 0 && p.may_keep) {
      longer = table->Find(current, other);
      chosen = other;
    }
    if (longer >= 0) {
      current = longer;
      previous = chosen;
      continue;
    }
    writer.Put(current, width);
    last_code = table->Add(current, preferred);
    if (last_code >= (1 << width) && width < 12) ++width;
    if (last_code == kMaxCode) {
      writer.Put(clear, width);
      table->Reset();
      width = min_code_size + 1;
      last_code = end;
    }
    current = preferred;
    previous = preferred;
  }
  writer.Put(current, width);
  writer.Put(end, width);
  writer.Flush();
  return out;
}

}  // namespace tarsel
