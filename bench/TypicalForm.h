// The typical form that the benchmarks time: a title, a description header, contact data,
// terms, bank account, shipping, seller links, keywords, an effect and the locks, in one of
// the eight layouts, with the description given.
#pragma once

#include <string>
#include <utility>

#include "model/AuctionForm.h"

namespace licytek::bench {

inline AuctionForm TypicalForm(std::string description, int layout = 1) {
    AuctionForm form;
    form.Edit2 = "Rower g\xF3rski, stan bardzo dobry";
    form.Edit1 = "Opis przedmiotu";
    form.Memo1 = std::move(description);
    form.CheckBox1 = form.CheckBox6 = form.CheckBox7 = form.CheckBox8 = form.CheckBox9 = true;
    form.Edit3 = "601 234 567";
    form.Edit4 = "1234567";
    form.Memo2 =
        "Wysy\xB3ka w ci\xB9gu 3 dni od wp\xB3"
        "aty.\r\nNie wysy\xB3"
        "am za pobraniem.";
    form.Edit5 = "12 3456 7890 1234 5678 9012 3456";
    form.Edit6 = "Poczta Polska: 15 z\xB3";
    form.Edit7 = "Kurier: 25 z\xB3";
    form.Edit34 = "Rower g\xF3rski";
    form.Memo5 = "rower g\xF3rski 19 cali";
    form.CheckBox2 = form.CheckBox4 = true;
    form.ComboBox1 = 1;
    form.CheckBox23 = form.CheckBox24 = form.CheckBox30 = form.CheckBox29 = form.CheckBox28 = true;
    bool AuctionForm::*const radios[] = {&AuctionForm::RadioButton1, &AuctionForm::RadioButton2,
                                         &AuctionForm::RadioButton3, &AuctionForm::RadioButton4,
                                         &AuctionForm::RadioButton5, &AuctionForm::RadioButton6,
                                         &AuctionForm::RadioButton7, &AuctionForm::RadioButton8};
    for (auto radio : radios) {
        form.*radio = false;
    }
    form.*radios[layout - 1] = true;
    return form;
}

}  // namespace licytek::bench
