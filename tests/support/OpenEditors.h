#pragma once

// Waiting for the editors that automation calls open, for tests.

#include "editor/EditorOpener.h"

#include <QDeadlineTimer>
#include <QTest>

// Waits until `opener` has `count` editors open and gives the newest; nullptr when it
// did not come to exactly that many in time.
inline AddressEditor *waitForEditor(const EditorOpener &opener, int count = 1)
{
    QDeadlineTimer deadline(10000);
    while (opener.openEditors().size() < count && !deadline.hasExpired())
        QTest::qWait(10);
    const QList<AddressEditor *> open = opener.openEditors();
    return open.size() == count ? open.last() : nullptr;
}
