// Conversions at the edges of the core: UTF-8 <-> Windows-1250 and LF <-> CR LF.
// The core itself holds every text as Windows-1250 bytes with CR LF between lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace licytek {

// Windows-1250 bytes for a UTF-8 text, or nothing when the text holds a character the code
// page cannot hold (or is not valid UTF-8); `badOffset` then gets the byte offset in `utf8`
// of the first such character. Nothing is ever replaced silently.
std::optional<std::string> Utf8ToCp1250(std::string_view utf8, std::size_t* badOffset = nullptr);

// The same conversion where the text stands (Windows-1250 is never longer than UTF-8), for
// texts too large to copy. On failure `text` is unchanged and `badOffset` is set as above.
bool Utf8ToCp1250InPlace(std::string& text, std::size_t* badOffset = nullptr);

// UTF-8 for Windows-1250 bytes. The five bytes the code page leaves undefined (0x81, 0x83,
// 0x88, 0x90, 0x98) become the control characters U+0081 and so on, and Utf8ToCp1250 turns
// those back, so a text read from a file survives the trip through the window unchanged.
std::string Cp1250ToUtf8(std::string_view cp1250);

// Whether Windows-1250 can hold the Unicode code point.
bool Cp1250CanHold(char32_t codePoint);

// Windows-1250 bytes for a UTF-8 text that the page shows as HTML text: a character the code
// page cannot hold becomes its numeric character reference ("²" as "&#178;"), which the page
// shows as that character. Nothing for a text that is not valid UTF-8 or that holds a
// character no reference gives back (U+0080 to U+009F: "&#128;" reads as "€"); `badOffset`
// then gets its offset, as in Utf8ToCp1250.
std::optional<std::string> Utf8ToCp1250WithReferences(std::string_view utf8,
                                                      std::size_t* badOffset = nullptr);

// Whether the code point stands as a reference in a text the page shows as HTML text: one
// that Windows-1250 cannot hold and that a reference gives back as itself.
bool TakesReference(char32_t codePoint);

// The UTF-8 text with every numeric character reference ("&#178;", "&#xB2;") as its character,
// as a browser reads a text. A reference to no character a page can carry (&#0;, &#128; to
// &#159;, a surrogate, past U+10FFFF) or without its ";" stays as it is written.
std::string DecodeCharacterReferences(std::string_view utf8);

// The UTF-8 text with the references that Utf8ToCp1250WithReferences writes ("&#178;", for
// characters Windows-1250 cannot hold) as their characters: for a UTF-8 file a seller reads,
// which that conversion turns back into the same bytes. Every other reference stays.
std::string WrittenReferencesAsCharacters(std::string_view utf8);

// Every lone LF becomes CR LF; CR LF stays as it is.
std::string ToCrLf(std::string_view text);

// Every CR LF becomes LF; a lone CR stays.
std::string ToLf(std::string_view text);

}  // namespace licytek
