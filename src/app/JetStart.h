#pragma once

class DbConnection;

// At start: removes what a conversion stopped part-way left beside the database file.
// When the database file is a Jet file of the Windows program: asks whether to
// convert it ("提示", Yes/No). Yes converts it, and start-up goes on with the converted
// file; a file that cannot be read is reported by name and left as it was. No changes
// nothing, and start-up goes on as with any unreadable database.
void offerJetConversion(DbConnection &connection);
