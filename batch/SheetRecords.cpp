#include "batch/SheetRecords.h"

#include <libxml/xmlreader.h>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace licytek::batch {
namespace {

// The limits of the spreadsheet programs: no sheet they save is larger.
constexpr std::size_t kMaxRows = 1048576;
constexpr std::size_t kMaxColumns = 16384;
// All the shared strings of a workbook together; the text of a real sheet is far smaller, and
// an archive that inflates beyond it is taken for damaged rather than filling the memory.
constexpr std::size_t kMaxSharedStringBytes = std::size_t{256} << 20;

constexpr std::string_view kOdsMimeType = "application/vnd.oasis.opendocument.spreadsheet";
constexpr auto kOdsTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr auto kOdsText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";

// A damaged archive, or one that holds no sheet: the reading ends with the one message for it.
struct Damaged {};

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

void IgnoreXmlError(void*, xmlErrorPtr) {}

// One XML file of the archive, read node by node as it is inflated, never whole.
class XmlEntry {
  public:
    XmlEntry(zip_t* archive, const std::string& name) : file_(zip_fopen(archive, name.c_str(), 0)) {
        if (file_ == nullptr) {
            return;
        }
        // No network, no entities expanded, and no error printed: the archive is not ours.
        reader_ = xmlReaderForIO(ReadChunk, nullptr, this, name.c_str(), nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        if (reader_ != nullptr) {
            xmlTextReaderSetStructuredErrorHandler(reader_, IgnoreXmlError, nullptr);
        }
    }
    ~XmlEntry() {
        if (reader_ != nullptr) {
            xmlFreeTextReader(reader_);
        }
        if (file_ != nullptr) {
            zip_fclose(file_);
        }
    }
    XmlEntry(const XmlEntry&) = delete;
    XmlEntry& operator=(const XmlEntry&) = delete;

    bool Exists() const { return reader_ != nullptr; }
    // Moves to the next node; false at the end of the file.
    bool Read() { return Check(xmlTextReaderRead(reader_)); }
    // Moves past the current element and all it holds, onto the node after it.
    bool Skip() { return Check(xmlTextReaderNext(reader_)); }

    bool IsStart() const { return xmlTextReaderNodeType(reader_) == XML_READER_TYPE_ELEMENT; }
    bool IsEnd() const { return xmlTextReaderNodeType(reader_) == XML_READER_TYPE_END_ELEMENT; }
    bool IsEmpty() const { return xmlTextReaderIsEmptyElement(reader_) == 1; }
    bool IsText() const {
        const int type = xmlTextReaderNodeType(reader_);
        return type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
               type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE;
    }
    int Depth() const { return xmlTextReaderDepth(reader_); }
    // Whether the current node is the start of an element of this local name.
    bool Starts(std::string_view name) const { return IsStart() && Name() == name; }
    bool Ends(std::string_view name) const { return IsEnd() && Name() == name; }
    bool Starts(std::string_view ns, std::string_view name) const {
        return Starts(name) && View(xmlTextReaderConstNamespaceUri(reader_)) == ns;
    }
    std::string_view Name() const { return View(xmlTextReaderConstLocalName(reader_)); }
    std::string_view Value() const { return View(xmlTextReaderConstValue(reader_)); }

    std::optional<std::string> Attribute(const char* name, const char* ns = nullptr) const {
        xmlChar* value = ns == nullptr
                             ? xmlTextReaderGetAttribute(reader_, BAD_CAST name)
                             : xmlTextReaderGetAttributeNs(reader_, BAD_CAST name, BAD_CAST ns);
        if (value == nullptr) {
            return std::nullopt;
        }
        std::string text(reinterpret_cast<const char*>(value));
        xmlFree(value);
        return text;
    }
    // The value of the attribute of this local name in any namespace but none.
    std::optional<std::string> QualifiedAttribute(std::string_view name) const {
        std::optional<std::string> found;
        for (int more = xmlTextReaderMoveToFirstAttribute(reader_); more == 1 && !found;
             more = xmlTextReaderMoveToNextAttribute(reader_)) {
            if (Name() == name && xmlTextReaderConstNamespaceUri(reader_) != nullptr) {
                found = std::string(Value());
            }
        }
        xmlTextReaderMoveToElement(reader_);
        return found;
    }

  private:
    static int ReadChunk(void* self, char* buffer, int length) {
        const zip_int64_t got = zip_fread(static_cast<XmlEntry*>(self)->file_, buffer,
                                          static_cast<zip_uint64_t>(length));
        return got < 0 ? -1 : static_cast<int>(got);
    }
    static std::string_view View(const xmlChar* text) {
        return text == nullptr ? std::string_view{} : reinterpret_cast<const char*>(text);
    }
    static bool Check(int result) {
        if (result < 0) {
            throw Damaged{};
        }
        return result == 1;
    }

    zip_file_t* file_;
    xmlTextReaderPtr reader_ = nullptr;
};

std::string EntryText(zip_t* archive, const char* name, std::size_t limit) {
    zip_file_t* file = zip_fopen(archive, name, 0);
    if (file == nullptr) {
        return {};
    }
    std::string text(limit, '\0');
    const zip_int64_t got = zip_fread(file, text.data(), limit);
    zip_fclose(file);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// Gives the rows to the handler in the sheet's own numbering: the rows a file leaves out (or
// marks as empty repeats) come out as empty records before the next row that holds anything.
class RowSink {
  public:
    RowSink(const SheetRecords::RecordHandler& onRecord, const SheetRecords& records)
        : onRecord_(onRecord), records_(records) {}

    std::size_t Next() const { return next_; }
    // Gives row `number` (from 1); false once no more rows are wanted.
    bool Give(std::size_t number, std::span<const std::string> cells) {
        if (number < next_) {
            throw Damaged{};  // rows out of order
        }
        if (number > kMaxRows) {
            return false;
        }
        for (; next_ < number; ++next_) {
            if (records_.Stopped()) {
                return false;
            }
            onRecord_({});
        }
        if (records_.Stopped()) {
            return false;
        }
        onRecord_(cells);
        ++next_;
        return !records_.Stopped();
    }

  private:
    const SheetRecords::RecordHandler& onRecord_;
    const SheetRecords& records_;
    std::size_t next_ = 1;
};

// Puts a cell's text at its column, the cells before it left empty.
void Place(std::vector<std::string>& cells, std::size_t column, std::string_view text) {
    if (column >= kMaxColumns || text.empty()) {
        return;
    }
    if (cells.size() <= column) {
        cells.resize(column + 1);
    }
    cells[column] = text;
}

std::optional<std::size_t> Number(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::size_t number = 0;
    const auto* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, number);
    if (error != std::errc() || stop != end) {
        throw Damaged{};
    }
    return number;
}

// ---- .xlsx ----------------------------------------------------------------------------------

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The text with the escapes "_xHHHH_" that Excel writes for control characters (a carriage
// return is "_x000D_") turned back into the characters.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned int c = 0;
        const bool escape = text.substr(i, 2) == "_x" && i + 7 <= text.size() && text[i + 6] == '_';
        if (escape) {
            const auto [stop, error] =
                std::from_chars(text.data() + i + 2, text.data() + i + 6, c, 16);
            if (error == std::errc() && stop == text.data() + i + 6 && (c < 0xD800 || c > 0xDFFF)) {
                AppendUtf8(out, static_cast<char32_t>(c));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// A number as a Polish sheet shows it without a format: a decimal comma, integers without
// decimals, at most the 15 significant digits a spreadsheet keeps.
std::string ShownNumber(std::string_view stored) {
    double value = 0;
    const auto [stop, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
    if (error != std::errc() || stop != stored.data() + stored.size()) {
        return std::string(stored);
    }
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string shown(buffer, written.ptr);
    for (char& c : shown) {
        c = c == '.' ? ',' : c;
    }
    return shown;
}

// The text of the element the reader is on (<si> or <is>): its <t> parts, without the
// phonetic guides (<rPh>) that only Japanese sheets hold.
std::string RichText(XmlEntry& xml) {
    std::string text;
    if (xml.IsEmpty()) {
        return text;
    }
    const int depth = xml.Depth();
    bool inText = false;
    bool advanced = false;
    while (advanced || xml.Read()) {
        advanced = false;
        if (xml.IsEnd() && xml.Depth() == depth) {
            break;
        }
        if (xml.Starts("rPh")) {
            // Skip lands on the node after the guide, which is looked at as if just read.
            advanced = xml.Skip();
            if (!advanced) {
                throw Damaged{};
            }
        } else if (xml.Starts("t")) {
            inText = !xml.IsEmpty();
        } else if (xml.Ends("t")) {
            inText = false;
        } else if (inText && xml.IsText()) {
            text.append(xml.Value());
        }
    }
    return Unescape(text);
}

std::vector<std::string> SharedStrings(zip_t* archive, const std::string& path) {
    std::vector<std::string> strings;
    XmlEntry xml(archive, path);
    if (!xml.Exists()) {
        return strings;
    }
    std::size_t bytes = 0;
    while (xml.Read()) {
        if (xml.Starts("si")) {
            strings.push_back(RichText(xml));
            bytes += strings.back().size() + sizeof(std::string);
            if (bytes > kMaxSharedStringBytes) {
                throw Damaged{};
            }
        }
    }
    return strings;
}

// Where the workbook's relation `id` points, as a path inside the archive; or, with an empty
// `id`, the target of the first relation of the type that ends in `typeEnd`.
std::string RelationTarget(zip_t* archive, std::string_view id, std::string_view typeEnd) {
    XmlEntry xml(archive, "xl/_rels/workbook.xml.rels");
    if (!xml.Exists()) {
        return {};
    }
    while (xml.Read()) {
        if (!xml.Starts("Relationship")) {
            continue;
        }
        const bool wanted = id.empty() ? xml.Attribute("Type").value_or("").ends_with(typeEnd)
                                       : xml.Attribute("Id") == id;
        if (wanted) {
            const std::string target = xml.Attribute("Target").value_or("");
            return target.starts_with('/') ? target.substr(1) : "xl/" + target;
        }
    }
    return {};
}

std::string FirstSheetPath(zip_t* archive) {
    XmlEntry xml(archive, "xl/workbook.xml");
    if (!xml.Exists()) {
        throw Damaged{};
    }
    while (xml.Read()) {
        if (xml.Starts("sheet")) {
            const auto id = xml.QualifiedAttribute("id");
            const std::string target = id ? RelationTarget(archive, *id, "") : "";
            return target.empty() ? "xl/worksheets/sheet1.xml" : target;
        }
    }
    throw Damaged{};
}

// The column of a cell reference such as "AB12", from 0.
std::optional<std::size_t> ColumnOf(const std::optional<std::string>& reference) {
    if (!reference) {
        return std::nullopt;
    }
    std::size_t column = 0;
    std::size_t letters = 0;
    for (const char c : *reference) {
        if (c < 'A' || c > 'Z' || ++letters > 3) {
            break;
        }
        column = column * 26 + static_cast<std::size_t>(c - 'A' + 1);
    }
    if (letters == 0) {
        throw Damaged{};
    }
    return column - 1;
}

// The text a cell shows, the reader on its <c>.
std::string XlsxCellText(XmlEntry& xml, const std::vector<std::string>& shared) {
    const std::string type = xml.Attribute("t").value_or("n");
    if (xml.IsEmpty()) {
        return {};
    }
    const int depth = xml.Depth();
    std::string value;
    std::string inlineText;
    bool inValue = false;
    while (xml.Read() && !(xml.IsEnd() && xml.Depth() == depth)) {
        if (xml.Starts("v")) {
            inValue = !xml.IsEmpty();
        } else if (xml.Ends("v")) {
            inValue = false;
        } else if (xml.Starts("is")) {
            inlineText = RichText(xml);
        } else if (inValue && xml.IsText()) {
            value.append(xml.Value());
        }
    }
    if (type == "s") {
        const auto index = Number(value.empty() ? std::nullopt : std::optional(value));
        if (!index || *index >= shared.size()) {
            throw Damaged{};
        }
        return shared[*index];
    }
    if (type == "inlineStr") {
        return inlineText;
    }
    if (type == "n") {
        return ShownNumber(value);
    }
    // "b" is 1 or 0 already; "str" (a formula's text), "e" (an error such as #N/A) and "d" (a
    // date written out) are shown as they are stored.
    return type == "str" ? Unescape(value) : value;
}

void ReadXlsx(zip_t* archive, RowSink& rows) {
    const std::string sharedPath = RelationTarget(archive, "", "/sharedStrings");
    const auto shared =
        SharedStrings(archive, sharedPath.empty() ? "xl/sharedStrings.xml" : sharedPath);
    XmlEntry xml(archive, FirstSheetPath(archive));
    if (!xml.Exists()) {
        throw Damaged{};
    }
    std::vector<std::string> cells;
    std::size_t row = 0;
    std::size_t column = 0;
    while (xml.Read()) {
        if (xml.Starts("row")) {
            row = Number(xml.Attribute("r")).value_or(rows.Next());
            cells.clear();
            column = 0;
            if (xml.IsEmpty() && !rows.Give(row, cells)) {
                return;
            }
        } else if (xml.Starts("c")) {
            column = ColumnOf(xml.Attribute("r")).value_or(column);
            Place(cells, column, XlsxCellText(xml, shared));
            ++column;
        } else if (xml.Ends("row")) {
            if (!rows.Give(row, cells)) {
                return;
            }
        }
    }
}

// ---- .ods -----------------------------------------------------------------------------------

// The text a cell shows, the reader on its <table:table-cell>: its paragraphs, one a line.
// Comments and drawings anchored to the cell are not its text.
std::string OdsCellText(XmlEntry& xml) {
    std::string text;
    if (xml.IsEmpty()) {
        return text;
    }
    const int depth = xml.Depth();
    bool paragraph = false;
    bool advanced = false;
    while (advanced || xml.Read()) {
        advanced = false;
        if (xml.IsEnd() && xml.Depth() == depth) {
            break;
        }
        if (xml.IsStart() && xml.Depth() == depth + 1) {
            if (xml.Name() != "p" && xml.Name() != "h") {
                advanced = xml.Skip();
                if (!advanced) {
                    throw Damaged{};
                }
                continue;
            }
            text += paragraph ? "\n" : "";
            paragraph = true;
        } else if (xml.Starts("s")) {
            const auto count = Number(xml.Attribute("c", kOdsText)).value_or(1);
            text.append(std::min<std::size_t>(count, kMaxColumns), ' ');
        } else if (xml.Starts("tab")) {
            text += '\t';
        } else if (xml.Starts("line-break")) {
            text += '\n';
        } else if (xml.IsText() && xml.Depth() > depth + 1) {
            text.append(xml.Value());
        }
    }
    return text;
}

void ReadOds(zip_t* archive, RowSink& rows) {
    XmlEntry xml(archive, "content.xml");
    if (!xml.Exists()) {
        throw Damaged{};
    }
    // The first table only; its rows may sit in header-row and row-group elements.
    while (xml.Read() && !xml.Starts(kOdsTable, "table")) {
    }
    if (!xml.Starts(kOdsTable, "table") || xml.IsEmpty()) {
        return;
    }
    const int tableDepth = xml.Depth();
    std::vector<std::string> cells;
    std::size_t row = 1;
    std::size_t rowRepeat = 1;
    std::size_t column = 0;
    while (xml.Read() && !(xml.IsEnd() && xml.Depth() == tableDepth)) {
        if (xml.Starts("table-row")) {
            cells.clear();
            column = 0;
            const std::size_t repeat =
                Number(xml.Attribute("number-rows-repeated", kOdsTable)).value_or(1);
            if (xml.IsEmpty()) {
                row += repeat;
            }
            rowRepeat = repeat;
        } else if (xml.Starts("table-cell") || xml.Starts("covered-table-cell")) {
            const std::size_t repeat =
                std::min(Number(xml.Attribute("number-columns-repeated", kOdsTable)).value_or(1),
                         kMaxColumns);
            const std::string text = OdsCellText(xml);
            for (std::size_t i = 0; i < repeat && !text.empty(); ++i) {
                Place(cells, column + i, text);
            }
            column += repeat;
        } else if (xml.Ends("table-row")) {
            // A repeated empty row costs nothing; a repeated row with text is given each time.
            const std::size_t repeat = cells.empty() ? 0 : std::min(rowRepeat, kMaxRows);
            for (std::size_t i = 0; i < repeat; ++i) {
                if (!rows.Give(row + i, cells)) {
                    return;
                }
            }
            row += rowRepeat;
        }
    }
}

}  // namespace

// Up to this many control characters a text may hold before it counts as binary.
constexpr std::size_t kFewControls = 4;
// The first bytes of files sellers might take for a spreadsheet: an old .xls, pictures, a
// PDF, a packed file, and text in UTF-16.
constexpr std::string_view kBinarySignatures[] = {
    "\xD0\xCF\x11\xE0", "\x89PNG",  "\xFF\xD8\xFF", "GIF8", "%PDF",
    "\x1F\x8B",         "\xFF\xFE", "\xFE\xFF",
};

InputKind KindOfInput(std::string_view start) {
    if (start.starts_with("PK\x03\x04")) {
        return InputKind::Archive;
    }
    // A spreadsheet's text holds few other control characters, if any: a stray one in a
    // cell is that row's fault, told with its row. A CSV in UTF-16 holds zero bytes at every
    // other place, and every binary format holds many in its first kilobytes.
    for (const std::string_view signature : kBinarySignatures) {
        if (start.starts_with(signature)) {
            return InputKind::Unreadable;
        }
    }
    const std::string_view sample = start.substr(0, 4096);
    std::size_t controls = 0;
    for (const char c : sample) {
        const auto byte = static_cast<unsigned char>(c);
        // Old programs end a text with Ctrl+Z (0x1A); it is text all the same.
        controls += byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' &&
                    byte != 0x1A;
    }
    if (controls >= std::max<std::size_t>(kFewControls, sample.size() / 32)) {
        return InputKind::Unreadable;
    }
    return InputKind::Text;
}

std::string UnreadableInputMessage(std::string_view path) {
    return "Nie umiem odczytać pliku " + std::string(path) +
           ": zapisz arkusz jako CSV rozdzielany średnikami";
}

bool SheetRecords::Read(const std::string& path) {
    int error = 0;
    Archive archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
    if (!archive) {
        return false;
    }
    RowSink rows(onRecord_, *this);
    try {
        const std::string mimeType = EntryText(archive.get(), "mimetype", kOdsMimeType.size() + 1);
        if (mimeType == kOdsMimeType) {
            ReadOds(archive.get(), rows);
        } else if (zip_name_locate(archive.get(), "xl/workbook.xml", 0) >= 0) {
            ReadXlsx(archive.get(), rows);
        } else {
            return false;
        }
    } catch (const Damaged&) {
        return false;
    }
    return true;
}

}  // namespace licytek::batch
