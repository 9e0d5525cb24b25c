#pragma once
#include <QDialog>
#include <memory>

#include "runtime/Browse.h"

class QComboBox;
class QPushButton;
class QSpinBox;
namespace vrt {
class BrowseView;
class FileBrowseSource;
class WindowManager;
}

// T_Accounti, the window "Email računi": the list of mail accounts with their commands, and
// the system's two mail settings (outgoing charset, check interval). Closing it in manage mode
// gives every account its folders.
namespace mailpeople {

class AccountsWindow : public QDialog {
    Q_OBJECT
public:
    // `pick` 1: the mail editor picks the sending account (no folder check on closing).
    explicit AccountsWindow(int pick, QWidget* parent = nullptr);
    ~AccountsWindow() override;

    // Runs modally; REQUEST_COMPLETED (with a pick: the account is in the Accounts buffer)
    // or REQUEST_CANCELLED.
    int run();

    vrt::Browse& browse() { return *m_browse; }
    vrt::BrowseView* list() const { return m_list; }
    QComboBox* charsets() const { return m_charsets; }
    QSpinBox* minutes() const { return m_minutes; }
    QPushButton* button(const QString& name) const; // "?INSERT", "?CHANGE", "?DELETE", "?SELECT", "?CLOSE"

    void done(int result) override;

private:
    void selectAccount();

    int m_pick;
    bool m_closed = false;
    std::unique_ptr<vrt::FileBrowseSource> m_source;
    std::unique_ptr<vrt::WindowManager> m_manager;
    std::unique_ptr<vrt::Browse> m_browse;
    vrt::BrowseView* m_list;
    QComboBox* m_charsets;
    QSpinBox* m_minutes;
};

// T_Accounti(pick) with GLOBALRESPONSE set as the window answers.
int T_Accounti(int pick, QWidget* parent = nullptr);

} // namespace mailpeople
