#include "ProgramResources.h"

namespace content {

const std::vector<ProgramResource>& ProgramResources()
{
    constexpr ResourceType text = ResourceType::Text;
    constexpr ResourceType picture = ResourceType::Picture;
    static const std::vector<ProgramResource> table = {
        {1, text, false, "wizard: caption of the Skip button"},
        {2, text, false, "wizard: caption of the Skip-all button"},
        {3, text, false, "progress page: status text"},
        {7, text, true, "clean-up window after a cancelled setup: its text"},
        {9, text, true, "welcome page: title"},
        {10, text, true, "welcome page: body"},
        {242, text, true, "welcome page: subtitle"},
        {15, text, true, "finished page: title"},
        {16, text, true, "finished page: body"},
        {13, text, true, "cancel page: title"},
        {14, text, true, "cancel page: body"},
        {11, text, false, "message page: caption of the first link"},
        {159, text, false, "message page: address of the first link"},
        {12, text, false, "message page: caption of the second link"},
        {158, text, false, "message page: address of the second link"},
        {240, picture, false, "message page: picture on the left"},
        {25, picture, false, "wizard: strip while the finished page is shown"},
        {26, picture, false, "wizard: strip while the setup tasks run"},
        {27, picture, false, "wizard: strip while an offer is shown"},
        {28, picture, false, "wizard: strip while the welcome page is shown"},
        {239, picture, false, "wizard: banner"},
        {56, text, false, "address of the product installer"},
        {57, text, true, "parameters of the product installer"},
        {58, text, false, "product name, the value of $(^Name) and ${PRIMARY_SW_NAME}"},
        {61, text, false, "address of the offered installer"},
        {62, text, true, "parameters of the offered installer"},
        {65, text, true, "wizard: window title"},
        {233, text, true, "wizard: version in the window title"},
        {77, text, false, "wizard: caption of the Previous button"},
        {78, text, false, "wizard: caption of the Next button, the value of $(^NextBtn)"},
        {84, text, false, "wizard: caption of the Cancel buttons"},
        {85, text, false, "wizard: caption of the Close button"},
        {216, text, false, "wizard: caption of Next when finished and of Cancel while tasks run"},
        {237, text, false, "offer page: caption of the Next button"},
        {238, text, false, "offer page: caption of the Skip button"},
        {157, text, false, "offer page: offer tag"},
        {166, text, false, "offer page: tag token inside placeholders"},
        {167, text, false, "offer page: tutorial text"},
        {168, text, false, "offer page: placeholder pattern"},
        {241, picture, false, "offer page: picture inlined for the key i2"},
        {38, text, false, "offer page: offer description (JSON)"},
        {40, text, false, "offer page: HTML template"},
    };
    return table;
}

const std::vector<InstallerResource>& InstallerResources()
{
    static const std::vector<InstallerResource> installers = {{56, 300}, {61, 301}};
    return installers;
}

const std::vector<const char*>& OfferKeys()
{
    static const std::vector<const char*> keys = {"b1", "b2", "b3", "b4", "d1", "dir",
                                                  "f",  "h",  "i",  "i2", "t1", "t2"};
    return keys;
}

}  // namespace content
