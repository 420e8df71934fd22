// One data source as its row of the view "DataSources" of qvlds.nsf defines it. Every text field is
// zero-terminated and holds at most its width - 1 bytes.
#pragma once

#include <cstdint>

constexpr int32_t kMaxLookups = 20;

struct LookupField {
    char LookupName[30];      // the field name that KWOpen and KWLoad are given
    char KeywordViewName[60]; // the view of the data source's database that lists its keywords
};

struct DataSourceRecord {
    char DataSourceName[60];
    char ServerName[60]; // empty: local
    char DatabaseName[60];
    char ViewName[60];
    char MergeHistField[30];
    char PrimarySearchField[30];
    int32_t LookupCount; // 0..kMaxLookups
    LookupField Lookups[kMaxLookups];
};
