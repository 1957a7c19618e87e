// The warnings of the structured export that the template form gives by itself (a phone
// number or the terms that Allegro does not take, say): told once for the whole batch, not
// again on every row that keeps the template's value.
#pragma once

#include <string>
#include <vector>

#include "model/AuctionForm.h"
#include "structured/Description.h"

namespace licytek::batch {

class TemplateWarnings {
  public:
    explicit TemplateWarnings(const AuctionForm& templateForm);

    // Forgets the warnings about inputs that a column of the sheet sets: a row whose cell is
    // empty keeps the template's value, and then tells that warning itself.
    template <typename SetByColumn>
    void LeaveOut(SetByColumn setByColumn) {
        std::erase_if(warnings_, [&](const structured::Finding& warning) {
            return setByColumn(warning.control);
        });
    }

    // Each warning of the template alone, as structured::FindingText words it.
    std::vector<std::string> Lines() const;

    // Whether a row's warning is the template's: the template gives the same warning, and the
    // row leaves the input it concerns as the template has it.
    bool IsTemplates(const AuctionForm& row, const structured::Finding& finding) const;

  private:
    const AuctionForm& template_;
    std::vector<structured::Finding> warnings_;
};

}  // namespace licytek::batch
