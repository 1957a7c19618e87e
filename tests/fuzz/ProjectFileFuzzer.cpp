// Loads arbitrary bytes as a project file and as a seller ID file, both from memory and
// from disk, and checks what every load must give: texts that fit their slots, lists at a
// valid position or none, and a form that saves and loads back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <variant>

#include "model/FormFields.h"
#include "model/ProjectFile.h"
#include "model/SellerIdFile.h"
#include "model/Text.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// One scratch file for the run, in TMPDIR, removed at the end.
class ScratchFile {
  public:
    std::string Holding(std::string_view bytes) const {
        const std::string path = folder_.File("file");
        // A fresh file rather than a truncated one, which some file systems flush to disk.
        std::filesystem::remove(path);
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        Check(out.good(), "cannot write the scratch file");
        return path;
    }

  private:
    testing::TempDir folder_;
};

const ScratchFile& Scratch() {
    static const ScratchFile scratch;
    return scratch;
}

bool SurvivesUtf8(const std::string& cp1250) {
    return Utf8ToCp1250(Cp1250ToUtf8(cp1250)) == cp1250;
}

void CheckLoadedForm(const AuctionForm& form) {
    AuctionForm unsavedOnly = form;
    std::string allTexts;  // converted at once: the code page has one byte per character
    for (const auto& slot : ProjectSlots()) {
        const FormField& field = *FindFormField(slot.control);
        if (IsTextKind(field.kind)) {
            const std::string& text = form.*field.text;
            Check(text.size() <= slot.length, "a loaded text is longer than its slot");
            Check(text.find('\0') == std::string::npos, "a loaded text holds a zero byte");
            allTexts += text;
            unsavedOnly.*field.text = AuctionForm{}.*field.text;
        } else if (field.kind == FieldKind::ListPosition) {
            const int position = form.*field.position;
            Check(position == kNoListItem || (position >= 0 && position < field.listSize),
                  "a loaded list position is outside its list");
            unsavedOnly.*field.position = AuctionForm{}.*field.position;
        } else {
            unsavedOnly.*field.flag = AuctionForm{}.*field.flag;
        }
    }
    Check(unsavedOnly == AuctionForm{}, "loading changed an input the file does not hold");
    Check(SurvivesUtf8(allTexts), "a loaded text does not survive the trip through UTF-8");
}

// Decodes a record, checks the form and that it saves and loads back unchanged.
AuctionForm CheckedDecode(std::string_view record) {
    AuctionForm form;
    DecodeProject(record, form);
    CheckLoadedForm(form);

    const auto encoded = EncodeProject(form);
    Check(std::holds_alternative<std::string>(encoded), "a loaded form cannot be saved");
    const std::string& saved = std::get<std::string>(encoded);
    Check(saved.size() == kProjectRecordSize, "a saved record is not 60,000 bytes");
    AuctionForm reloaded;
    DecodeProject(saved, reloaded);
    Check(reloaded == form, "a loaded form does not save and load back unchanged");
    return form;
}

// The same bytes spread over the record's fields: the first ones become the one-byte fields
// in file order, the rest the start of every text. Raw bytes seldom land on the one-byte
// fields, which sit at a few fixed offsets among 60,000.
std::string SpreadOverFields(std::string_view bytes) {
    std::string record(kProjectRecordSize, '\0');
    for (const auto& slot : ProjectSlots()) {
        if (slot.length == 1 && !bytes.empty()) {
            record[slot.offset] = bytes.front();
            bytes.remove_prefix(1);
        }
    }
    for (const auto& slot : ProjectSlots()) {
        if (slot.length > 1) {
            const std::string_view text = bytes.substr(0, slot.length);
            record.replace(slot.offset, text.size(), text);
        }
    }
    return record;
}

void FuzzProjectFile(std::string_view bytes) {
    const AuctionForm form = CheckedDecode(bytes);
    AuctionForm fromFile;
    Check(!LoadProject(Scratch().Holding(bytes), fromFile), "a project file cannot be loaded");
    Check(fromFile == form, "loading the file differs from decoding its bytes");

    CheckedDecode(SpreadOverFields(bytes));
}

void FuzzSellerIdFile(std::string_view bytes) {
    const std::string id = DecodeSellerId(bytes);
    Check(id.size() <= kSellerIdFileSize, "a loaded seller ID is longer than 20 bytes");
    Check(bytes.substr(0, id.size()) == id, "a loaded seller ID is not the file's start");
    Check(id.size() == std::min(bytes.size(), kSellerIdFileSize) || bytes[id.size()] == '\0',
          "a loaded seller ID stops before the first zero byte");
    Check(SurvivesUtf8(id), "a seller ID does not survive the trip through UTF-8");

    const auto loaded = LoadSellerId(Scratch().Holding(bytes));
    Check(std::holds_alternative<std::string>(loaded) && std::get<std::string>(loaded) == id,
          "loading the ID file differs from decoding its bytes");
}

}  // namespace
}  // namespace licytek

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    licytek::FuzzProjectFile(bytes);
    licytek::FuzzSellerIdFile(bytes);
    return 0;
}
