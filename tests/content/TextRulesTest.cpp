// The rules for texts (UTF-8 validity, macros) and for pictures (JPEG frames).
#include "Jpeg.h"
#include "TextRules.h"

#include <gtest/gtest.h>

using content::FindInvalidUtf8;
using content::FindMacros;
using content::IsKnownMacro;

TEST(Utf8, ValidTextsOfOneToFourBytesPass)
{
    EXPECT_FALSE(FindInvalidUtf8(""));
    EXPECT_FALSE(FindInvalidUtf8("plain ASCII"));
    EXPECT_FALSE(FindInvalidUtf8("Schlie\xC3\x9F" "en"));           // U+00DF
    EXPECT_FALSE(FindInvalidUtf8("\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA"));  // Hebrew
    EXPECT_FALSE(FindInvalidUtf8("\xE2\x80\xA6 \xEF\xBF\xBD"));    // U+2026, U+FFFD
    EXPECT_FALSE(FindInvalidUtf8("\xF0\x9F\x93\x88"));             // U+1F4C8, beyond U+FFFF
    EXPECT_FALSE(FindInvalidUtf8("\xF4\x8F\xBF\xBF"));             // U+10FFFF, the last code point
}

TEST(Utf8, InvalidSequencesAreFoundAtTheirFirstByte)
{
    EXPECT_EQ(FindInvalidUtf8("caf\xE9"), 3u);                     // Latin-1, not UTF-8
    EXPECT_EQ(FindInvalidUtf8("ab\xC0\x80"), 2u);                  // overlong NUL
    EXPECT_EQ(FindInvalidUtf8("\xE0\x80\xAF"), 0u);                // overlong slash
    EXPECT_EQ(FindInvalidUtf8("x\xED\xA0\x80"), 1u);               // a surrogate
    EXPECT_EQ(FindInvalidUtf8("\xF4\x90\x80\x80"), 0u);            // above U+10FFFF
    EXPECT_EQ(FindInvalidUtf8("ok\xE2\x80"), 2u);                  // cut off at the end
    EXPECT_EQ(FindInvalidUtf8("\x80"), 0u);                        // a lone continuation byte
    EXPECT_EQ(FindInvalidUtf8("\xC3\x28"), 0u);                    // a lead byte without continuation
}

TEST(Macros, TheProgramsMacrosAreKnownAndNothingElse)
{
    for (const char* known : {"$(^Name)", "${PRIMARY_SW_NAME}", "$(^LangAbrev)", "$(^LangID)", "$(^NextBtn)",
                              "$\\r", "$\\n"}) {
        EXPECT_TRUE(IsKnownMacro(known)) << known;
    }
    for (const char* unknown : {"$(^name)", "$(^Nam)", "${PRIMARY_SW_NAME", "$\\t", "$(^LangId)", "$(Name)"}) {
        EXPECT_FALSE(IsKnownMacro(unknown)) << unknown;
    }
}

TEST(Macros, SequencesAreFoundInOrderAndPlainDollarsAreText)
{
    using List = std::vector<std::string>;
    EXPECT_EQ(FindMacros("Install $(^Name) now.$\\n$\\nClick $(^NextBtn)"),
              (List{"$(^Name)", "$\\n", "$\\n", "$(^NextBtn)"}));
    EXPECT_EQ(FindMacros("It costs $5 and ${PRIMARY_SW_NAME} is $1"), (List{"${PRIMARY_SW_NAME}"}));
    EXPECT_EQ(FindMacros("unterminated $(^Name and more"), (List{"$(^Name and more"}));
    EXPECT_EQ(FindMacros("ends with $"), List{});
    EXPECT_EQ(FindMacros("ends with $\\"), (List{"$\\"}));
    EXPECT_EQ(FindMacros("tab $\\t here"), (List{"$\\t"}));
}

TEST(Jpeg, FrameHeaderGivesSizeAndKind)
{
    // SOI, an APP0 segment, a baseline frame header of 300 x 20, end.
    std::string baseline("\xFF\xD8" "\xFF\xE0\x00\x04\x00\x00" "\xFF\xC0\x00\x0B\x08\x00\x14\x01\x2C\x01\x01\x11\x00"
                         "\xFF\xD9", 23);
    auto frame = content::ReadJpegFrame(baseline);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 300);
    EXPECT_EQ(frame->height, 20);
    EXPECT_FALSE(frame->progressive);

    std::string progressive = baseline;
    progressive[9] = '\xC2';
    ASSERT_TRUE(content::ReadJpegFrame(progressive));
    EXPECT_TRUE(content::ReadJpegFrame(progressive)->progressive);

    EXPECT_FALSE(content::ReadJpegFrame(std::string("\x89PNG\r\n\x1A\n", 8)));
    EXPECT_FALSE(content::ReadJpegFrame(baseline.substr(0, 12)));                 // cut off in the frame
    EXPECT_FALSE(content::ReadJpegFrame(std::string("\xFF\xD8\xFF\xD9", 4)));   // no frame at all
}
