// The resources that the setup program reads from resources.db: the contract
// between the program and the content. Every language the user can choose
// must resolve each of them, directly or through the neutral language.
#pragma once

#include "Content.h"

#include <cstdint>
#include <vector>

namespace content {

struct ProgramResource {
    std::int32_t id;
    ResourceType type;
    bool expanded;    // the program replaces macros in this text before use
    const char* use;  // where the program shows or uses it
};

const std::vector<ProgramResource>& ProgramResources();

// An installer that the program downloads and launches: its address and the
// optional text resource with the SHA-256 digest that the downloaded file
// must match before it runs (64 hexadecimal digits).
struct InstallerResource {
    std::int32_t address;
    std::int32_t digest;
};

const std::vector<InstallerResource>& InstallerResources();

// Ids with a fixed role in the offer page.
namespace offer {
constexpr std::int32_t kDescription = 38;         // JSON object of the offer's texts
constexpr std::int32_t kTemplate = 40;            // the page's HTML
constexpr std::int32_t kTag = 157;                // replaces kTagToken inside placeholders
constexpr std::int32_t kTagToken = 166;
constexpr std::int32_t kPlaceholderPattern = 168;  // "$1" stands for the key
constexpr std::int32_t kPicture = 241;             // inlined for the key "i2"
}  // namespace offer

// The keys of the offer description, in the order in which the program
// replaces their placeholders (plain byte order of the key).
const std::vector<const char*>& OfferKeys();
inline constexpr const char* kOfferPictureKey = "i2";

}  // namespace content
