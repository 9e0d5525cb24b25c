#pragma once
#include "procedures/organiser/window/OrganiserWindow.h"

// The organiser window on the data layer: its tables, record buffers and mail counts.
namespace organiser {

// After W_First.OpenFilez: the window's 18 table managers in its order (six with their
// related tables), then the three it only puts to use. Non-zero: a table did not open (it
// has said why); the ones opened are closed again.
int openOrganiserTables();
void closeOrganiserTables();

// Fills what `deps` leaves empty with the data layer's: opening and closing the tables, the
// record buffers the dispatcher and the update numbers read, priming, and the mail counts.
void useDataLayer(OrganiserDeps& deps);

// W_First.OpenFilez, then the window's tables; closed again at the end.
class DataLayerFiles : public WindowFiles {
public:
    int open() override;
    void close() override;
};

// The record buffers of the data layer's tables. The panes' selections (the printed task, the
// selected contact, the outgoing documents' row) are none here, and nothing reloads the mail.
class DataLayerRecords : public RecordBuffers {
public:
    long long emailId() override;
    QString messageId() override;
    long long printRecordId() override { return 0; }
    long eventId() override;
    long taskCategoryId() override;
    long financeCategoryId() override;
    int financeCategoryType() override;
    long outgoingDocumentsRow() override { return 0; }
    long selectedContactId() override { return 0; }
    bool markShownRead() override;
    long long emailCount() override;
    void emailsChanged() override {}
};

// PrimeRecord through the table's manager.
class TablePrimer : public RecordPrimer {
public:
    bool prime(Table table) override;
    void release(Table table) override;
};

// The number of rows of EMAIL (-1 when it cannot be counted).
long long emailRowCount();
// Marks the mail in the EMAIL buffer read when it is not; a failed write stops the program
// with "W_First Email readed :". False when the write failed.
bool markShownMailRead();

} // namespace organiser
