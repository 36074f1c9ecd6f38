#pragma once

#include <QString>
#include <optional>

// The rows of a Jet address file, as read. A missing value (NULL) is kept apart from an
// empty one where the program's tables can tell them apart.

struct JetGroup
{
    qint64 groupNo = 0;
    QString name;
};

struct JetAddress
{
    std::optional<QString> address;
    QString name; // a missing name reads as empty text
    qint64 times = 0; // a missing count reads as 0
    QString viewTime; // ISO date; empty when missing
    std::optional<qint64> groupNo;
    bool favourite = false;
};

struct JetSearch
{
    std::optional<QString> text;
    QString date; // ISO date; empty when missing
    qint64 sortNo = 0;
};

// Receives the rows of a Jet file: all groups first, then the addresses, then the search
// history in `Sort_No` order.
class JetSink
{
public:
    virtual ~JetSink() = default;
    virtual void group(const JetGroup &group) = 0;
    virtual void address(const JetAddress &address) = 0;
    virtual void search(const JetSearch &search) = 0;
};

// How many rows of each table were read; `hasSearch` is false for a file without the
// search table.
struct JetCounts
{
    qint64 groups = 0;
    qint64 addresses = 0;
    qint64 searches = 0;
    bool hasSearch = false;
};
