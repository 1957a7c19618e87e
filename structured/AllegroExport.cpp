#include "structured/AllegroExport.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/CaseFold.h"
#include "model/PolishNumbers.h"
#include "model/Text.h"
#include "structured/JsonString.h"
#include "structured/LeftOutInputs.h"
#include "structured/MarkupReader.h"
#include "structured/SubsetWriter.h"
#include "structured/Validation.h"

namespace licytek::structured {
namespace {

constexpr std::string_view kTermsHeading = "Regulamin aukcji";
constexpr std::string_view kShippingHeading = "Koszty przesyłki";

// A part of the description that starts a section of its own: the description itself, the
// terms, the shipping costs.
struct Part {
    std::string control;  // the input its text comes from
    std::vector<Block> blocks;
    std::vector<std::string> links;
    bool hadGallery = false;
    std::string refusal;               // the markup was not read
    std::vector<std::string> leftOut;  // what its reading left out, one line per kind
};

struct Piece {
    Item item;
    bool startsSection = false;
};

Block HeadingBlock(BlockKind kind, Line line) {
    return Block{kind, {std::move(line)}, {}};
}

Block HeadingBlock(BlockKind kind, std::string_view text) {
    return HeadingBlock(kind, Line{Run{std::string(text), false}});
}

// A one-line input read as the page shows it.
Line FormLine(std::string_view cp1250) {
    return PlainTextLine(DecodeCharacterReferences(Cp1250ToUtf8(cp1250)));
}

Part DescriptionPart(const AuctionForm& form) {
    Part part{"Memo1", {}, {}, false, {}, {}};
    const std::string memo1Text = Cp1250ToUtf8(form.itemDescription);
    if (Line title = FormLine(form.auctionHeader);
        !title.empty() && !HasNoTitleHeadingMark(memo1Text)) {
        part.blocks.push_back(HeadingBlock(BlockKind::MainHeading, std::move(title)));
    }
    if (Line header = FormLine(form.descriptionHeader); !header.empty()) {
        part.blocks.push_back(HeadingBlock(BlockKind::Heading, std::move(header)));
    }
    MarkupReading memo1 = ReadMarkup(memo1Text);
    part.blocks.reserve(part.blocks.size() + memo1.blocks.size());
    std::move(memo1.blocks.begin(), memo1.blocks.end(), std::back_inserter(part.blocks));
    part.links = std::move(memo1.linkAddresses);
    part.hadGallery = memo1.hadGallery;
    part.refusal = std::move(memo1.refusal);
    part.leftOut = std::move(memo1.leftOut);
    return part;
}

std::optional<Part> TermsPart(const AuctionForm& form) {
    MarkupReading terms = ReadMarkup(Cp1250ToUtf8(form.auctionTerms),
                                     {.linesAreParagraphs = true, .name = "Regulamin"});
    if (terms.blocks.empty() && terms.refusal.empty()) {
        return std::nullopt;
    }
    Part part{"Memo2", {HeadingBlock(BlockKind::Heading, kTermsHeading)}, {}, false, {}, {}};
    std::move(terms.blocks.begin(), terms.blocks.end(), std::back_inserter(part.blocks));
    part.links = std::move(terms.linkAddresses);
    part.hadGallery = terms.hadGallery;
    part.refusal = std::move(terms.refusal);
    part.leftOut = std::move(terms.leftOut);
    return part;
}

std::optional<Part> ShippingPart(const AuctionForm& form) {
    Block lines{BlockKind::BulletList, {}, {}};
    for (const std::string* line :
         {&form.shippingLine1, &form.shippingLine2, &form.shippingLine3, &form.shippingLine4}) {
        if (Line item = FormLine(*line); !item.empty()) {
            lines.lines.push_back(std::move(item));
        }
    }
    if (lines.lines.empty()) {
        return std::nullopt;
    }
    return Part{"Edit6", {HeadingBlock(BlockKind::Heading, kShippingHeading), lines}, {}, false, {},
                {}};
}

std::vector<Part> Parts(const AuctionForm& form, const ExportOptions& options) {
    std::vector<Part> parts;
    parts.push_back(DescriptionPart(form));
    if (options.withTerms) {
        if (auto terms = TermsPart(form)) {
            parts.push_back(std::move(*terms));
        }
        if (auto shipping = ShippingPart(form)) {
            parts.push_back(std::move(*shipping));
        }
    }
    return parts;
}

// Adjacent text blocks become one TEXT item, each picture an IMAGE item. A block after an
// <hr> begins a new item and a new section.
void AppendPieces(const Part& part, std::vector<Piece>& pieces) {
    const std::span<const Block> blocks = part.blocks;
    bool first = true;
    for (std::size_t i = 0; i < blocks.size();) {
        Piece piece;
        piece.startsSection = first || blocks[i].startsSection;
        if (blocks[i].IsText()) {
            std::size_t end = i + 1;
            while (end < blocks.size() && blocks[end].IsText() && !blocks[end].startsSection) {
                ++end;
            }
            piece.item = Item{ItemType::Text, WriteTextItem(blocks.subspan(i, end - i))};
            i = end;
        } else {
            piece.item = Item{ItemType::Image, blocks[i].address};
            ++i;
        }
        first = false;
        pieces.push_back(std::move(piece));
    }
}

// Left to right: an item joins the section before it when that section holds one item and
// the two make an allowed arrangement (anything but two TEXT items).
Description GroupIntoSections(std::vector<Piece> pieces) {
    Description description;
    for (Piece& piece : pieces) {
        const bool joins = !piece.startsSection && !description.sections.empty() &&
                           description.sections.back().items.size() == 1 &&
                           !(description.sections.back().items.front().type == ItemType::Text &&
                             piece.item.type == ItemType::Text);
        if (!joins) {
            description.sections.emplace_back();
        }
        description.sections.back().items.push_back(std::move(piece.item));
    }
    return description;
}

std::string Quote(std::string_view text) {
    return "„" + std::string(text) + "”";
}

// "40 002 bajty": a size, with its digits grouped.
std::string Bytes(std::size_t count) {
    return GroupedCountedNoun(count, "bajt", "bajty", "bajtów");
}

// ---- The report ---------------------------------------------------------------------------

class Report {
  public:
    void Error(std::string control, std::string message) {
        findings_.push_back({Severity::Error, std::move(control), std::move(message)});
    }
    void Warning(std::string control, std::string message) {
        findings_.push_back({Severity::Warning, std::move(control), std::move(message)});
    }
    void Note(std::string control, std::string message) {
        findings_.push_back({Severity::Note, std::move(control), std::move(message)});
    }
    void Append(std::vector<Finding> findings) {
        std::move(findings.begin(), findings.end(), std::back_inserter(findings_));
    }
    // Errors first, then warnings, then notes, each in the order they were found.
    std::vector<Finding> Take() {
        std::stable_sort(
            findings_.begin(), findings_.end(),
            [](const Finding& a, const Finding& b) { return a.severity < b.severity; });
        return std::move(findings_);
    }

