#pragma once
#include "procedures/organiser/window/OrganiserWindow.h"

namespace organiser {

// The organiser window as its tab switcher sees it: the pages, the trees it fills and the
// task filter it keeps.
class OrganiserWindow::TabSide : public TabSwitcher::Side {
public:
    explicit TabSide(OrganiserWindow& window) : m_w(window) {}

    void clearWorkTexts() override;
    void freeChartQueues() override;
    void writeLastTab(int page) override;
    void showPage(int page) override;
    void showOverviewChart(bool on) override;
    bool mailFolderQueueEmpty() override;
    int fillInboxTree() override;
    void selectMailFolderRow(int row) override;
    void focusMailList() override;
    long taskCategoryId() override;
    void setTaskFilter(long id, const QString& filter) override;
    bool categoryQueueEmpty() override;
    void selectCategoryRow(int row) override;
    void showFinancePage(int page) override;
    bool contactGroupQueueEmpty() override;
    int fillContactGroupTree() override;
    void contactGroupTree(bool select) override;
    void resetForce() override;

private:
    OrganiserWindow& m_w;
};

// The organiser window as its heartbeat sees it: the mail records, the mail program and the
// start flag, the frame.
class OrganiserWindow::HeartbeatSide : public Heartbeat::Side {
public:
    explicit HeartbeatSide(OrganiserWindow& window) : m_w(window) {}

    bool markShownRead() override;
    long long emailCount() override;
    void emailsChanged() override;
    bool receiveRunning() override;
    bool startReceive() override;
    void receiveStartFailed() override;
    int readStartFlag() override;
    void writeStartFlag(int value) override;
    void notifyFrame(int code, int number) override;
    void normalCursor() override;
    void stopOnReadMarkFailure() override;

private:
    OrganiserWindow& m_w;
};

// The record buffers and the window's own values the update numbers' forms open with.
class OrganiserWindow::RunnerValues : public UpdateRunner::Values {
public:
    explicit RunnerValues(OrganiserWindow& window) : m_w(window) {}

    long eventId() override;
    long taskCategoryId() override;
    long financeCategoryId() override;
    int financeCategoryType() override;
    long selectedContactId() override;
    QString textBuffer() override;
    long outgoingDocumentsRow() override;

private:
    OrganiserWindow& m_w;
};

} // namespace organiser
