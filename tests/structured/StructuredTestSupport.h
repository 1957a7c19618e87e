// Shared helpers of the structured description's tests.
#pragma once

#include <string>
#include <string_view>

#include "model/AuctionForm.h"
#include "model/Text.h"
#include "structured/MarkupReader.h"
#include "structured/SubsetWriter.h"

namespace licytek::structured::testing {

// The blocks of `html` as the subset, with each picture as "[IMG address]" between them.
inline std::string Shown(std::string_view html, ReadOptions options = {}) {
    const std::vector<Block> blocks = ReadMarkup(html, options).blocks;
    std::string shown;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= blocks.size(); ++i) {
        if (i < blocks.size() && blocks[i].IsText()) {
            continue;
        }
        shown += WriteTextItem(std::span(blocks).subspan(start, i - start));
        if (i < blocks.size()) {
            shown += "[IMG " + blocks[i].address + "]";
        }
        start = i + 1;
    }
    return shown;
}

// Windows-1250 bytes of a UTF-8 literal, as the form holds them.
inline std::string Cp1250(std::string_view utf8) {
    return Utf8ToCp1250(utf8).value();
}

inline AuctionForm FormWith(std::string_view title, std::string_view description) {
    AuctionForm form;
    form.auctionHeader = Cp1250(title);
    form.itemDescription = ToCrLf(Cp1250(description));
    return form;
}

}  // namespace licytek::structured::testing
