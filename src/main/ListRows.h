#pragma once

#include "controls/ListRow.h"
#include "data/AddressStore.h"
#include "main/MainPictures.h"

// A stored address as a row of the main window's list: the address, then name, visit
// time, visit count and group; the favourites' picture for a favourite.
inline ListRow listRowFor(AddressRecord &&record)
{
    ListRow row;
    row.caption = std::move(record.address);
    row.subItems = RowTexts{std::move(record.name), std::move(record.viewTime), std::move(record.times),
                            std::move(record.groupName)};
    row.imageIndex = record.favourite ? MainPictures::Crystal : MainPictures::Binder;
    return row;
}
