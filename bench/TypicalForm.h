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
    form.auctionHeader = "Rower g\xF3rski, stan bardzo dobry";
    form.descriptionHeader = "Opis przedmiotu";
    form.itemDescription = std::move(description);
    form.askSellerLink = form.aboutMeLink = form.otherAuctionsLink = form.commentsLink =
        form.favouritesLink = true;
    form.phone = "601 234 567";
    form.messengerNumber = "1234567";
    form.auctionTerms =
        "Wysy\xB3ka w ci\xB9gu 3 dni od wp\xB3"
        "aty.\r\nNie wysy\xB3"
        "am za pobraniem.";
    form.bankAccount = "12 3456 7890 1234 5678 9012 3456";
    form.shippingLine1 = "Poczta Polska: 15 z\xB3";
    form.shippingLine2 = "Kurier: 25 z\xB3";
    form.pageTitle = "Rower g\xF3rski";
    form.keywords = "rower g\xF3rski 19 cali";
    form.backgroundGradient = form.linkHighlight = true;
    form.pageEnterEffect = 1;
    form.sellerBlockLeft = form.contactBlockLeft = form.termsBlockRight = form.bankBlockRight =
        form.shippingBlockRight = true;
    bool AuctionForm::*const radios[] = {
        &AuctionForm::layout1, &AuctionForm::layout2, &AuctionForm::layout3, &AuctionForm::layout4,
        &AuctionForm::layout5, &AuctionForm::layout6, &AuctionForm::layout7, &AuctionForm::layout8};
    for (auto radio : radios) {
        form.*radio = false;
    }
    form.*radios[layout - 1] = true;
    return form;
}

}  // namespace licytek::bench
