// What the program reads from resources.db, stated once: the file's name, its
// tables, the statements that read them, every resource id with its name,
// type, whether its macros are replaced and who reads it, and the keys of the
// offer description. The program reads through it, the content tool checks
// and builds content against it, and the tests build their databases with it.
// Plain C++ only: the content tool includes it on the build machine too.
#pragma once

#include <cstdint>
#include <string>

// Values of RES_TYPE.
enum ResourceType : int { RESOURCE_TEXT = 1, RESOURCE_PICTURE = 3 };

namespace Resource {

// Inside the resource archive and in the folder it is extracted to.
inline constexpr char kDatabaseFileName[] = "resources.db";

// Every resource the program reads: RESOURCE(name, id, type, macros, need, reader).
// `name` is RES_NAME; `macros` is Expanded when the program replaces the
// text's macros before use, else Plain; `need` is Optional for a resource
// whose absence the program handles (an installer runs unchecked without its
// digest), else Required in every language, directly or through "0".
#define SETUP_PROGRAM_RESOURCES(RESOURCE)                                                                        \
    RESOURCE(BUTTON_SKIP, 1, Text, Plain, Required, "wizard: caption of the Skip button")                        \
    RESOURCE(BUTTON_SKIP_ALL, 2, Text, Plain, Required, "wizard: caption of the Skip-all button")                \
    RESOURCE(TASKS_STATUS, 3, Text, Plain, Required, "progress page: status text")                               \
    RESOURCE(CANCEL_CLEANUP_TEXT, 7, Text, Expanded, Required, "clean-up window after a cancelled setup: its text") \
    RESOURCE(WELCOME_TITLE, 9, Text, Expanded, Required, "welcome page: title")                                  \
    RESOURCE(WELCOME_BODY, 10, Text, Expanded, Required, "welcome page: body")                                   \
    RESOURCE(WELCOME_SUBTITLE, 242, Text, Expanded, Required, "welcome page: subtitle")                          \
    RESOURCE(FINISHED_TITLE, 15, Text, Expanded, Required, "finished page: title")                               \
    RESOURCE(FINISHED_BODY, 16, Text, Expanded, Required, "finished page: body")                                 \
    RESOURCE(CANCEL_TITLE, 13, Text, Expanded, Required, "cancel page: title")                                   \
    RESOURCE(CANCEL_BODY, 14, Text, Expanded, Required, "cancel page: body")                                     \
    RESOURCE(LINK_PRIVACY_TEXT, 11, Text, Plain, Required, "message page: caption of the first link")            \
    RESOURCE(LINK_PRIVACY_URL, 159, Text, Plain, Required, "message page: address of the first link")            \
    RESOURCE(LINK_LICENSE_TEXT, 12, Text, Plain, Required, "message page: caption of the second link")           \
    RESOURCE(LINK_LICENSE_URL, 158, Text, Plain, Required, "message page: address of the second link")           \
    RESOURCE(PICTURE_MESSAGE_PAGE, 240, Picture, Plain, Required, "message page: picture on the left")           \
    RESOURCE(PICTURE_STRIP_FINISHED, 25, Picture, Plain, Required, "wizard: strip while the finished page is shown") \
    RESOURCE(PICTURE_STRIP_TASKS, 26, Picture, Plain, Required, "wizard: strip while the setup tasks run")       \
    RESOURCE(PICTURE_STRIP_OFFER, 27, Picture, Plain, Required, "wizard: strip while an offer is shown")         \
    RESOURCE(PICTURE_STRIP_WELCOME, 28, Picture, Plain, Required, "wizard: strip while the welcome page is shown") \
    RESOURCE(PICTURE_BANNER, 239, Picture, Plain, Required, "wizard: banner")                                    \
    RESOURCE(PRODUCT_INSTALLER_URL, 56, Text, Plain, Required, "address of the product installer")               \
    RESOURCE(PRODUCT_INSTALLER_PARAMETERS, 57, Text, Expanded, Required, "parameters of the product installer")  \
    RESOURCE(PRODUCT_NAME, 58, Text, Plain, Required, "product name, the value of $(^Name) and ${PRIMARY_SW_NAME}") \
    RESOURCE(OFFER_INSTALLER_URL, 61, Text, Plain, Required, "address of the offered installer")                 \
    RESOURCE(OFFER_INSTALLER_PARAMETERS, 62, Text, Expanded, Required, "parameters of the offered installer")    \
    RESOURCE(WINDOW_TITLE, 65, Text, Expanded, Required, "wizard: window title")                                 \
    RESOURCE(WINDOW_TITLE_VERSION, 233, Text, Expanded, Required, "wizard: version in the window title")         \
    RESOURCE(BUTTON_PREVIOUS, 77, Text, Plain, Required, "wizard: caption of the Previous button")               \
    RESOURCE(BUTTON_NEXT, 78, Text, Plain, Required, "wizard: caption of the Next button, the value of $(^NextBtn)") \
    RESOURCE(BUTTON_CANCEL, 84, Text, Plain, Required, "wizard: caption of the Cancel buttons")                  \
    RESOURCE(BUTTON_CLOSE, 85, Text, Plain, Required, "wizard: caption of the Close button")                    \
    RESOURCE(BUTTON_FINISH, 216, Text, Plain, Required,                                                          \
             "wizard: caption of Next when finished and of Cancel while tasks run")                              \
    RESOURCE(OFFER_BUTTON_ACCEPT, 237, Text, Plain, Required, "offer page: caption of the Next button")          \
    RESOURCE(OFFER_BUTTON_DECLINE, 238, Text, Plain, Required, "offer page: caption of the Skip button")         \
    RESOURCE(OFFER_TAG, 157, Text, Plain, Required, "offer page: offer tag")                                     \
    RESOURCE(OFFER_TAG_TOKEN, 166, Text, Plain, Required, "offer page: tag token inside placeholders")           \
    RESOURCE(OFFER_TEMPLATE_NOTE, 167, Text, Plain, Required, "offer page: tutorial text")                       \
    RESOURCE(OFFER_PLACEHOLDER_PATTERN, 168, Text, Plain, Required, "offer page: placeholder pattern")           \
    RESOURCE(PICTURE_OFFER, 241, Picture, Plain, Required, "offer page: picture inlined for the key i2")         \
    RESOURCE(OFFER_DESCRIPTION, 38, Text, Plain, Required, "offer page: offer description (JSON)")               \
    RESOURCE(OFFER_TEMPLATE, 40, Text, Plain, Required, "offer page: HTML template")                             \
    RESOURCE(PRODUCT_INSTALLER_SHA256, 300, Text, Plain, Optional, "SHA-256 digest of the product installer")    \
    RESOURCE(OFFER_INSTALLER_SHA256, 301, Text, Plain, Optional, "SHA-256 digest of the offered installer")

#define SETUP_RESOURCE_ID(name, id, type, macros, need, reader) name = id,
enum Id : std::int32_t { SETUP_PROGRAM_RESOURCES(SETUP_RESOURCE_ID) };
#undef SETUP_RESOURCE_ID

enum class Macros { Plain, Expanded };
enum class Need { Required, Optional };

struct Definition {
    Id id;
    const char* name;
    ResourceType type;
    Macros macros;
    Need need;
    const char* reader;  // where the program shows or uses it
};

#define SETUP_RESOURCE_DEFINITION(name, id, type, macros, need, reader) \
    {name, #name, RESOURCE_##type, Macros::macros, Need::need, reader},
#define RESOURCE_Text RESOURCE_TEXT
#define RESOURCE_Picture RESOURCE_PICTURE
inline constexpr Definition kProgramResources[] = {SETUP_PROGRAM_RESOURCES(SETUP_RESOURCE_DEFINITION)};
#undef RESOURCE_Text
#undef RESOURCE_Picture
#undef SETUP_RESOURCE_DEFINITION

// The entry of resource `id`; nullptr for an id that the program never reads.
constexpr const Definition* Find(Id id)
{
    for (const Definition& definition : kProgramResources)
        if (definition.id == id)
            return &definition;
    return nullptr;
}

// An installer that the program downloads and launches: its address and the
// text with the SHA-256 digest that the downloaded file must match before it
// runs (64 hexadecimal digits).
struct Installer {
    Id address;
    Id parameters;
    Id digest;
};
inline constexpr Installer kProductInstaller{PRODUCT_INSTALLER_URL, PRODUCT_INSTALLER_PARAMETERS,
                                             PRODUCT_INSTALLER_SHA256};
inline constexpr Installer kOfferInstaller{OFFER_INSTALLER_URL, OFFER_INSTALLER_PARAMETERS, OFFER_INSTALLER_SHA256};
inline constexpr Installer kInstallers[] = {kProductInstaller, kOfferInstaller};

// The keys of the offer description (the offer page visits their
// placeholders in the platform's string order); the placeholder of
// kOfferPictureKey receives picture PICTURE_OFFER when there is one.
inline constexpr const char* kOfferKeys[] = {"b1", "b2", "b3", "b4", "d1", "dir", "f", "h", "i", "i2", "t1", "t2"};
inline constexpr char kOfferPictureKey[] = "i2";

// The tables as the content tool creates them. Tests that store what the
// tool never writes (NULLs, a language twice) create the same tables
// without the constraints.
struct Column {
    const char* name;
    const char* type;
    const char* constraint;
};
struct Table {
    const char* name;
    Column columns[5];  // up to the first column without a name
    const char* tableConstraint;
};
inline constexpr Table kTables[] = {
    {"LANGUAGE",
     {{"LANG_CODE", "TEXT", "NOT NULL PRIMARY KEY"},
      {"LANG_NATIVE_NAME", "TEXT", "NOT NULL"},
      {"ABREVIATION", "TEXT", "NOT NULL"},
      {"LANG_ENGLISH_NAME", "TEXT", "NOT NULL"},
      {"RTL", "INTEGER", "NOT NULL"}},
     nullptr},
    {"RESOURCE_DEF",
     {{"RES_DEF_ID", "INTEGER", "NOT NULL PRIMARY KEY"},
      {"RES_NAME", "TEXT", "NOT NULL UNIQUE"},
      {"RES_TYPE", "INTEGER", "NOT NULL"}},
     nullptr},
    {"BLOB", {{"BLOB_ID", "INTEGER", "NOT NULL PRIMARY KEY"}, {"DATA", "BLOB", "NOT NULL"}}, nullptr},
    {"RESOURCE_VALUE",
     {{"RES_DEF_ID", "INTEGER", "NOT NULL REFERENCES RESOURCE_DEF (RES_DEF_ID)"},
      {"LANG_CODE", "TEXT", "NOT NULL"},
      {"BLOB_ID", "INTEGER", "NOT NULL REFERENCES BLOB (BLOB_ID)"}},
     "PRIMARY KEY (LANG_CODE, RES_DEF_ID)"},
};

enum class Constraints { Kept, Left };

// CREATE TABLE statements for every table.
inline std::string Schema(Constraints constraints = Constraints::Kept)
{
    const bool kept = constraints == Constraints::Kept;
    std::string sql;
    for (const Table& table : kTables) {
        sql += "CREATE TABLE " + std::string(table.name) + " (";
        const char* separator = "";
        for (const Column& column : table.columns) {
            if (!column.name)
                break;
            sql += separator + std::string(column.name) + " " + column.type;
            if (kept)
                sql += " " + std::string(column.constraint);
            separator = ", ";
        }
        if (kept && table.tableConstraint)
            sql += separator + std::string(table.tableConstraint);
        sql += ");\n";
    }
    return sql;
}

// The program's statements, byte for byte as it prepares them. A lookup
// reads the definitions once, into a list of distinct ids, and then the
// values once: a join let SQLite search one table once per matching row of
// the other through whatever index the file brings (one on LANG_CODE alone,
// or on RES_DEF_ID in a file whose ids repeat), seconds per lookup in a file
// of a few thousand rows. It finds the values that the join found.
inline constexpr char kByNameStatement[] =
    "select V.BLOB_ID from RESOURCE_VALUE V where V.LANG_CODE = ? and V.RES_DEF_ID in "
    "(select D.RES_DEF_ID from RESOURCE_DEF D where D.RES_NAME = ? and D.RES_TYPE = ?) ; ";
inline constexpr char kByIdStatement[] =
    "select V.BLOB_ID from RESOURCE_VALUE V where V.LANG_CODE = ? and V.RES_DEF_ID in "
    "(select D.RES_DEF_ID from RESOURCE_DEF D where D.RES_DEF_ID = ? and D.RES_TYPE = ?) ; ";
inline constexpr char kBlobStatement[] = "select DATA from BLOB where BLOB_ID = ? ;";
inline constexpr char kLanguagesStatement[] =
    "SELECT LANG_CODE, LANG_NATIVE_NAME , ABREVIATION , LANG_ENGLISH_NAME, RTL FROM LANGUAGE;";

}  // namespace Resource
