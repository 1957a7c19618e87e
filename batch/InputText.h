// Reading a spreadsheet's bytes the way spreadsheet programs write them: the byte-order mark,
// the encoding (UTF-8 or Windows-1250), the separator of the header line, and names compared
// without regard to letter case.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace licytek::batch {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Tells, chunk by chunk, whether a byte stream is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing beyond U+10FFFF). A character cut by a chunk's end continues in the next.
class Utf8Check {
  public:
    void Feed(std::string_view bytes);
    // Whether everything fed so far is UTF-8; `atEnd` counts a cut last character as wrong.
    bool Valid(bool atEnd) const { return valid_ && (!atEnd || cut_.empty()); }
    // Whether a well-formed character of two or more bytes came: a file that has them and
    // broken bytes too is UTF-8 with a fault, not Windows-1250.
    bool SawMultiByte() const { return sawMultiByte_; }

  private:
    bool valid_ = true;
    bool sawMultiByte_ = false;
    std::string cut_;  // the start of a character that the last chunk cut off
};

// Where the first byte that is not well-formed UTF-8 lies in `text`, if any.
std::optional<std::size_t> FirstBrokenUtf8(std::string_view text);

// The separator of a CSV whose text starts with `start`: the most frequent of ';', tab and ','
// outside quotes on the first line; ';' (as a Polish spreadsheet writes) when there is none.
char DetectSeparator(std::string_view start);

// The text with ASCII letters and the letters of Latin-1 and Latin Extended-A (every letter
// of Windows-1250, Polish ones among them) in lower case. Other bytes stay as they are.
std::string FoldCase(std::string_view utf8);

// Without blanks and tabs at either end.
std::string_view Trim(std::string_view text);

}  // namespace licytek::batch
