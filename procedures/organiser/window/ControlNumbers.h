#pragma once
// The organiser page's control numbers, as the window, the pages, the pane buttons, the
// dispatcher and the tests name them. The numbers are the page's own (events, stored column
// layouts and splitter names carry them), so they never change.

namespace organiser::ctl {

enum : int {
    // Lists
    Notes = 14, Email = 21, TaskCategory = 36, Zadaci = 37, Pr = 58, UDK = 64, UD = 65, IDK = 74,
    ID = 75, Stavke = 82, PKat = 113, Pass = 117, Kontakti = 120, PZadaci = 137, PUD = 142, PID = 147,
    StateList = 104,

    // Hidden fields the frame and the tab strip write to
    MN_COMMAND = 1, MN_SEL = 2,

    // Sheets, trees and hosted controls
    MainSheet = 6, OverviewSheet = 10, Chart = 13, Preview = 23, MailFolderTree = 24, HeaderPanel = 25,
    Attachments = 26, Calendar = 43, DatePicker = 44, Gantt = 46, GanttItems = 47, GanttLinkMenu = 48,
    FinanceSheet = 51, CategoryTree = 53, StateChart = 103, StateChartKind = 105, ContactGroupTree = 119,
    ContactSheet = 133, ContactNote = 135, MailToContact = 152,

    // The up, down, left and right buttons under a tree: first, first + 1, + 2, + 3
    MailFolderArrows = 27, CategoryArrows = 54, ContactGroupArrows = 128,

    // Buttons the ribbon presses
    TaskCategoryInsertButton = 33, TaskCategoryChangeButton = 34, TaskCategoryDeleteButton = 35,
    TaskInsertButton = 38, TaskChangeButton = 39, TaskDeleteButton = 40,
    PasswordCategoryInsertButton = 109, PasswordCategoryChangeButton = 110, PasswordCategoryDeleteButton = 111,
    PasswordInsertButton = 114, PasswordChangeButton = 115, PasswordDeleteButton = 116,
    ContactGroupInsertButton = 121, ContactSubgroupInsertButton = 122, ContactGroupChangeButton = 123,
    ContactGroupDeleteButton = 124, ContactInsertButton = 125, ContactChangeButton = 126, ContactDeleteButton = 127,
    ContactTaskChangeButton = 138, ContactTaskInsertButton = 139, ContactTaskDeleteButton = 140,
    ContactIncomingChangeButton = 143, ContactIncomingInsertButton = 144, ContactIncomingDeleteButton = 145,
    ContactOutgoingChangeButton = 148, ContactOutgoingInsertButton = 149, ContactOutgoingDeleteButton = 150,
};

} // namespace organiser::ctl

// The three trees the move buttons and the tree walks name.
namespace organiser::tree {
enum : int { MailFolders = ctl::MailFolderTree, Categories = ctl::CategoryTree, ContactGroups = ctl::ContactGroupTree };
}

// The pages of the main sheet, in their order on it (from 0).
namespace organiser::page {
enum : int { Overview, Mail, Tasks, Calendar, Planning, Finance, Passwords, AddressBook };
}
