#include "model/FormFields.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace licytek {
namespace {

TEST(FormFields, NamesAreUniqueAndFoundByName) {
    std::set<std::string_view> names;
    for (const auto& field : FormFields()) {
        EXPECT_TRUE(names.insert(field.name).second) << field.name;
        EXPECT_FALSE(field.label.empty()) << field.name;
        EXPECT_EQ(FindFormField(field.name), &field);
    }
    EXPECT_EQ(FindFormField("Edit17")->label, "URL do zdjęcia");
    EXPECT_EQ(FindFormField("Edit36"), nullptr);
    EXPECT_EQ(FindFormField(""), nullptr);
}

TEST(FormFields, EachFieldHasExactlyTheMemberOfItsKind) {
    for (const auto& field : FormFields()) {
        SCOPED_TRACE(field.name);
        EXPECT_EQ(field.text != nullptr, IsTextKind(field.kind));
        EXPECT_EQ(field.flag != nullptr, field.kind == FieldKind::Switch);
        EXPECT_EQ(field.position != nullptr, field.kind == FieldKind::ListPosition);
        EXPECT_EQ(field.listSize > 0, field.kind == FieldKind::ListPosition);
        if (field.kind != FieldKind::Switch) {
            EXPECT_EQ(field.group, SwitchGroup::None);
        }
    }
}

// Two fields pointing at one member would make one input overwrite another.
TEST(FormFields, NoTwoFieldsShareAMember) {
    const auto fields = FormFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        for (std::size_t j = i + 1; j < fields.size(); ++j) {
            const auto& a = fields[i];
            const auto& b = fields[j];
            const bool same = (a.text != nullptr && a.text == b.text) ||
                              (a.flag != nullptr && a.flag == b.flag) ||
                              (a.position != nullptr && a.position == b.position);
            EXPECT_FALSE(same) << a.name << " and " << b.name;
        }
    }
}

TEST(FormFields, ListsHaveTheirItemCounts) {
    EXPECT_EQ(FindFormField("ComboBox5")->listSize, 14);
    for (const auto name : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"}) {
        EXPECT_EQ(FindFormField(name)->listSize, 26) << name;
    }
    for (const auto name : {"ComboBox6", "ComboBox7", "ComboBox8", "ComboBox9"}) {
        EXPECT_EQ(FindFormField(name)->kind, FieldKind::ListText) << name;
    }
}

TEST(FormFields, SwitchGroupsHoldTheirMembersWithOneOnByDefault) {
    const std::map<SwitchGroup, std::set<std::string_view>> expected = {
        {SwitchGroup::Layout,
         {"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5",
          "RadioButton6", "RadioButton7", "RadioButton8"}},
        {SwitchGroup::PictureSource, {"RadioButton9", "RadioButton10"}},
        {SwitchGroup::Animation, {"RadioButton13", "RadioButton14", "RadioButton15"}},
        {SwitchGroup::Direction, {"RadioButton11", "RadioButton12"}},
        {SwitchGroup::Alignment, {"Panel9", "Panel10", "Panel11", "Panel12"}},
    };
    const std::map<SwitchGroup, std::set<std::string_view>> onByDefault = {
        {SwitchGroup::Layout, {"RadioButton1"}},
        {SwitchGroup::PictureSource, {"RadioButton9"}},
        {SwitchGroup::Alignment, {"Panel9"}},
    };
    std::map<SwitchGroup, std::set<std::string_view>> members;
    std::map<SwitchGroup, std::set<std::string_view>> on;
    const AuctionForm defaults;
    for (const auto& field : FormFields()) {
        if (field.group == SwitchGroup::None) {
            continue;
        }
        members[field.group].insert(field.name);
        if (defaults.*field.flag) {
            on[field.group].insert(field.name);
        }
    }
    EXPECT_EQ(members, expected);
    EXPECT_EQ(on, onByDefault);
}

}  // namespace
}  // namespace licytek