  private:
    std::vector<Finding> findings_;
};

// The host of a web address when it is an IP address ("192.168.1.5", "[::1]"), else empty.
// A host whose last label is a number is read as IPv4 by browsers ("0x7f.1", "2130706433").
std::string IpAddressHost(std::string_view address) {
    const std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos) {
        return {};
    }
    std::string_view host = address.substr(scheme + 3);
    host = host.substr(0, host.find_first_of("/?#\\"));
    if (const std::size_t at = host.rfind('@'); at != std::string_view::npos) {
        host.remove_prefix(at + 1);
    }
    if (host.starts_with('[')) {
        return std::string(host.substr(0, host.find(']') + 1));
    }
    host = host.substr(0, host.find(':'));
    std::string_view last = host;
    while (last.ends_with('.')) {
        last.remove_suffix(1);
    }
    last.remove_prefix(std::min(last.size(), last.rfind('.') + 1));  // npos + 1 is 0
    const bool hex = last.size() > 2 && (last.starts_with("0x") || last.starts_with("0X")) &&
                     last.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string_view::npos;
    const bool decimal =
        !last.empty() && last.find_first_not_of("0123456789") == std::string_view::npos;
    return hex || decimal ? std::string(host) : std::string();
}

// Reports each picture address once; returns whether one was not a web address (a picture
// from the disk that the caller uploads counts too, as the validator cannot take it yet).
bool CheckPictures(const Part& part, const ExportOptions& options, std::set<std::string>& seen,
                   Report& report) {
    bool unusable = false;
    for (const Block& block : part.blocks) {
        if (block.IsText() || !seen.insert(block.address).second) {
            continue;
        }
        const std::string& address = block.address;
        if (options.acceptLocalPictures && IsLocalPictureSource(address)) {
            report.Note(part.control, "Zdjęcie z dysku " + Quote(address) +
                                          " zostanie wysłane do Allegro razem z opisem.");
            unusable = true;
            continue;
        }
        const AddressKind kind = ClassifyAddress(address);
        if (const std::string ip = IpAddressHost(address); IsUsableAddress(kind) && !ip.empty()) {
            report.Warning(part.control, "Zdjęcie " + Quote(address) + " ma w adresie numer IP " +
                                             ip +
                                             " zamiast nazwy serwera; Allegro może nie pobrać "
                                             "takiego zdjęcia.");
        }
        switch (kind) {
            case AddressKind::Https:
                continue;
            case AddressKind::Http:
                report.Warning(part.control, "Zdjęcie " + Quote(address) +
                                                 " ma adres http://; Allegro prosi o https://.");
                continue;
            case AddressKind::Empty:
                report.Error(part.control,
                             "Zdjęcie bez adresu: wpisz pełny adres https:// albo "
                             "usuń znacznik zdjęcia.");
                break;
            case AddressKind::NoHost:
                report.Error(part.control, "Zdjęcie z samym " + Quote(address) +
                                               " zamiast adresu: dopisz resztę adresu albo usuń "
                                               "znacznik zdjęcia.");
                break;
            case AddressKind::Relative:
                report.Error(part.control, "Zdjęcie " + Quote(address) +
                                               " ma adres względny; Allegro potrzebuje pełnego "
                                               "adresu https://.");
                break;
            case AddressKind::NotWeb:
                if (const std::string fault = AddressCharacterFault(address); !fault.empty()) {
                    // A control character is never shown raw.
                    const bool showable = std::none_of(address.begin(), address.end(), [](char c) {
                        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                    });
                    report.Error(part.control, "Adres zdjęcia " +
                                                   (showable ? Quote(address) + " " : "") + "ma " +
                                                   fault + ".");
                    break;
                }
                report.Error(part.control, "Zdjęcie " + Quote(address) +
                                               " nie ma adresu internetowego; Allegro potrzebuje "
                                               "pełnego adresu https://.");
                break;
        }
        unusable = true;
    }
    return unusable;
}

void ReportLinksAndGallery(const Part& part, Report& report) {
    if (!part.refusal.empty()) {
        report.Error(part.control, part.refusal);
    }
    for (const std::string& leftOut : part.leftOut) {
        report.Warning(part.control, leftOut);
    }
    std::set<std::string_view> seen;
    for (const std::string& link : part.links) {
        if (seen.insert(link).second) {
            report.Warning(part.control, "Link do " + Quote(link) +
                                             " usunięty z opisu (jego tekst został): Allegro nie "
                                             "pozwala na linki w opisie.");
        }
    }
    if (part.hadGallery) {
        report.Note(part.control,
                    "Znacznik <GALERIA> pominięty: Allegro samo pokazuje galerię "
                    "zdjęć oferty.");
    }
}

std::vector<std::string> PicturesInOrder(const std::vector<Part>& parts) {
    std::vector<std::string> images;
    std::set<std::string_view> seen;
    for (const Part& part : parts) {
        for (const Block& block : part.blocks) {
            if (!block.IsText() && seen.insert(block.address).second) {
                images.push_back(block.address);
            }
        }
    }
    return images;
}

// What the exporter reported itself, so that its own check can tell a limit from a fault.
struct ReportedLimits {
    bool size = false;
    bool sectionCount = false;
    bool pictureAddress = false;
};

ReportedLimits CheckLimits(const AllegroOffer& offer, Report& report) {
    ReportedLimits reported;
    const std::size_t titleLength = TitleLength(offer.name);
    if (offer.name.empty()) {
        report.Warning("Edit2", "jest pusty, a to on jest tytułem oferty.");
    } else if (titleLength > kMaxTitleLength) {
        report.Error("Edit2", "Tytuł oferty ma " +
                                  CountedNoun(titleLength, "znak", "znaki", "znaków") +
                                  " (Allegro liczy & jako 5, < i > jako 4, \" jako 6), a "
                                  "może mieć najwyżej " +
                                  std::to_string(kMaxTitleLength) + ".");
    }
    if (offer.images.size() > kMaxOfferImages) {
        report.Error("Memo1",
                     "Opis ma " + CountedNoun(offer.images.size(), "zdjęcie", "zdjęcia", "zdjęć") +
                         ", a oferta może mieć najwyżej " + std::to_string(kMaxOfferImages) + ".");
    }
    const std::size_t sections = offer.description.sections.size();
    if (sections == 0) {
        report.Error("Memo1",
                     "Opis nie ma żadnej sekcji: wpisz nagłówek aukcji albo opis "
                     "przedmiotu.");
        reported.sectionCount = true;
    } else if (sections > kMaxSections) {
        report.Error("Memo1", "Opis ma " + CountedNoun(sections, "sekcję", "sekcje", "sekcji") +
                                  ", a Allegro przyjmuje najwyżej " + std::to_string(kMaxSections) +
                                  ": połącz zdjęcia z tekstem albo usuń część zdjęć.");
        reported.sectionCount = true;
    }
    if (offer.descriptionBytes > kMaxDescriptionBytes) {
        const std::size_t over = offer.descriptionBytes - kMaxDescriptionBytes;
        report.Error("Memo1", "Opis ma " + Bytes(offer.descriptionBytes) +
                                  ", a Allegro przyjmuje najwyżej " +
                                  GroupedNumber(kMaxDescriptionBytes) + ": skróć go o " +
                                  Bytes(over) + ".");
        reported.size = true;
    }
    return reported;
}

// The exporter's output passes the validator, apart from the limits it has reported itself;
// anything else is a fault of the exporter, never something to hand to the seller.
void CheckOwnOutput(const AllegroOffer& offer, const ReportedLimits& reported) {
    for (const Violation& violation : FindViolations(offer.description, offer.descriptionBytes)) {
        const bool explained = (violation.rule == Rule::Size && reported.size) ||
                               (violation.rule == Rule::SectionCount && reported.sectionCount) ||
                               (violation.rule == Rule::PictureAddress && reported.pictureAddress);
        if (!explained) {
            throw std::logic_error("the structured description breaks its own rules: " +
                                   violation.message);
        }
    }
}

std::string JsonString(std::string_view text) {
    std::string json;
    AppendJsonString(json, text);
    return json;
}

}  // namespace

