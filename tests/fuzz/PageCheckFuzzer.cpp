// Checks arbitrary bytes as a page: no crash, and every finding stands at a place that exists
// in the page, in its order, with a subject and a message.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/Text.h"
#include "structured/PageCheck.h"

namespace licytek::structured {
namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void FuzzPageCheck(std::string_view bytes) {
    // The check takes UTF-8; bytes that are not are read as Windows-1250, as the tool does.
    const std::string page = Cp1250ToUtf8(bytes);
    // Lines end with LF, CR LF or a lone CR.
    std::size_t lines = 1;
    for (std::size_t i = 0; i < page.size(); ++i) {
        lines +=
            page[i] == '\n' || (page[i] == '\r' && (i + 1 == page.size() || page[i + 1] != '\n'));
    }
    std::size_t lastLine = 0;
    std::size_t lastColumn = 0;
    for (const PageFinding& finding : CheckPage(page)) {
        Check(finding.line >= 1 && finding.line <= lines, "a finding on a line the page lacks");
        Check(finding.column >= 1, "a finding before the start of its line");
        Check(!finding.message.empty(), "a finding without a message");
        Check(finding.count >= 1, "a finding that stands for no place");
        Check(finding.line > lastLine ||
                  (finding.line == lastLine && finding.column >= lastColumn) || finding.count > 1,
              "findings out of the page's order");
        if (finding.count == 1) {
            lastLine = finding.line;
            lastColumn = finding.column;
        }
    }
}

}  // namespace
}  // namespace licytek::structured

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    licytek::structured::FuzzPageCheck(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
