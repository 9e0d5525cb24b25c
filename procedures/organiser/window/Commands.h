#pragma once
// The ribbon's command ids and the commands that only press a control of the organiser page.
// Both the ribbon model and the organiser's dispatcher read them here; the numbers are stored
// in settings and sent between the frame and the organiser, so they never change.

#include "procedures/organiser/window/ControlNumbers.h"

namespace organiser::cmd {

enum : int {
    // Moj organizator
    NewMenu = 1001, NewEmail = 1002, NewTask = 1003, NewProduct = 1004, NewFinanceDocument = 1005,
    NewPassword = 1007, SettingsMenu = 1009, ProgramSettings = 1010, MailAccounts = 1011, Archive = 1012,
    Exit = 1013, Refresh = 1014, NewContact = 1015,
    NewIncome = 1100, NewExpense = 1101, NewIncomingDocument = 1102, NewOutgoingDocument = 1103,
    // E-mail
    MailNew = 2001, MailReply = 2002, MailReplyAll = 2003, MailForward = 2004, MailSendReceive = 2005,
    MailDelete = 2006, MailPrint = 2007, MailAccountsOnMailPage = 2008,
    // Zadaci
    TaskCategoryInsert = 3001, TaskCategoryChange = 3002, TaskCategoryDelete = 3003,
    TaskInsert = 3004, TaskChange = 3005, TaskDelete = 3006, TaskPrint = 3007,
    // Kalendar
    CalendarRefresh = 4004, CalendarPrint = 4005,
    // Planiranje
    PlanNew = 5001, PlanOpen = 5002, PlanSave = 5003, PlanAddWbs = 5004, PlanIndent = 5005,
    PlanOutdent = 5006, PlanMoveUp = 5007, PlanMoveDown = 5008, PlanAddActivity = 5009,
    PlanSaveMenu = 5010, PlanSaveAs = 5011, PlanDeleteActivity = 5012, PlanExportXml = 5013,
    // The export's entry in the "Spremi plan" menu (a ribbon id occurs once): runs 5013.
    PlanExportXmlMenu = 5014,
    // Financije
    FinancePersonal = 6001, FinanceIncoming = 6003, FinanceOutgoing = 6004, FinanceState = 6005,
    FinanceExcel = 6998, FinancePrint = 6999,
    // Sigurnost
    PasswordCategoryInsert = 7001, PasswordCategoryChange = 7002, PasswordCategoryDelete = 7003,
    PasswordInsert = 7004, PasswordChange = 7005, PasswordDelete = 7006,
    // Adresar
    ContactGroupInsert = 8001, ContactSubgroupInsert = 8002, ContactGroupChange = 8003,
    ContactGroupDelete = 8004, ContactInsert = 8005, ContactChange = 8006, ContactDelete = 8007,
    ContactTaskInsert = 8008, ContactTaskChange = 8009, ContactTaskDelete = 8010,
    ContactIncomingInsert = 8011, ContactIncomingChange = 8012, ContactIncomingDelete = 8013,
    ContactOutgoingInsert = 8014, ContactOutgoingChange = 8015, ContactOutgoingDelete = 8016,
};

// A command that presses a control; a control that may be disabled (nothing selected to change
// or delete) is pressed only when it is enabled.
struct Press {
    int command;
    int control;
    bool onlyWhenEnabled;
};

inline constexpr Press Presses[] = {
    {TaskCategoryInsert, ctl::TaskCategoryInsertButton, true},
    {TaskCategoryChange, ctl::TaskCategoryChangeButton, true},
    {TaskCategoryDelete, ctl::TaskCategoryDeleteButton, true},
    {TaskInsert, ctl::TaskInsertButton, true},
    {TaskChange, ctl::TaskChangeButton, true},
    {TaskDelete, ctl::TaskDeleteButton, true},
    {PasswordCategoryInsert, ctl::PasswordCategoryInsertButton, false},
    {PasswordCategoryChange, ctl::PasswordCategoryChangeButton, true},
    {PasswordCategoryDelete, ctl::PasswordCategoryDeleteButton, true},
    {PasswordInsert, ctl::PasswordInsertButton, false},
    {PasswordChange, ctl::PasswordChangeButton, true},
    {PasswordDelete, ctl::PasswordDeleteButton, true},
    {ContactGroupInsert, ctl::ContactGroupInsertButton, false},
    {ContactSubgroupInsert, ctl::ContactSubgroupInsertButton, false},
    {ContactGroupChange, ctl::ContactGroupChangeButton, false},
    {ContactGroupDelete, ctl::ContactGroupDeleteButton, false},
    {ContactInsert, ctl::ContactInsertButton, false},
    {ContactChange, ctl::ContactChangeButton, true},
    {ContactDelete, ctl::ContactDeleteButton, true},
    {ContactTaskInsert, ctl::ContactTaskInsertButton, false},
    {ContactTaskChange, ctl::ContactTaskChangeButton, true},
    {ContactTaskDelete, ctl::ContactTaskDeleteButton, true},
    {ContactIncomingInsert, ctl::ContactIncomingInsertButton, false},
    {ContactIncomingChange, ctl::ContactIncomingChangeButton, true},
    {ContactIncomingDelete, ctl::ContactIncomingDeleteButton, true},
    {ContactOutgoingInsert, ctl::ContactOutgoingInsertButton, false},
    {ContactOutgoingChange, ctl::ContactOutgoingChangeButton, true},
    {ContactOutgoingDelete, ctl::ContactOutgoingDeleteButton, true},
};

constexpr const Press* pressOf(int command)
{
    for (const Press& p : Presses)
        if (p.command == command)
            return &p;
    return nullptr;
}

} // namespace organiser::cmd
