#pragma once
#include "procedures/organiser/window/OrganiserWindow.h"

namespace organiser {

// The organiser window as its command dispatcher sees it: the page and finance sheet shown,
// the trees and record buffers the commands read, and the events they post back.
class OrganiserWindow::DispatcherSide : public WindowSide {
public:
    explicit DispatcherSide(OrganiserWindow& window) : m_w(window) {}

    void postAccepted(int control) override;
    void postNewSelection(int control) override;
    bool isEnabled(int control) override;
    int shownPage() override;
    void emptyMailFolderQueue() override;
    bool categoryTreeEmpty() override;
    void selectCategoryRow(bool first) override;
    void showFinancePage(int page) override;
    int shownFinancePage() override;
    void freeChartQueues() override;
    void resetForce() override;
    void setStateChartKind(int kind) override;
    long long emailId() override;
    QString messageId() override;
    long long printRecordId() override;
    void receiveStartedByUser() override;
    bool receiveBusy() override;
    QDate today() override;
    QString translate(const QString& text) override;

private:
    OrganiserWindow& m_w;
};

} // namespace organiser
