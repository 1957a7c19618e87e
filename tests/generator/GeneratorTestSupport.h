// Small helpers the generator tests share: expected texts are put together from fragment
// lines and literals, and a builder is run on a fresh output text.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "generator/Builders.h"
#include "generator/Fragments.h"
#include "model/AuctionForm.h"

namespace licytek::generator_test {

inline std::string F(FragmentLine line) {
    return std::string(Fragment(line));
}

inline std::string Cat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

using Builder = void (*)(const BuildContext&);

inline std::string Render(Builder build, const AuctionForm& form, std::string_view sellerId = "") {
    std::string out;
    build(BuildContext{form, sellerId, out});
    return out;
}

inline std::size_t CountOf(std::string_view text, std::string_view piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string_view::npos;
         at = text.find(piece, at + piece.size())) {
        ++count;
    }
    return count;
}

}  // namespace licytek::generator_test
