#include "batch/TemplateWarnings.h"

#include <algorithm>
#include <stdexcept>

#include "model/FormFields.h"
#include "structured/AllegroExport.h"

namespace licytek::batch {
namespace {

bool SameValue(const AuctionForm& a, const AuctionForm& b, const FormField& field) {
    if (IsTextKind(field.kind)) {
        return a.*field.text == b.*field.text;
    }
    if (field.kind == FieldKind::Switch) {
        return a.*field.flag == b.*field.flag;
    }
    return a.*field.position == b.*field.position;
}

}  // namespace

TemplateWarnings::TemplateWarnings(const AuctionForm& templateForm) : template_(templateForm) {
    try {
        for (auto& finding : structured::ExportAllegro(templateForm).findings) {
            if (finding.severity == structured::Severity::Warning) {
                warnings_.push_back(std::move(finding));
            }
        }
    } catch (const std::logic_error&) {
        // The rows meet the same fault and report it; the template has no warnings of its own.
    }
}

std::vector<std::string> TemplateWarnings::Lines() const {
    std::vector<std::string> lines;
    for (const auto& warning : warnings_) {
        lines.push_back(structured::FindingText(warning));
    }
    return lines;
}

bool TemplateWarnings::IsTemplates(const AuctionForm& row,
                                   const structured::Finding& finding) const {
    const bool templateGivesIt =
        std::any_of(warnings_.begin(), warnings_.end(), [&](const structured::Finding& own) {
            return own.control == finding.control && own.message == finding.message;
        });
    if (!templateGivesIt) {
        return false;
    }
    // A warning about the whole description, or about no single input, is the template's
    // when the template gives it too.
    const FormField* field = FindFormField(finding.control);
    return field == nullptr || SameValue(row, template_, *field);
}

}  // namespace licytek::batch
