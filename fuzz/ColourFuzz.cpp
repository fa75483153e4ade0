// The colour and integer texts of the settings file: a colour that is read is written in a
// form that reads as the same colour, and anything else is refused with ConversionError.

#include "FuzzSupport.h"

#include "core/Errors.h"
#include "core/helpers/Convert.h"

#include <string>

using namespace tavolin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(fuzz::Bytes(data, size));

    try {
        const Colour colour = ColourFromText(input);
        const std::string written = ColourToText(colour);
        fuzz::Check(!written.empty(), "a colour has a text", input);
        Colour again;
        try {
            again = ColourFromText(written);
        } catch (const ConversionError&) {
            fuzz::Fail("the text written for a colour reads again", written);
        }
        fuzz::Check(again == colour, "a colour survives a write and a read", input);
        fuzz::Check(ColourToText(again) == written, "a colour's text is stable", written);
    } catch (const ConversionError&) {
        // Not a colour: refusing it is the answer.
    }

    const std::optional<std::int32_t> number = ToInteger(input);
    if (number) {
        fuzz::Check(ToInteger(std::to_string(*number)) == number,
                    "an integer's decimal text reads as the integer", input);
        fuzz::Check(StrToInt(input) == *number, "StrToInt agrees with ToInteger", input);
    } else {
        bool threw = false;
        try {
            (void)StrToInt(input);
        } catch (const ConversionError&) {
            threw = true;
        }
        fuzz::Check(threw, "StrToInt refuses what ToInteger refuses", input);
    }
    try {
        (void)ParseSizeText(input);
    } catch (const ConversionError&) {
    }
    return 0;
}
