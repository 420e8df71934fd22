#include "nnotes/nnotes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace nnotes::testing {
namespace {

TEST(StoreMessages, EveryStatusOfTheStoreHasATextOfItsOwn) {
    const STATUS codes[] = {
        ERR_NOT_A_DATABASE,
        ERR_DB_EXISTS,
        ERR_NOEXIST,
        ERR_DB_HANDLE,
        ERR_DB_IO,
        ERR_DB_DAMAGED,
        ERR_DB_BUSY,
        ERR_DB_IS_DIRECTORY,
        ERR_DB_NOT_DIRECTORY,
        ERR_DB_INFO_TOO_LONG,
        ERR_DB_INFO_FIELD,
        ERR_DB_NEWER_VERSION,
        ERR_DB_ID_NOT_FOUND,
        ERR_DB_DISK_FULL,
        ERR_DB_READ_ONLY,
        ERR_DB_IN_USE,
        ERR_DB_CREATE,
        ERR_DB_FOREIGN_LOG,
        ERR_NOTE_HANDLE,
        ERR_NOTE_NOT_FOUND,
        ERR_NOTE_CLASS,
        ERR_NOTE_CONFLICT,
        ERR_ITEM_NAME,
        ERR_ITEM_TOO_BIG,
        ERR_ITEM_BLOCK,
        ERR_ITEM_LAYOUT,
        ERR_NOTE_TOO_MANY_ITEMS,
        ERR_NOTE_IDS_EXHAUSTED,
        ERR_NOTE_UNID_EXISTS,
        ERR_NOTE_INFO_SELECTOR,
        ERR_NOTE_DAMAGED,
        ERR_VALUE_BLOCK,
        ERR_ITEM_TYPE,
        ERR_ITEM_NOT_FOUND,
        ERR_NO_MODIFIED_NOTES,
        ERR_NETPATH_TOO_LONG,
        ERR_NETPATH_PART,
        ERR_SERVER_NOT_KNOWN,
        ERR_PATH_ESCAPES,
        ERR_PATH_INVALID,
        ERR_SERVER_NAME_INVALID,
        ERR_PORT_NAME_INVALID,
        ERR_SETTINGS_NO_FILE,
        ERR_SETTINGS_WRITE,
        ERR_ENV_NAME,
        ERR_ENV_VALUE,
        ERR_ENV_NOT_SET,
        ERR_NO_USER_NAME,
    };
    std::set<STATUS> seenCodes;
    std::set<std::string> seenTexts;
    for (STATUS code : codes) {
        char text[256];
        EXPECT_GT(LoadNotesMessage(code, text, sizeof text), 0) << std::hex << code;
        EXPECT_TRUE(seenCodes.insert(code).second) << std::hex << code;
        EXPECT_TRUE(seenTexts.insert(text).second) << text;
    }
}

} // namespace
} // namespace nnotes::testing
