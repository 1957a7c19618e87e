// What an update does to an offer's description, told piece by piece for the two descriptions
// shown side by side: a piece is a paragraph of a TEXT item (a heading, a paragraph or a whole
// list) or a picture.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "structured/Description.h"

namespace licytek::structured {

enum class PieceChange { Same, Added, Removed, Changed };

struct ComparedPiece {
    std::size_t section = 0;  // where the piece stands in its own description
    std::size_t item = 0;
    bool picture = false;
    // A paragraph as the subset writes it (so that spellings that show the same compare the
    // same), or a picture's address.
    std::string content;
    PieceChange change = PieceChange::Same;
};

struct DescriptionComparison {
    std::vector<ComparedPiece> before;  // each Same, Removed or Changed
    std::vector<ComparedPiece> after;   // each Same, Added or Changed
};

// The pieces of both descriptions in order. The longest run of pieces the two have in common,
// in the same order, stays the same; between two of its pieces, what the update takes away and
// what it puts in pair up as changed, paragraph with paragraph and picture with picture, in
// order, and the rest is removed or added. Pictures compare by their addresses, so `after`
// should name each picture the offer already has by its address on Allegro.
DescriptionComparison CompareDescriptions(const Description& before, const Description& after);

struct ChangeCounts {
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t changed = 0;

    bool operator==(const ChangeCounts&) const = default;
};

struct ComparisonCounts {
    ChangeCounts paragraphs;
    ChangeCounts pictures;

    bool operator==(const ComparisonCounts&) const = default;
};

ComparisonCounts CountChanges(const DescriptionComparison& comparison);

}  // namespace licytek::structured