bool HasNoTitleHeadingMark(std::string_view utf8Description) {
    const std::size_t start = utf8Description.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos &&
           utf8Description.substr(start).starts_with(kNoTitleHeadingMark);
}

std::string FormLineText(std::string_view cp1250) {
    return LineText(FormLine(cp1250));
}

bool IsLocalPictureSource(std::string_view utf8Source) {
    if (utf8Source.empty() || utf8Source.starts_with("//")) {
        return false;  // nothing, or a web address without its scheme
    }
    for (const char c : utf8Source) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    if (utf8Source.front() == '/') {
        return true;
    }
    // A scheme is letters, digits, "+", "-" or "." before the first ":", starting with a letter.
    constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::size_t colon = utf8Source.find(':');
    const std::size_t schemeEnd = utf8Source.find_first_not_of(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.");
    const bool hasScheme = colon != std::string_view::npos && colon > 0 && schemeEnd == colon &&
                           kLetters.find(utf8Source.front()) != std::string_view::npos;
    if (!hasScheme) {
        return true;
    }
    return AsciiLower(utf8Source.substr(0, colon)) == "file" &&
           utf8Source.substr(colon).starts_with("://");
}

bool AllegroOffer::HasErrors() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.severity == Severity::Error; });
}

AllegroOffer ExportAllegro(const AuctionForm& form, const ExportOptions& options) {
    const std::vector<Part> parts = Parts(form, options);
    std::vector<Piece> pieces;
    for (const Part& part : parts) {
        AppendPieces(part, pieces);
    }
    AllegroOffer offer;
    offer.name = FormLineText(form.auctionHeader);
    offer.images = PicturesInOrder(parts);
    offer.description = GroupIntoSections(std::move(pieces));
    offer.descriptionBytes = DescriptionToJson(offer.description).size();

    Report report;
    ReportedLimits reported = CheckLimits(offer, report);
    std::set<std::string> seenPictures;
    for (const Part& part : parts) {
        reported.pictureAddress |= CheckPictures(part, options, seenPictures, report);
        ReportLinksAndGallery(part, report);
    }
    report.Append(LeftOutInputs(form, options));
    CheckOwnOutput(offer, reported);
    offer.findings = report.Take();
    return offer;
}

