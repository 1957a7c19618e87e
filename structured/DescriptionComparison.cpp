#include "structured/DescriptionComparison.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>

#include "structured/MarkupReader.h"
#include "structured/SubsetWriter.h"

namespace licytek::structured {
namespace {

// Past this many pairs of pieces to weigh (two descriptions far beyond Allegro's size limit),
// the middle is compared in order only: the table would take too much memory.
constexpr std::size_t kMaxTableCells = std::size_t{1} << 22;

std::vector<ComparedPiece> Pieces(const Description& description) {
    std::vector<ComparedPiece> pieces;
    for (std::size_t s = 0; s < description.sections.size(); ++s) {
        const Section& section = description.sections[s];
        for (std::size_t i = 0; i < section.items.size(); ++i) {
            const Item& item = section.items[i];
            if (item.type == ItemType::Image) {
                pieces.push_back({s, i, true, item.content, PieceChange::Same});
                continue;
            }
            const MarkupReading reading = ReadMarkup(item.content, {.markupOnly = true});
            if (!reading.refusal.empty()) {
                // Too much to read: the item stands as one piece, as it is.
                pieces.push_back({s, i, false, item.content, PieceChange::Same});
                continue;
            }
            for (const Block& block : reading.blocks) {
                if (block.IsText()) {
                    pieces.push_back(
                        {s, i, false, WriteTextItem(std::span(&block, 1)), PieceChange::Same});
                }
            }
        }
    }
    return pieces;
}

bool SamePiece(const ComparedPiece& a, const ComparedPiece& b) {
    return a.picture == b.picture && a.content == b.content;
}

// Index pairs of the longest common run of before[from..toBefore) and after[from..toAfter).
std::vector<std::pair<std::size_t, std::size_t>> CommonRun(
    const std::vector<ComparedPiece>& before, std::size_t fromBefore, std::size_t toBefore,
    const std::vector<ComparedPiece>& after, std::size_t fromAfter, std::size_t toAfter) {
    const std::size_t rows = toBefore - fromBefore;
    const std::size_t columns = toAfter - fromAfter;
    std::vector<std::pair<std::size_t, std::size_t>> run;
    if (rows == 0 || columns == 0 || rows * columns > kMaxTableCells) {
        return run;
    }
    // length[i][j]: the longest common run of the two tails from i and from j.
    const std::size_t width = columns + 1;
    std::vector<std::uint32_t> length((rows + 1) * width, 0);
    for (std::size_t i = rows; i-- > 0;) {
        for (std::size_t j = columns; j-- > 0;) {
            length[i * width + j] =
                SamePiece(before[fromBefore + i], after[fromAfter + j])
                    ? length[(i + 1) * width + j + 1] + 1
                    : std::max(length[(i + 1) * width + j], length[i * width + j + 1]);
        }
    }
    for (std::size_t i = 0, j = 0; i < rows && j < columns;) {
        if (SamePiece(before[fromBefore + i], after[fromAfter + j])) {
            run.emplace_back(fromBefore + i, fromAfter + j);
            ++i;
            ++j;
        } else if (length[(i + 1) * width + j] >= length[i * width + j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return run;
}

// Between two common pieces: what goes and what comes pair up as changed, kind with kind.
void MarkGap(std::vector<ComparedPiece>& before, std::size_t fromBefore, std::size_t toBefore,
             std::vector<ComparedPiece>& after, std::size_t fromAfter, std::size_t toAfter) {
    for (const bool picture : {false, true}) {
        std::size_t b = fromBefore;
        std::size_t a = fromAfter;
        const auto nextOfKind = [picture](const std::vector<ComparedPiece>& pieces, std::size_t& at,
                                          std::size_t end) {
            while (at < end && pieces[at].picture != picture) {
                ++at;
            }
            return at < end;
        };
        while (true) {
            const bool gone = nextOfKind(before, b, toBefore);
            const bool come = nextOfKind(after, a, toAfter);
            if (!gone && !come) {
                break;
            }
            if (gone && come) {
                before[b++].change = PieceChange::Changed;
                after[a++].change = PieceChange::Changed;
            } else if (gone) {
                before[b++].change = PieceChange::Removed;
            } else {
                after[a++].change = PieceChange::Added;
            }
        }
    }
}

}  // namespace

DescriptionComparison CompareDescriptions(const Description& before, const Description& after) {
    DescriptionComparison comparison{Pieces(before), Pieces(after)};
    std::vector<ComparedPiece>& old = comparison.before;
    std::vector<ComparedPiece>& now = comparison.after;
    // The same beginning and end cost nothing to find, and usually leave a small middle.
    std::size_t head = 0;
    while (head < old.size() && head < now.size() && SamePiece(old[head], now[head])) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < old.size() - head && tail < now.size() - head &&
           SamePiece(old[old.size() - 1 - tail], now[now.size() - 1 - tail])) {
        ++tail;
    }
    std::size_t b = head;
    std::size_t a = head;
    for (const auto& [common, alsoCommon] :
         CommonRun(old, head, old.size() - tail, now, head, now.size() - tail)) {
        MarkGap(old, b, common, now, a, alsoCommon);
        b = common + 1;
        a = alsoCommon + 1;
    }
    MarkGap(old, b, old.size() - tail, now, a, now.size() - tail);
    return comparison;
}

ComparisonCounts CountChanges(const DescriptionComparison& comparison) {
    ComparisonCounts counts;
    const auto count = [&counts](const std::vector<ComparedPiece>& pieces) {
        for (const ComparedPiece& piece : pieces) {
            ChangeCounts& kind = piece.picture ? counts.pictures : counts.paragraphs;
            switch (piece.change) {
                case PieceChange::Added:
                    ++kind.added;
                    break;
                case PieceChange::Removed:
                    ++kind.removed;
                    break;
                case PieceChange::Changed:
                    ++kind.changed;  // counted once a side: halved below
                    break;
                case PieceChange::Same:
                    break;
            }
        }
    };
    count(comparison.before);
    count(comparison.after);
    counts.paragraphs.changed /= 2;
    counts.pictures.changed /= 2;
    return counts;
}

}  // namespace licytek::structured
