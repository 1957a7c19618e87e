// Eight whole pages, one per layout, from a form in which every input holds something of its
// own, compared byte for byte with pages written down once under tests/data/golden. The
// other generator tests build their expectations from the fragment table; these do not, so a
// fragment changed by accident fails here. scripts/update-golden-pages writes them anew on
// purpose (LICYTEK_UPDATE_GOLDEN=1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "generator/Document.h"
#include "model/FormFields.h"

namespace licytek {
namespace {

// A text that names its input, with Polish letters (Windows-1250 "zawartość") and, for a
// multi-line input, a second line.
std::string TextFor(const FormField& field) {
    std::string text = std::string(field.name) + " zawarto\x9C\xE6";
    if (field.kind == FieldKind::MultiLineText) {
        text += "\r\ndruga linia " + std::string(field.name);
    }
    return text;
}

// Every input filled: texts named after their input, every switch on (in a group only the
// first one, or the layout asked for), every list at a position of its own.
AuctionForm EveryInputFilled(int layout) {
    AuctionForm form;
    int layoutNumber = 0;
    int listIndex = 0;
    SwitchGroup lastGroup = SwitchGroup::None;
    for (const FormField& field : FormFields()) {
        switch (field.kind) {
            case FieldKind::Text:
            case FieldKind::MultiLineText:
            case FieldKind::ListText:
                form.*field.text = TextFor(field);
                break;
            case FieldKind::Switch:
                if (field.group == SwitchGroup::Layout) {
                    form.*field.flag = ++layoutNumber == layout;
                } else if (field.group == SwitchGroup::None) {
                    form.*field.flag = true;
                } else {
                    form.*field.flag = field.group != lastGroup;
                }
                lastGroup = field.group;
                break;
            case FieldKind::ListPosition:
                form.*field.position = ++listIndex % field.listSize;
                break;
        }
    }
    return form;
}

std::string GoldenPath(int layout) {
    return std::string(LICYTEK_SOURCE_DIR) + "/tests/data/golden/layout" + std::to_string(layout) +
           ".html";
}

TEST(GoldenPagesTest, EveryLayoutWritesItsWrittenDownPage) {
    const bool update = std::getenv("LICYTEK_UPDATE_GOLDEN") != nullptr;
    for (int layout = 1; layout <= 8; ++layout) {
        SCOPED_TRACE("layout " + std::to_string(layout));
        const std::string page = BuildDocument(EveryInputFilled(layout), "sprzedawca_123");
        if (update) {
            std::ofstream(GoldenPath(layout), std::ios::binary) << page;
            continue;
        }
        std::ifstream file(GoldenPath(layout), std::ios::binary);
        ASSERT_TRUE(file) << GoldenPath(layout);
        const std::string golden{std::istreambuf_iterator<char>(file), {}};
        ASSERT_EQ(page.size(), golden.size());
        EXPECT_TRUE(page == golden)
            << "first difference at byte "
            << std::distance(page.begin(),
                             std::mismatch(page.begin(), page.end(), golden.begin()).first);
    }
}

}  // namespace
}  // namespace licytek
