#pragma once

#include "links/LinkStore.h"

#include <QCoreApplication>
#include <QHash>

// Why an address counts as failing, as the hint of its row says it: the last check's
// result and HTTP code, the final address, since when it fails and how many checks in a
// row found it so. The stored checks are read as rows are asked for and kept until
// forget(), which a new listing calls.
class LinkFailureHints
{
    Q_DECLARE_TR_FUNCTIONS(LinkFailureHints)

public:
    // The lines for one stored check; empty when the check found no failure.
    static QString textOf(const LinkStore::StoredCheck &check);

    // The lines for the last check of `address`; empty when there is none, it did not
    // fail, or the library cannot be read.
    QString hintFor(DbConnection &db, const QString &address);
    void forget() { m_texts.clear(); }

private:
    QHash<QString, QString> m_texts;
};