std::string OfferToJson(const AllegroOffer& offer) {
    std::string images = "[";
    for (const std::string& image : offer.images) {
        if (images.size() > 1) {
            images += ",";
        }
        images += JsonString(image);
    }
    images += "]";
    return "{\"name\":" + JsonString(offer.name) + ",\"images\":" + images +
           ",\"description\":" + DescriptionToJson(offer.description) + "}";
}

namespace {

// "(sekcja 2)" or "(sekcje 2, 5)": where each picture stands, by its address.
std::vector<std::string> PictureSectionNotes(const AllegroOffer& offer) {
    std::vector<std::vector<std::size_t>> sections(offer.images.size());
    const auto& all = offer.description.sections;
    for (std::size_t number = 1; number <= all.size(); ++number) {
        for (const Item& item : all[number - 1].items) {
            const auto image = std::find(offer.images.begin(), offer.images.end(), item.content);
            if (item.type != ItemType::Image || image == offer.images.end()) {
                continue;
            }
            auto& numbers = sections[static_cast<std::size_t>(image - offer.images.begin())];
            if (numbers.empty() || numbers.back() != number) {
                numbers.push_back(number);
            }
        }
    }
    std::vector<std::string> notes;
    notes.reserve(sections.size());
    for (const auto& numbers : sections) {
        std::string note = numbers.size() > 1 ? " (sekcje " : " (sekcja ";
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            note += (i > 0 ? ", " : "") + std::to_string(numbers[i]);
        }
        notes.push_back(numbers.empty() ? std::string() : note + ")");
    }
    return notes;
}

