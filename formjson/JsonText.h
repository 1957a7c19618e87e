// What the JSON form's reader does itself instead of leaving it to the JSON library. The
// library keeps every byte of its current token, from the last string or number on, and
// copies that token several times into its report of a fault: a long string, or a long run
// of white space, followed by a fault would cost many times the input. So the library never
// sees such stretches: long strings are decoded here, long white space is passed over, and a
// number too long for any input is refused before reading.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace licytek::json_text {

// Longer strings and runs of white space are kept from the library.
inline constexpr std::size_t kLongStretch = std::size_t{64} << 10;

// Bytes [begin, end) of the text that the library does not see.
struct Stretch {
    std::size_t begin;
    std::size_t end;
};

// A string the library sees as "": its content (between the quotes) is decoded here.
struct LongString {
    std::size_t number;  // how many strings (keys too) come before it in the text
    Stretch content;
};

// One look over the whole text before the library reads it.
struct Survey {
    std::vector<Stretch> hidden;  // ascending
    std::vector<LongString> longStrings;
    std::optional<std::string> fault;  // the text cannot be a form; the whole message
    std::string polishFault;           // the same in Polish, when there is a fault
};
Survey SurveyText(std::string_view json);

// The value of a JSON string from its content between the quotes, or what is wrong with it,
// by the same rules as the library.
std::variant<std::string, std::string> DecodeString(std::string_view content);

// "line L, column C" for the position after `offset` bytes, counted as the library counts.
std::string PositionOf(std::string_view json, std::size_t offset);
// The same as "wiersz L, kolumna C".
std::string PolishPositionOf(std::string_view json, std::size_t offset);

// The offset in the text of the library's position (bytes read of what it sees).
std::size_t OffsetInText(const std::vector<Stretch>& hidden, std::size_t seen);

// The text as the library sees it: without the hidden stretches.
class SeenIterator {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    SeenIterator(std::string_view text, const std::vector<Stretch>* hidden, std::size_t at)
        : text_(text), hidden_(hidden), at_(at) {
        SkipHidden();
    }
    reference operator*() const { return text_[at_]; }
    SeenIterator& operator++() {
        ++at_;
        SkipHidden();
        return *this;
    }
    SeenIterator operator++(int) {
        SeenIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const SeenIterator& other) const { return at_ == other.at_; }
    bool operator!=(const SeenIterator& other) const { return at_ != other.at_; }

  private:
    void SkipHidden() {
        while (next_ < hidden_->size() && (*hidden_)[next_].begin <= at_) {
            at_ = std::max(at_, (*hidden_)[next_].end);
            ++next_;
        }
    }

    std::string_view text_;
    const std::vector<Stretch>* hidden_;
    std::size_t at_;
    std::size_t next_ = 0;
};

}  // namespace licytek::json_text
