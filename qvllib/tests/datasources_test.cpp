// The data-source table as read from the view "DataSources", and the exports that hand it out.
#include "datasourcetable.h"
#include "libfixture.h"

namespace qvltest {
namespace {

using DataSourceTableTest = LibraryTest;

TEST_F(DataSourceTableTest, RecordsFollowTheViewsRowsAndIndexesOutsideThemAreRefused) {
    OpenStandard();
    ASSERT_EQ(DSGetCount(), 5);
    const char* names[] = {"Ages", "Contacts", "Everyone", "Missing Database", "Missing View"};
    for (int i = 0; i < 5; ++i) {
        char name[51];
        ASSERT_EQ(DSGetName(i, name, sizeof name), 1);
        EXPECT_STREQ(name, names[i]);
    }
    char name[51] = "untouched";
    EXPECT_EQ(DSGetName(-1, name, sizeof name), 0);
    EXPECT_EQ(DSGetName(5, name, sizeof name), 0);
    EXPECT_STREQ(name, "untouched");
    const DataSourceRecord& contacts = DataSourceTable[1];
    EXPECT_STREQ(contacts.ServerName, "");
    EXPECT_STREQ(contacts.DatabaseName, "contacts.nsf");
    EXPECT_STREQ(contacts.ViewName, "By Region");
    EXPECT_STREQ(contacts.MergeHistField, "MergeHistory");
    EXPECT_STREQ(contacts.PrimarySearchField, "LastName");
    ASSERT_EQ(contacts.LookupCount, 5);
    EXPECT_STREQ(contacts.Lookups[0].LookupName, "Region");
    EXPECT_STREQ(contacts.Lookups[0].KeywordViewName, "Regions");
    EXPECT_STREQ(contacts.Lookups[1].LookupName, "Status");
    EXPECT_STREQ(contacts.Lookups[1].KeywordViewName, "Statuses");
    EXPECT_EQ(DataSourceTable[0].LookupCount, 0);
}

TEST_F(DataSourceTableTest, LongValuesAreCutToTheirFieldAndToTheCallersBuffer) {
    const std::string longName(70, 'n'), longItem(40, 'h');
    Build(DataSourceDatabase(kServer, R"({"DataSourceName": ")" + longName + R"(", "ServerName": "",
        "DatabaseName": "contacts.nsf", "ViewName": "All", "MergeHistField": ")" +
                                          longItem + R"(",
        "PrimarySearchField": "", "LookupFields": []})"));
    Build(ContactsDatabase());
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    EXPECT_EQ(std::string(DataSourceTable[0].DataSourceName), longName.substr(0, 59));
    char name[51];
    ASSERT_EQ(DSGetName(0, name, sizeof name), 1);
    EXPECT_EQ(std::string(name), longName.substr(0, 50));
    char tiny[1] = {'x'};
    ASSERT_EQ(DSGetName(0, tiny, sizeof tiny), 1);
    EXPECT_EQ(tiny[0], '\0');
    char untouched[4] = "abc";
    EXPECT_EQ(DSGetName(0, untouched, -5), 1);
    EXPECT_STREQ(untouched, "abc");

    ASSERT_EQ(DSOpen(DataSourceTable[0].DataSourceName), 3);
    char item[256];
    ASSERT_EQ(DSGetInfo(1, item, sizeof item), 1);
    EXPECT_EQ(std::string(item), longItem.substr(0, 29));
}

TEST_F(DataSourceTableTest, DSGetInfoNeedsAnOpenDataSourceAndTypeOneOrTwo) {
    OpenStandard();
    char text[256] = "untouched";
    EXPECT_EQ(DSGetInfo(1, text, sizeof text), 0);
    ASSERT_EQ(DSOpen("Contacts"), 3);
    EXPECT_EQ(DSGetInfo(3, text, sizeof text), 0);
    EXPECT_EQ(DSGetInfo(0, text, sizeof text), 0);
    EXPECT_STREQ(text, "untouched");
    ASSERT_EQ(DSGetInfo(1, text, sizeof text), 1);
    EXPECT_STREQ(text, "MergeHistory");
    ASSERT_EQ(DSGetInfo(2, text, sizeof text), 1);
    EXPECT_STREQ(text, "LastName");
    DSClose();
    EXPECT_EQ(DSGetInfo(1, text, sizeof text), 0);
}

TEST_F(DataSourceTableTest, OnlyTheFirstTwentyLookupsAreKept) {
    std::string lookups = "[";
    for (int i = 1; i <= 25; ++i)
        lookups += (i > 1 ? ", \"F" : "\"F") + std::to_string(i) + "=Regions\"";
    lookups += "]";
    Build(DataSourceDatabase(kServer, DataSource("Many", "contacts.nsf", "All", lookups)));
    Build(ContactsDatabase());
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    EXPECT_EQ(DataSourceTable[0].LookupCount, 20);
    ASSERT_EQ(DSOpen("Many"), 3);
    EXPECT_EQ(KWLoad("F20"), 12);
    EXPECT_EQ(KWLoad("F21"), 0);
}

TEST_F(DataSourceTableTest, AnEmptyServerNameMeansLocalAndANamedOneIsUsed) {
    Build(DataSourceDatabase(kServer, DataSource("Here", "contacts.nsf", "All") + "," +
                                          DataSource("There", "contacts.nsf", "All", "[]", kServer)));
    Build(ContactsDatabase());
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    EXPECT_EQ(DSOpen("Here"), 3);
    EXPECT_EQ(DSOpen("There"), -1); // contacts.nsf lies only in the local data directory
    std::string remote = ContactsDatabase();
    remote.replace(remote.find("{\"path\""), 1, "{\"server\": \"Alpha/Acme\", ");
    Build(remote);
    EXPECT_EQ(DSOpen("There"), 3);
}

TEST(LookupEntry, SplitsAtRunsOfEqualSigns) {
    struct Case {
        const char* entry;
        const char* name;
        const char* view;
    };
    const Case cases[] = {
        {"Region=Regions", "Region", "Regions"},
        {"Region==Regions", "Region", "Regions"},
        {"Region", "Region", ""},
        {"=Regions", "Regions", ""},
        {"==Regions=", "Regions", ""},
        {"a=b=c", "a", "b"},
        {"", "", ""},
        {"===", "", ""},
    };
    for (const Case& c : cases) {
        const LookupField lookup = SplitLookupEntry(c.entry);
        EXPECT_STREQ(lookup.LookupName, c.name) << c.entry;
        EXPECT_STREQ(lookup.KeywordViewName, c.view) << c.entry;
    }
}

TEST(LookupEntry, PartsAreCutToTheirFieldsAndTheEntryBeforeItIsSplit) {
    const std::string name(35, 'n'), view(63, 'v'); // 99 bytes with the "="
    LookupField lookup = SplitLookupEntry(name + "=" + view);
    EXPECT_EQ(std::string(lookup.LookupName), name.substr(0, 29));
    EXPECT_EQ(std::string(lookup.KeywordViewName), view.substr(0, 59));

    // The "=" lies beyond the 99 bytes that are split.
    lookup = SplitLookupEntry(std::string(99, 'x') + "=view");
    EXPECT_EQ(std::string(lookup.LookupName), std::string(29, 'x'));
    EXPECT_STREQ(lookup.KeywordViewName, "");
    lookup = SplitLookupEntry(std::string(95, '=') + "name=view");
    EXPECT_STREQ(lookup.LookupName, "name");
    EXPECT_STREQ(lookup.KeywordViewName, "");
}

} // namespace
} // namespace qvltest
