// The seller's words for what publish/ reports: a Failure's data and a wait in, Polish out.
// Each front end words them for itself through its FrontEnd; nothing parses these texts back.
// Server text (Allegro's errors, addresses) is put in as it came: the front end shows the
// whole line with its control characters escaped.
#pragma once

#include <string>
#include <string_view>

#include "publish/Protocol.h"
#include "publish/RequestFlow.h"

namespace licytek::publish {

struct FrontEnd {
    std::string_view signIn;    // how the seller signs in from here
    bool linePerError = false;  // Allegro's errors and what reached Allegro on lines of their own
};

inline constexpr FrontEnd kCommandLineFront{kSignInAgain, false};
inline constexpr FrontEnd kWindowFront{"Zaloguj się w oknie „Wyślij do Allegro…”", true};

// What went wrong, with Allegro's own errors, but without what already reached Allegro and
// without the Trace-Id.
std::string FailureSentence(const Failure& failure, const FrontEnd& front);

// Whether FailureSentence names the failure's offer by its number ("Odczyt oferty 123: ..."),
// so that a list of many offers needs to name it no more.
bool NamesOffer(const Failure& failure);

// What already reached Allegro: "nic nie zostało wysłane do Allegro." and the like.
std::string ReachedSentence(const Reached& reached);

// The whole text: what went wrong, "Stan: " what already reached Allegro (when anything did),
// and the Trace-Id. A cancelled piece of work says "Przerwano: " and what reached Allegro.
std::string FailureText(const Failure& failure, const FrontEnd& front);

inline std::string CommandLineText(const Failure& failure) {
    return FailureText(failure, kCommandLineFront);
}
inline std::string WindowText(const Failure& failure) {
    return FailureText(failure, kWindowFront);
}

// Why the work waits, for "czekam 60 s: ...". A capped wait says what Allegro asked for, and a
// session-wide one that every request waits.
std::string WaitSentence(const Wait& wait);

}  // namespace licytek::publish
