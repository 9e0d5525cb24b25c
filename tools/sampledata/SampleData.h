#pragma once
#include <QString>

// Fills an opened database with made-up but plausible records: accounts with mail folders,
// mails, contacts in groups, task categories, tasks and appointments, notes, passwords,
// outgoing and incoming documents with items, and income and expenses. The same seed gives
// the same records. Tests and the sampledata command use it; the tables must be open.
namespace organiser {

struct SampleSizes {
    int accounts = 2;
    int mails = 10000;      // nine in ten go to the first account's inbox
    int contacts = 500;
    int groups = 10;
    int tasks = 1000;
    int notes = 200;
    int passwords = 100;
    int documents = 200;    // outgoing; half as many incoming
    int itemsPerDocument = 3;
    int incomeExpenses = 500;
    unsigned seed = 1;
};

struct SampleResult {
    long inboxId = 0;       // the first account's inbox
    long accountRootId = 0; // its root row in the folder tree
    int inboxMails = 0;
    long firstGroupId = 0;
    long incomeRootId = 0;  // the income category at the top of its tree
    QString error;          // empty when everything was written
};

// Everything is written in one transaction: on a failure nothing stays.
SampleResult generateSampleData(const SampleSizes& sizes = {});

} // namespace organiser