// The TEXT item's markup without its tags. The markup is the subset the writer makes: escaped
// text, block elements at the top, list items in lists, bold anywhere.
class PlainTextWriter {
  public:
    void Append(std::string_view markup) {
        for (std::size_t at = 0; at < markup.size();) {
            if (markup[at] != '<') {
                const std::size_t end = std::min(markup.find('<', at), markup.size());
                AppendUnescaped(markup.substr(at, end - at));
                at = end;
                continue;
            }
            const std::size_t end = markup.find('>', at);
            if (end == std::string_view::npos) {
                break;
            }
            Tag(markup.substr(at + 1, end - at - 1));
            at = end + 1;
        }
    }
    std::string Take() { return std::move(out_); }

  private:
    void Tag(std::string_view tag) {
        if (tag == "h1" || tag == "h2" || tag == "p" || tag == "ul" || tag == "ol") {
            if (!out_.empty()) {
                out_ += '\n';  // a blank line between blocks
            }
            numbered_ = tag == "ol";
            itemNumber_ = 0;
        } else if (tag == "li") {
            out_ += numbered_ ? std::to_string(++itemNumber_) + ". " : std::string("- ");
        } else if (tag == "/h1" || tag == "/h2" || tag == "/p" || tag == "/li") {
            out_ += '\n';
        }
    }
    void AppendUnescaped(std::string_view text) {
        constexpr std::pair<std::string_view, char> kEscapes[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
        for (std::size_t at = 0; at < text.size(); ++at) {
            const auto escape = std::find_if(
                std::begin(kEscapes), std::end(kEscapes),
                [&](const auto& pair) { return text.substr(at).starts_with(pair.first); });
            if (text[at] == '&' && escape != std::end(kEscapes)) {
                out_ += escape->second;
                at += escape->first.size() - 1;
            } else {
                out_ += text[at];
            }
        }
    }

    std::string out_;
    bool numbered_ = false;
    std::size_t itemNumber_ = 0;
};

// The HTML says its encoding: an editor that reads the clipboard's HTML as another one would
// garble every Polish letter.
constexpr std::string_view kHtmlStart = "<meta charset=\"utf-8\">";

ClipboardText ClipboardTextOf(const std::vector<const Item*>& items) {
    ClipboardText text;
    PlainTextWriter plain;
    for (const Item* item : items) {
        text.html += OneBlockPerLine(item->content);
        plain.Append(item->content);
    }
    if (!text.html.empty()) {
        text.html.insert(0, kHtmlStart);
    }
    text.plain = plain.Take();
    return text;
}

}  // namespace

std::string OfferToPasteText(const AllegroOffer& offer) {
    std::string text;
    std::size_t number = 0;
    for (const Section& section : offer.description.sections) {
        text += "<!-- sekcja " + std::to_string(++number) + " -->\n";
        for (const Item& item : section.items) {
            if (item.type == ItemType::Text) {
                text += OneBlockPerLine(item.content);
            }
        }
    }
    if (!offer.images.empty()) {
        if (!text.empty()) {
            text += "\n";  // a blank line between the text and the pictures
        }
        const std::vector<std::string> notes = PictureSectionNotes(offer);
        for (std::size_t i = 0; i < offer.images.size(); ++i) {
            text += std::to_string(i + 1) + ". " + offer.images[i] + notes[i] + "\n";
        }
    }
    return text;
}

ClipboardText DescriptionClipboardText(const Description& description) {
    std::vector<const Item*> items;
    for (const Section& section : description.sections) {
        for (const Item& item : section.items) {
            if (item.type == ItemType::Text) {
                items.push_back(&item);
            }
        }
    }
    return ClipboardTextOf(items);
}

ClipboardText SectionClipboardText(const Section& section) {
    return DescriptionClipboardText(Description{{section}});
}

}  // namespace licytek::structured
