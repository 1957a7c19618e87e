#include "offer/OfferSignature.h"

#include <cstdint>

namespace licytek::offer {
namespace {

// 64-bit FNV-1a: fixed for good, since a changed hash would no longer find earlier offers.
// Two texts of the same length that differ in one byte never meet, as every step is a
// one-to-one map of the state.
class Fnv1a {
  public:
    void Add(std::string_view bytes) {
        for (const char c : bytes) {
            state_ ^= static_cast<unsigned char>(c);
            state_ *= 0x100000001B3ULL;
        }
    }
    // Each field with its length first, so that no two lists of fields read as one text.
    void AddField(std::string_view field) {
        Add(std::to_string(field.size()));
        Add(":");
        Add(field);
    }
    std::uint64_t Value() const { return state_; }

  private:
    std::uint64_t state_ = 0xCBF29CE484222325ULL;
};

}  // namespace

std::string OfferSignature(const OfferData& data, std::string_view utf8Title,
                           std::string_view sheetFile) {
    if (!data.signature.empty()) {
        return data.signature;
    }
    Fnv1a hash;
    hash.AddField("licytek oferta 1");
    hash.AddField(TrimBlanks(utf8Title));
    hash.AddField(data.product.empty() ? data.ean : data.product);
    hash.AddField(data.category);
    hash.AddField(TrimBlanks(sheetFile));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string signature = "LTK-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        signature += kHex[(hash.Value() >> shift) & 15];
    }
    return signature;
}

}  // namespace licytek::offer
