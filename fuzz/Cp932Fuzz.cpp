// The code page 932 and UTF-8 codecs: any bytes survive a decode and an encode, and the
// decoded text is well-formed UTF-8 whose length in code page 932 bytes is the input's.

#include "FuzzSupport.h"

#include "core/text/Cp932.h"

#include <optional>
#include <string>

using namespace tavolin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);

    // Code page 932 bytes -> text -> bytes. A character with two codes (the NEC and IBM
    // extensions) comes back with the other code of the same length, so the bytes may
    // differ, but they decode to the same text and encode to themselves from then on.
    const std::string text = text::DecodeCp932(bytes);
    fuzz::Check(fuzz::IsWellFormedUtf8(text), "DecodeCp932 gives well-formed UTF-8", bytes);
    fuzz::Check(text::Cp932Length(text) == bytes.size(),
                "Cp932Length of a decoded text is the byte count", bytes);
    const std::optional<std::string> encoded = text::EncodeCp932(text);
    fuzz::Check(encoded.has_value(), "a decoded text encodes again", bytes);
    fuzz::Check(encoded->size() == bytes.size(), "the round trip keeps the length", bytes);
    fuzz::Check(text::DecodeCp932(*encoded) == text, "the round trip keeps the text", bytes);
    fuzz::Check(text::EncodeCp932(text::DecodeCp932(*encoded)) == encoded,
                "the round trip is stable after one pass", bytes);

    // Bytes read as UTF-8 come back exactly.
    const std::string utf8 = text::DecodeUtf8(bytes);
    fuzz::Check(fuzz::IsWellFormedUtf8(utf8), "DecodeUtf8 gives well-formed UTF-8", bytes);
    fuzz::Check(text::EncodeUtf8(utf8) == bytes, "UTF-8 bytes survive a round trip", bytes);

    // The input taken as a text: what encodes has the length Cp932Length counted, and
    // decodes to a text that encodes to bytes of that length again.
    if (const std::optional<std::string> direct = text::EncodeCp932(bytes)) {
        fuzz::Check(text::Cp932Length(bytes) == direct->size(),
                    "Cp932Length counts the encoded bytes", bytes);
        const std::optional<std::string> again = text::EncodeCp932(text::DecodeCp932(*direct));
        fuzz::Check(again && again->size() == direct->size(),
                    "an encoded text survives a decode and an encode", bytes);
    }
    return 0;
}
