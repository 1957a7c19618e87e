// Reads arbitrary bytes as a spreadsheet of offers. The first byte chooses the kind:
// - a CSV text, fed in one piece and byte by byte, must give the same records both ways;
// - the sheet of an .ods (content.xml) or of an .xlsx (the first sheet and its shared
//   strings), packed into a real archive, must give cells of well-formed UTF-8 or be refused;
// - the bytes as a whole file, which is mostly no archive at all, must be refused or read.
#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/CsvRecords.h"
#include "batch/SheetRecords.h"
#include "model/Utf8.h"

namespace licytek::batch {
namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

using Records = std::vector<std::vector<std::string>>;

Records CsvRecordsOf(std::string_view text, std::size_t chunk) {
    Records records;
    CsvRecords reader(';', [&](std::span<const std::string> cells) {
        records.emplace_back(cells.begin(), cells.end());
    });
    for (std::size_t at = 0; at < text.size(); at += chunk) {
        Check(reader.Feed(text.substr(at, chunk)), "libcsv ran out of memory");
    }
    reader.Finish();
    return records;
}

// A temporary file that goes away with the run.
class ScratchFile {
  public:
    ScratchFile() {
        const char* folder = std::getenv("TMPDIR");
        path_ = std::string(folder != nullptr ? folder : "/tmp") + "/sheet-XXXXXX";
        const int fd = ::mkstemp(path_.data());
        Check(fd >= 0, "no scratch file");
        ::close(fd);
    }
    ~ScratchFile() { ::unlink(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void AddEntry(zip_t* archive, const char* name, std::string_view bytes) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    Check(source != nullptr && zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) >= 0,
          "cannot pack the sheet");
}

void ReadSheet(const std::string& path) {
    std::size_t rows = 0;
    SheetRecords reader([&](std::span<const std::string> cells) {
        for (const std::string& cell : cells) {
            Check(IsValidUtf8(cell), "a cell that is not UTF-8");
        }
        ++rows;
    });
    reader.Read(path);
}

void FuzzSheet(std::string_view bytes, bool ods) {
    ScratchFile file;
    int error = 0;
    zip_t* archive = zip_open(file.path().c_str(), ZIP_TRUNCATE | ZIP_CREATE, &error);
    Check(archive != nullptr, "cannot make the archive");
    const std::string_view half = bytes.substr(0, bytes.size() / 2);
    const std::string_view rest = bytes.substr(bytes.size() / 2);
    if (ods) {
        AddEntry(archive, "mimetype", "application/vnd.oasis.opendocument.spreadsheet");
        AddEntry(archive, "content.xml", bytes);
    } else {
        AddEntry(archive, "xl/workbook.xml",
                 "<workbook><sheets><sheet name=\"Arkusz1\" sheetId=\"1\"/></sheets></workbook>");
        AddEntry(archive, "xl/worksheets/sheet1.xml", half);
        AddEntry(archive, "xl/sharedStrings.xml", rest);
    }
    Check(zip_close(archive) == 0, "cannot write the archive");
    ReadSheet(file.path());
}

void FuzzWholeFile(std::string_view bytes) {
    ScratchFile file;
    std::FILE* out = std::fopen(file.path().c_str(), "wb");
    Check(out != nullptr, "cannot write the scratch file");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    ReadSheet(file.path());
}

}  // namespace
}  // namespace licytek::batch

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    using namespace licytek::batch;
    switch (data[0] % 4) {
        case 0:
            Check(CsvRecordsOf(bytes, bytes.size() + 1) == CsvRecordsOf(bytes, 1),
                  "the records depend on how the bytes arrive");
            break;
        case 1:
            FuzzSheet(bytes, true);
            break;
        case 2:
            FuzzSheet(bytes, false);
            break;
        default:
            FuzzWholeFile(bytes);
            break;
    }
    return 0;
}
