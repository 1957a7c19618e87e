#include "publish/Wording.h"

#include <vector>

#include "model/PolishNumbers.h"

namespace licytek::publish {
namespace {

std::string OfferNamed(std::string_view offerId) {
    return offerId.empty() ? "oferty" : "oferty " + std::string(offerId);
}

std::string WhatFailed(Purpose purpose, std::string_view offerId) {
    switch (purpose) {
        case Purpose::SignIn:
            return "Logowanie do Allegro";
        case Purpose::Account:
            return "Odczyt konta Allegro";
        case Purpose::Offers:
            return "Odczyt listy ofert";
        case Purpose::ReadOffer:
            return "Odczyt " + OfferNamed(offerId);
        case Purpose::Picture:
            return "Wysłanie zdjęcia do " + OfferNamed(offerId);
        case Purpose::Update:
            break;
    }
    return "Zmiana " + OfferNamed(offerId);
}

// Allegro's errors, "place: text": those Allegro wrote for the seller, and those it wrote only
// in English for developers, which the seller is told are in English.
struct ErrorLists {
    std::vector<std::string> forSeller;
    std::vector<std::string> inEnglish;
};

ErrorLists ListErrors(const std::vector<AllegroError>& errors) {
    ErrorLists lists;
    for (const AllegroError& error : errors) {
        const bool english = error.userMessage.empty() && !error.message.empty();
        std::string text = !error.userMessage.empty() ? error.userMessage
                           : english                  ? error.message
                                                      : error.code;
        if (text.empty()) {
            continue;
        }
        std::string place = PlaceInOffer(error.path);
        if (!place.empty()) {
            text = place.append(": ").append(text);
        }
        (english ? lists.inEnglish : lists.forSeller).push_back(std::move(text));
    }
    return lists;
}

// " Allegro: a; b", or on lines of their own, "\nAllegro:\n• a\n• b".
std::string AllegroSays(const std::vector<AllegroError>& errors, const FrontEnd& front) {
    const ErrorLists lists = ListErrors(errors);
    std::string said;
    const auto add = [&](std::string_view intro, const std::vector<std::string>& list) {
        if (list.empty()) {
            return;
        }
        if (front.linePerError) {
            said.append("\n").append(intro).append(":");
            for (const std::string& text : list) {
                said.append("\n• ").append(text);
            }
            return;
        }
        said.append(said.empty() ? " " : "; ").append(intro).append(": ");
        for (std::size_t i = 0; i < list.size(); ++i) {
            said.append(i > 0 ? "; " : "").append(list[i]);
        }
    };
    add("Allegro", lists.forSeller);
    add("Allegro (po angielsku)", lists.inEnglish);
    return said;
}

std::string RefusalSentence(const Failure& failure, const FrontEnd& front) {
    const std::string what = WhatFailed(failure.purpose, failure.offerId);
    const std::string because = AllegroSays(failure.errors, front);
    switch (failure.status) {
        case 400:
            return what + ": Allegro odrzuciło zapytanie." + because;
        case 403:
            return what +
                   ": Allegro odmówiło dostępu. Przez API oferty mogą zmieniać tylko konta "
                   "firmowe (od lipca 2022 r.) i tylko swoje własne oferty." +
                   because;
        case 404:
            if (failure.purpose == Purpose::Account || failure.purpose == Purpose::Offers) {
                return what + ": Allegro nie zna tego adresu.";
            }
            return "Oferta " + failure.offerId +
                   " nie istnieje: została usunięta albo przeniesiona do archiwum.";
        case 409:
            return what +
                   ": Allegro wciąż przetwarza poprzednią zmianę tej oferty. Spróbuj ponownie za "
                   "kilka minut.";
        case 413:
            return what + ": zdjęcie jest za duże dla Allegro." + because;
        case 415:
            return what +
                   ": Allegro nie przyjmuje tego rodzaju pliku jako zdjęcia (tylko JPEG, PNG "
                   "i WebP)." +
                   because;
        case 422:
            return what + ": Allegro nie przyjęło danych." + because;
        case 429:
            return what + ": Allegro chwilowo ogranicza liczbę zapytań. Spróbuj ponownie później.";
        default:
            break;
    }
    return what + ": Allegro odpowiedziało kodem " + std::to_string(failure.status) + "." + because;
}

std::string KindSentence(const Failure& failure, const FrontEnd& front) {
    const std::string what = WhatFailed(failure.purpose, failure.offerId);
    switch (failure.kind) {
        case FailureKind::Other:
            return failure.message;
        case FailureKind::NotSignedIn:
            return "Nie jesteś zalogowany do Allegro. " + std::string(front.signIn);
        case FailureKind::SessionEnded:
            return "Sesja Allegro wygasła albo została cofnięta. " + std::string(front.signIn);
        case FailureKind::AppKeysRefused:
            return "Allegro nie przyjęło klucza aplikacji tej kompilacji programu (Client ID i "
                   "Client Secret).";
        case FailureKind::Refused:
            return RefusalSentence(failure, front);
        case FailureKind::ServerError:
            return what + ": serwer Allegro nie działa poprawnie (kod " +
                   std::to_string(failure.status) + "). Spróbuj ponownie później.";
        case FailureKind::NoAnswer:
            return what + ": brak połączenia z Allegro (" + failure.detail + ").";
        case FailureKind::TooLarge:
            return "Odpowiedź Allegro jest za duża (" + failure.detail + ").";
        case FailureKind::UntrustedAddress:
            return "Allegro wskazało adres, pod który program nie wysyła danych logowania (" +
                   failure.detail + ").";
        case FailureKind::BadAnswer:
            return !failure.detail.empty()
                       ? failure.detail
                       : what + ": Allegro odpowiedziało w postaci, której program nie zna.";
        case FailureKind::BadInput:
            return failure.detail;
        case FailureKind::NotSaved:
            return failure.detail +
                   ". Bez tej pamięci następne wysłanie dodałoby te same zdjęcia do galerii "
                   "jeszcze raz, więc zmiana opisu nie została wysłana." +
                   (failure.reached.picturesUploaded == 0 ? " Nic nie zostało wysłane do Allegro."
                                                          : "");
        case FailureKind::Unconfirmed:
            return "Allegro nie potwierdziło zmiany " + OfferNamed(failure.offerId) + " w ciągu " +
                   failure.detail + ".";
        case FailureKind::UnknownIfArrived:
            return what +
                   (failure.status >= 500
                        ? ": serwer Allegro odpowiedział na zmianę kodem " +
                              std::to_string(failure.status)
                        : ": Allegro nie odpowiedziało na zmianę (" + failure.detail + ")") +
                   ", a potem nie udało się odczytać oferty.";
        case FailureKind::Cancelled:
            break;
    }
    return "Przerwano.";
}

}  // namespace

std::string FailureSentence(const Failure& failure, const FrontEnd& front) {
    std::string sentence = KindSentence(failure, front);
    if (!failure.picture.empty()) {
        sentence += " (zdjęcie „" + failure.picture + "”)";
    }
    return sentence;
}

bool NamesOffer(const Failure& failure) {
    const bool aboutOffer = failure.purpose == Purpose::ReadOffer ||
                            failure.purpose == Purpose::Picture ||
                            failure.purpose == Purpose::Update;
    if (failure.offerId.empty() || !aboutOffer) {
        return false;
    }
    // The kinds whose sentence begins with WhatFailed, or names the offer itself.
    switch (failure.kind) {
        case FailureKind::Refused:
        case FailureKind::ServerError:
        case FailureKind::NoAnswer:
        case FailureKind::UnknownIfArrived:
        case FailureKind::Unconfirmed:
            return true;
        case FailureKind::BadAnswer:
            return failure.detail.empty();
        default:
            return false;
    }
}

std::string ReachedSentence(const Reached& reached) {
    switch (reached.update) {
        case UpdateSent::Confirmed:
            return "zmiana opisu została zapisana w ofercie.";
        case UpdateSent::Sent:
            return "zmiana opisu została wysłana do Allegro; sprawdź ofertę na stronie Allegro.";
        case UpdateSent::Unknown:
            return "nie wiadomo, czy zmiana dotarła do Allegro; sprawdź ofertę na stronie "
                   "Allegro.";
        case UpdateSent::No:
            break;
    }
    if (reached.picturesUploaded > 0) {
        return "wysłano " + CountedNoun(reached.picturesUploaded, "zdjęcie", "zdjęcia", "zdjęć") +
               " do Allegro, ale opis oferty nie został zmieniony.";
    }
    return "nic nie zostało wysłane do Allegro.";
}

std::string FailureText(const Failure& failure, const FrontEnd& front) {
    std::string text;
    if (failure.kind == FailureKind::Cancelled) {
        text = "Przerwano: " + ReachedSentence(failure.reached);
    } else {
        text = FailureSentence(failure, front);
        if (failure.reached.picturesUploaded > 0 || failure.reached.update != UpdateSent::No) {
            text.append(front.linePerError ? "\n" : " ")
                .append("Stan: ")
                .append(ReachedSentence(failure.reached));
        }
    }
    if (!failure.traceId.empty()) {
        text += " (Trace-Id: " + failure.traceId + ")";
    }
    return text;
}

std::string WaitSentence(const Wait& wait) {
    std::string sentence;
    switch (wait.reason) {
        case WaitReason::TooManyRequests:
            sentence = "Allegro ogranicza liczbę zapytań";
            break;
        case WaitReason::ServerError:
            sentence = "ponowienie po błędzie serwera Allegro";
            break;
        case WaitReason::NoAnswer:
            sentence = "ponowienie po braku odpowiedzi Allegro";
            break;
        case WaitReason::Busy:
            sentence = "Allegro przetwarza poprzednią zmianę";
            break;
        case WaitReason::Processing:
            sentence = "Allegro zapisuje zmianę";
            break;
    }
    if (wait.asked > wait.seconds) {
        sentence += " (Allegro prosiło o " + std::to_string(wait.asked) + " s, to za długo)";
    }
    if (wait.sessionWide) {
        sentence += "; wstrzymane są wszystkie zapytania";
    }
    return sentence;
}

}  // namespace licytek::publish
